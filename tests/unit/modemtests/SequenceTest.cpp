// The test sequence and its exchanges against the emulated modem in virtual
// time: the log block line by line, the exit-code bits and the calls on the
// result list; what each exchange finds in the answer, the wait for the test
// call and the speed check. Passing runs with a diagnostic, a failed call
// before it, a failed diagnostic, an unregistered modem and a cancel mid-run
// are pinned by the golden run logs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modemtests/ModemTests.h"
#include "run/RunSettings.h"
#include "support/ModemProfiles.h"

namespace nubo::test {
namespace {

using nubo::testing::Profile;

using Lines = std::vector<std::string>;

class RecordingRows : public TestRows {
public:
    Lines calls;
    void SetActive(int row, bool on) override {
        calls.push_back("active " + std::to_string(row) + (on ? " on" : " off"));
    }
    void SetResult(int row, bool passed, bool failed) override {
        calls.push_back("result " + std::to_string(row) + (passed ? " passed" : "") +
                        (failed ? " failed" : ""));
    }
};

struct ModemRig : testing::SimulatedModem {
    explicit ModemRig(modemsim::ModemProfile profile = {}) : SimulatedModem(std::move(profile)) {
        settings.log = std::make_unique<CLogFile>(system, dir.File("run.log"));
        settings.port = "COM1";
    }

    TestLine Line() { return TestLine{driver, clock, nullptr, &cancel}; }
    void Run(TestRows* rows = nullptr) {
        ModemTestContext context{settings, commands, Line(), {system, nullptr, &installed}};
        RunModemTests(context, rows);
    }
    // The log as written: every line with the fixed time of the fake system.
    std::string Log() { return testing::ReadFile(dir.File("run.log")); }
    // What the log holds for these lines; a line's own line feeds become CR LF
    // there, as the log writes them.
    static std::string Block(const Lines& lines) {
        std::string text;
        for (const std::string& line : lines) {
            text += "09:05:41 - ";
            for (char c : line) {
                if (c == '\n') text += '\r';
                text += c;
            }
            text += "\r\n";
        }
        return text;
    }

    RunSettings settings;
    // The current 56K-PRO as the sample description gives it, in the fields' order.
    ModemCommandSet commands = {"NUBO 56K-PRO", "AT&T8",   "CRC OK", "AT&T7", "ERROR", "ATDT",
                                "ATX3DT",       "CONNECT", "14400",  "AT&V1", "OK"};
    CancelToken cancel;
};

const std::string kBar(57, '=');
const std::string kCommand = "Command send to the modem for this test : ";
const std::string kAnsw = "Answ. for this test : ";
const std::string kRamAnswer = "\r\nRAM 128K PASSED\r\n\r\nOK\r\n";
const std::string kCrcAnswer = "\r\nCRC OK\r\n\r\nOK\r\n";

Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Lines kStart = {kBar, "================= START OF THE MODEM TESTS ==============", kBar,
                      "======================  TAPI  TEST ======================"};
const Lines kTapiFound = {"Result of TAPI-Test : Modem found on TAPI."};
const Lines kEnd = {kBar, "================== END OF THE MODEM TESTS ===============", kBar};
const std::string kRamBanner = "======================  RAM  TEST  ======================";
const std::string kCrcBanner = "======================  CRC  CHECK ======================";
const std::string kDialBanner = "======================  DIAL TEST  ======================";
const std::string kDiagBanner = "======================  DIAG TEST  ======================";

Lines Ram(bool ok, const std::string& answer = kRamAnswer) {
    return {kRamBanner,
            ok ? "Result of RAM-Test  : Ram-Test OK." : "Result of RAM-Test  : Ram-Test not OK !",
            kCommand + "AT&T7", kAnsw + answer};
}
Lines Crc(bool ok, const std::string& answer = kCrcAnswer) {
    return {kCrcBanner,
            ok ? "Result of CRC-Test  : CRC-Check OK." : "Result of CRC-Test  : CRC-Check not OK !",
            kCommand + "AT&T8", kAnsw + answer};
}
Lines DialOk(const std::string& command = "ATDT0123") {
    return {kDialBanner, "Result of DIAL-Test : Connection OK !", kCommand + command,
            kAnsw + "CONNECT 33600/ARQ\r", "MinSpeed required   : 14400"};
}
// A failed call logs its command, answer and speed before its result.
Lines DialFailed(const std::string& answer) {
    return {kDialBanner, kCommand + "ATDT0123", kAnsw + answer, "MinSpeed required   : 14400",
            "Result of DIAL-Test : Connection not OK !"};
}
const Lines kDiagNotTested = {kDiagBanner,
                              "Result of DIAG-Test : not tested because NO CONNECTION !"};

struct Scenario {
    const char* name;
    modemsim::ModemProfile profile;
    std::string phone;
    std::function<void(ModemRig&)> setUp;
    Lines block;
    int exitCode;
};

TEST(ModemTests, LogBlocksAndExitCodes) {
    const auto noDiag = [](ModemRig& r) { r.commands.diagCmd.clear(); };
    const Scenario scenarios[] = {
        {"three rows", {}, "", nullptr, Join({kStart, kTapiFound, Ram(true), Crc(true), kEnd}), 0},
        // The number goes to the modem as it was given.
        {"without dial tone",
         {},
         "0,030 4711",
         [](ModemRig& r) {
             r.settings.noDialTone = true;
             r.commands.diagCmd.clear();
         },
         Join({kStart, kTapiFound, Ram(true), Crc(true), DialOk("ATX3DT0,030 4711"), kEnd}),
         0},
        {"memory and call failed", Profile({{"ram-fail", "1"}, {"dial", "no-carrier"}}), "0123",
         noDiag,
         Join({kStart, kTapiFound, Ram(false, "\r\nRAM ERROR AT 0x3F00\r\n\r\nERROR\r\n"),
               Crc(true), DialFailed("\r\nNO CARRIER\r\n"), kEnd}),
         0x0A},
        // The memory test counts only when it ran: no port, no pass.
        {"port cannot be opened",
         {},
         "0123",
         [](ModemRig& r) { r.settings.port = "COM9"; },
         Join({kStart, kTapiFound, Ram(false, ""), Crc(false, ""), DialFailed(""), kDiagNotTested,
               kEnd}),
         0x0E},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        ModemRig rig(s.profile);
        rig.settings.phoneNumber = s.phone;
        rig.settings.exitCode = 1;  // the search's "found" never survives a run
        if (s.setUp) s.setUp(rig);
        rig.Run();
        EXPECT_EQ(rig.Log(), ModemRig::Block(s.block));
        EXPECT_EQ(rig.settings.exitCode.load(), s.exitCode);
    }
}

TEST(ModemTests, ResultListCalls) {
    ModemRig passed;
    passed.settings.phoneNumber = "0123";
    RecordingRows rows;
    passed.Run(&rows);
    Lines expected;
    for (int row = 0; row < 5; ++row) {
        const std::string r = std::to_string(row);
        expected.insert(expected.end(),
                        {"active " + r + " on", "result " + r + " passed", "active " + r + " off"});
    }
    EXPECT_EQ(rows.calls, expected);
    EXPECT_EQ(passed.modem->Lines(), (Lines{"AT&T7", "AT&T8", "ATDT0123", "AT&V1"}));

    // After a failed call the diagnostic row is marked failed without ever being under way.
    ModemRig failed(Profile({{"dial", "no-carrier"}}));
    failed.settings.phoneNumber = "0123";
    RecordingRows failedRows;
    failed.Run(&failedRows);
    const Lines tail(failedRows.calls.end() - 4, failedRows.calls.end());
    EXPECT_EQ(tail, (Lines{"active 3 on", "result 3 failed", "active 3 off", "result 4 failed"}));
    EXPECT_EQ(failed.modem->Lines().back(), "ATDT0123");
}

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
    } cases[] = {{"60500", true}, {"62000", false}};
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
        {{{"speed", "28800/ARQ"}}, "", true},
        {{{"speed", "2400"}}, "2400 bit/s", true},
        {{{"speed", "FAST"}}, "1", false},
        {{{"speed", "99999999999999999999999"}}, "1", true},
        // Only what came within the settling second is read: the speed is cut to "33".
        {{{"chunks", "12:1500"}}, "14400", false, "CONNECT 33"},
        // A line before the connect line: the texts at the fixed positions
        // describe that line, not the connection.
        {{{"dial-report", "CARRIER 28800"}, {"speed", "9600"}}, "14400", true, "CARRIER 28800\r"},
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
