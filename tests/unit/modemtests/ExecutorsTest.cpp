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

// Speeds compare as numbers; the answer is read at fixed positions.
TEST(DialAndCheckSpeed, SpeedAndAnswer) {
    struct Case {
        testing::ModemSettings modem;
        const char* minSpeed;
        bool passed;
        const char* answer = nullptr;  // none: "CONNECT <speed>\r"
    } cases[] = {
        {{{"speed", "9600"}}, "14400", false},
        {{{"speed", "115200"}}, "28800", true},
        {{{"speed", "28800/ARQ"}}, "28800", true},
        {{{"speed", "28800/ARQ"}}, "38400", false},
        {{{"speed", "28800/ARQ"}}, "", true},
        {{{"speed", "64000 V.110"}}, "64000", true},
        {{{"speed", "2400"}}, "2400 bit/s", true},
        {{{"speed", "FAST"}}, "1", false},
        {{{"speed", "99999999999999999999999"}}, "1", true},
        // Only what came within the settling second is read: the speed is cut to "33".
        {{{"chunks", "12:1500"}}, "14400", false, "CONNECT 33"},
        // A line before the connect line: the texts at the fixed positions
        // describe that line, not the connection.
        {{{"dial-report", "CARRIER 28800"}, {"speed", "9600"}}, "14400", true, "CARRIER 28800\r"},
        {{{"dial-report", "PROTOCOL: LAP-M"}}, "14400", false, "PROTOCOL: LAP-M\r"},
    };
    for (const Case& c : cases) {
        const std::string speed = c.modem[0].second;
        SCOPED_TRACE(c.modem[0].first + " " + speed + " against " + c.minSpeed);
        ModemRig rig(Profile(c.modem));
        const DialOutcome o = Dial(rig, c.minSpeed);
        EXPECT_EQ(o.passed, c.passed);
        EXPECT_EQ(o.answer, c.answer ? std::string(c.answer) : "CONNECT " + speed + "\r");
    }
}

// The answers it keeps and its closed port: the sequence's log blocks and the
// hostile-modem runs.
TEST(SendAndFind, LooksForTheTextAnywhereEvenInAFailure) {
    // Why the sample description looks for "CRC OK": a bare "OK" is in "NOK".
    ModemRig failing(Profile({{"crc-fail", "1"}}));
    std::string answer;
    EXPECT_TRUE(SendAndFind(failing.Line(), "COM1", "AT&T8", "OK", answer));
    EXPECT_EQ(answer.substr(0, 9), "\r\nCRC NOK");
    ModemRig rig;
    EXPECT_TRUE(SendAndFind(rig.Line(), "COM1", "AT&T7", "", answer));  // nothing is always there
}

// Pass, rejection and silence with the sample's answer are pinned by the golden
// run logs and the hostile-modem runs; an empty one must not pass silence.
TEST(SendDiagnostic, SilenceFailsEvenWithoutAnAnswerToLookFor) {
    ModemRig rig(Profile({{"silent-after-cr", "1"}}));
    std::string answer;
    EXPECT_FALSE(SendDiagnostic(rig.Line(), "COM1", "AT&V1", "", answer));
}

}  // namespace
}  // namespace nubo::test
