// The whole test sequence against the emulated modem in virtual time: the log
// block line by line, the exit-code bits and the calls on the result list.
// Passing runs with a diagnostic, a failed call before it, a failed
// diagnostic, an unregistered modem and a cancel mid-run are pinned by the
// golden run logs.
#include <gtest/gtest.h>

#include "TestRig.h"

namespace nubo::test {
namespace {

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
        {"dial failed without a diagnostic command", Profile({{"dial", "busy"}}), "0123", noDiag,
         Join({kStart, kTapiFound, Ram(true), Crc(true), DialFailed("\r\nBUSY\r\n"), kEnd}), 0x08},
        {"memory and call failed", Profile({{"ram-fail", "1"}, {"dial", "no-carrier"}}), "0123",
         noDiag,
         Join({kStart, kTapiFound, Ram(false, "\r\nRAM ERROR AT 0x3F00\r\n\r\nERROR\r\n"),
               Crc(true), DialFailed("\r\nNO CARRIER\r\n"), kEnd}),
         0x0A},
        {"checksum failed", Profile({{"crc-fail", "1"}}), "", nullptr,
         Join({kStart, kTapiFound, Ram(true), Crc(false, "\r\nCRC NOK\r\n\r\nERROR\r\n"), kEnd}),
         0x04},
        // The memory test counts only when it ran: no port, no pass.
        {"port cannot be opened",
         {},
         "0123",
         [](ModemRig& r) { r.settings.port = "COM9"; },
         Join({kStart, kTapiFound, Ram(false, ""), Crc(false, ""), DialFailed(""), kDiagNotTested,
               kEnd}),
         0x0E},
        {"silent modem", Profile({{"silent", "1"}}), "0123", nullptr,
         Join({kStart, kTapiFound, Ram(false, ""), Crc(false, ""), DialFailed("TimeOut !"),
               kDiagNotTested, kEnd}),
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

}  // namespace
}  // namespace nubo::test
