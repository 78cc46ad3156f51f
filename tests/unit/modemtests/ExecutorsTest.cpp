// The test exchanges against the emulated modem in virtual time: what each
// finds in the answer, the wait for the test call, and the speed check. The
// plain verdicts and answers are pinned by the sequence's log blocks.
#include <gtest/gtest.h>

#include "TestRig.h"

namespace nubo::test {
namespace {

struct DialOutcome {
    bool passed = false;
    std::string answer;
    std::uint32_t slept = 0;
};

DialOutcome Dial(ModemRig& rig, const std::string& minSpeed = "14400") {
    DialOutcome o;
    const std::uint64_t before = rig.clock.Slept();
    o.passed = DialAndCheckSpeed(rig.Line(), "COM1", "ATDT0123", "CONNECT", minSpeed, o.answer);
    o.slept = static_cast<std::uint32_t>(rig.clock.Slept() - before);
    return o;
}

TEST(DialAndCheckSpeed, WaitsUpToSixtySecondsAndOneMoreLook) {
    struct Case {
        const char* delay;
        bool heard;
    } cases[] = {{"3000", true}, {"59000", true}, {"60500", true}, {"62000", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delay);
        ModemRig rig(Profile({{"connect-delay", c.delay}}));
        const DialOutcome o = Dial(rig);
        EXPECT_EQ(o.passed, c.heard);
        EXPECT_EQ(o.answer, c.heard ? "CONNECT 33600/ARQ\r" : "TimeOut !");
        if (!c.heard) {
            EXPECT_EQ(o.slept, 500u + 240u * 250u + 1000u);
        }
        // Closing the port is the only hang-up: nothing follows the dial command.
        EXPECT_EQ(rig.line->Written(), "ATDT0123\r");
        EXPECT_FALSE(rig.line->InUse());
    }
}

TEST(DialAndCheckSpeed, SpeedsAreComparedAsNumbers) {
    struct Case {
        const char* speed;
        const char* minSpeed;
        bool passed;
    } cases[] = {
        {"9600", "14400", false},
        {"115200", "28800", true},
        {"28800/ARQ", "28800", true},
        {"28800/ARQ", "38400", false},
        {"28800/ARQ", "", true},
        {"64000 V.110", "64000", true},
        {"2400", "2400 bit/s", true},
        {"FAST", "1", false},
        {"99999999999999999999999", "1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.speed) + " against " + c.minSpeed);
        ModemRig rig(Profile({{"speed", c.speed}}));
        const DialOutcome o = Dial(rig, c.minSpeed);
        EXPECT_EQ(o.passed, c.passed);
        EXPECT_EQ(o.answer, "CONNECT " + std::string(c.speed) + "\r");
    }
}

TEST(DialAndCheckSpeed, AnswerTakenAtFixedPositions) {
    struct Case {
        const char* name;
        modemsim::ModemProfile profile;
        bool passed;
        const char* answer;
    } cases[] = {
        // Only what came within the settling second is read: the speed is cut to "33".
        {"two pieces 1.5 s apart", Profile({{"chunks", "12:1500"}}), false, "CONNECT 33"},
        // A line before the connect line: the texts at the fixed positions
        // describe that line, not the connection.
        {"carrier line first", Profile({{"dial-report", "CARRIER 28800"}, {"speed", "9600"}}), true,
         "CARRIER 28800\r"},
        {"protocol line first", Profile({{"dial-report", "PROTOCOL: LAP-M"}}), false,
         "PROTOCOL: LAP-M\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig(c.profile);
        const DialOutcome o = Dial(rig);
        EXPECT_EQ(o.passed, c.passed);
        EXPECT_EQ(o.answer, c.answer);
    }
}

TEST(DialAndCheckSpeed, CancelEndsTheWaitForTheCall) {
    ModemRig rig(Profile({{"dial", "silent"}}));
    const std::uint32_t start = rig.clock.TickCount();
    rig.line->At(start + 5000, [&] { rig.cancel = 1; });
    const DialOutcome o = Dial(rig);
    EXPECT_FALSE(o.passed);
    EXPECT_LT(rig.clock.TickCount() - start, 6000u);
    EXPECT_FALSE(rig.line->InUse());
}

TEST(TestExchanges, PortThatCannotBeOpenedLeavesTheAnswer) {
    ModemRig rig;
    for (const char* port : {"", "COM7"}) {
        std::string answer = "kept";
        EXPECT_FALSE(SendAndFind(rig.Line(), port, "AT&T7", "", answer));
        EXPECT_FALSE(SendDiagnostic(rig.Line(), port, "AT&V1", "", answer));
        EXPECT_FALSE(DialAndCheckSpeed(rig.Line(), port, "ATDT1", "CONNECT", "", answer));
        EXPECT_EQ(answer, "kept");
    }
    EXPECT_EQ(rig.line->OpenCount(), 0);
}

TEST(SendAndFind, LooksForTheTextAnywhereInTheAnswer) {
    struct Case {
        const char* name;
        modemsim::ModemProfile profile;
        const char* command;
        const char* lookFor;
        bool found;
        const char* answer;
    } cases[] = {
        // Why the sample description looks for "CRC OK": a bare "OK" is in "NOK".
        {"bare OK in a failure", Profile({{"crc-fail", "1"}}), "AT&T8", "OK", true, "\r\nCRC NOK"},
        {"empty looked-for text", {}, "AT&T7", "", true, "\r\nRAM 128K PASSED\r\n\r\nOK\r\n"},
        {"rejected command", {}, "AT&T9", "OK", false, "\r\nERROR\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig(c.profile);
        std::string answer = "stale";
        EXPECT_EQ(SendAndFind(rig.Line(), "COM1", c.command, c.lookFor, answer), c.found);
        // The modem may still be sending after the result word that ended the request.
        EXPECT_EQ(answer.substr(0, std::string(c.answer).size()), c.answer);
        EXPECT_FALSE(rig.line->InUse());
    }
}

TEST(SendDiagnostic, NeedsAnAnswerHoldingTheDiagnosticAnswer) {
    struct Case {
        const char* name;
        modemsim::ModemProfile profile;
        const char* diagAnswer;
        bool passed;
    } cases[] = {
        {"any answer", {}, "", true},
        {"no answer at all", Profile({{"silent-after-cr", "1"}}), "", false},
        {"command rejected", Profile({{"diag-command", "AT&V9"}}), "OK", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig(c.profile);
        std::string answer;
        EXPECT_EQ(SendDiagnostic(rig.Line(), "COM1", "AT&V1", c.diagAnswer, answer), c.passed);
    }
}

}  // namespace
}  // namespace nubo::test
