// Identification in virtual time against the simulated modem: names, the
// "+GMM:" fallback, firmware forms, rejections and requests that end early.
#include <gtest/gtest.h>

#include "ModemModel.h"
#include "discovery/IdentifyModem.h"
#include "platform/fake/FakeSerial.h"

namespace nubo {
namespace {

using modemsim::CommandAnswer;
using modemsim::ModemModel;
using modemsim::ModemProfile;

const IdentifyCommands kCommands{"ATI", "Communications", "ATI3", "AT+GMM", "ATI7"};

struct Outcome {
    bool identified;
    PortAttempt attempt;
    DetectedModem modem;
    std::vector<std::string> lines;  // command lines the modem received
    std::uint32_t elapsed;
};

Outcome Identify(ModemProfile profile, IdentifyCommands commands = kCommands,
                 DetectedModem modem = {"old name", ""}) {
    FakeClock clock;
    ModemModel model(std::move(profile));
    FakeSerialLine line(clock, model);
    FakeSerialDriver driver;
    driver.Add("COM1", line);
    const std::uint32_t start = clock.TickCount();
    PortAttempt attempt;
    const bool identified =
        IdentifyModem({driver, clock}, "COM1", commands, modem, nullptr, &attempt);
    EXPECT_FALSE(line.InUse()) << "the port was left open";
    return {identified, attempt, modem, model.Lines(), clock.TickCount() - start};
}

ModemProfile WithAnswer(const std::string& command, const std::string& info,
                        const std::string& result = "OK") {
    ModemProfile p;
    p.extra.push_back(CommandAnswer{command, info, result});
    return p;
}

TEST(IdentifyModem, OutcomesAndTheCommandsSent) {
    using Sent = std::vector<std::string>;
    const Sent plain = {"ATI", "ATI3", "ATI7"};
    const Sent withGmm = {"ATI", "ATI3", "AT+GMM", "ATI7"};
    ModemProfile gmm;
    gmm.nameError = true;
    gmm.modelName = "X-56";
    ModemProfile gmmNoTag = gmm;
    gmmNoTag.extra.push_back({"AT+GMM", "X-56", "OK"});
    ModemProfile errEverywhere;
    errEverywhere.nameError = true;
    errEverywhere.extra = {{"AT+GMM", "", "ERROR"}, {"ATI7", "ERRATIC", "OK"}};
    ModemProfile earlyEnd;  // the name request ends early and reuses the detect answer
    earlyEnd.faults.noCrEcho = true;
    earlyEnd.faults.onlyCommand = "ATI3";
    ModemProfile silent;
    silent.faults.silent = true;
    ModemProfile garbled;
    garbled.faults.wrongEchoAt = 1;
    garbled.faults.wrongEchoTimes = -1;
    // Half the answer "\r\nOK\r\n" arrives, then the line goes dead: shorter
    // than four characters, it is blanked whole.
    ModemProfile shortAnswer = WithAnswer("ATI3", "");
    shortAnswer.faults.hangUpMidAnswer = true;
    shortAnswer.faults.onlyCommand = "ATI3";
    IdentifyCommands otherDetect = kCommands;
    otherDetect.detectAnswer = "Hayes";
    IdentifyCommands emptyDetect = kCommands;
    emptyDetect.detectAnswer = "";

    struct Case {
        const char* name;
        ModemProfile profile;
        IdentifyCommands commands;
        bool identified;
        const char* modelName;
        const char* firmware;                         // after the "pre:" it started with
        Sent sent;                                    // empty: not looked at
        std::uint32_t minMs = 0;                      // virtual time the identification must take
        PortOutcome outcome = PortOutcome::Answered;  // what the run report says
    };
    const Case cases[] = {
        {"plain name with its final OK", {}, kCommands, true, "NUBO 56K-PRO", "2.14", plain},
        {"name after +GMM", gmm, kCommands, true, "X-56", "2.14", withGmm},
        {"+GMM without its tag", gmmNoTag, kCommands, true, "", "2.14", {}},
        {"ERR in every answer after detection", errEverywhere, kCommands, false, "old name", "",
         withGmm},
        {"detect answer missing", {}, otherDetect, false, "old name", "", {"ATI"}},
        {"name request ends early", earlyEnd, kCommands, true, "NUBO Communications", "2.14", {}},
        // 500 ms settling plus eleven echo waits with ten reopen pauses.
        {"empty detect answer accepts a silent port",
         silent,
         emptyDetect,
         true,
         "",
         "",
         {},
         500 + 11 * 500 + 10 * 10,
         PortOutcome::Silent},
        {"echo garbled", garbled, kCommands, false, "old name", "", {}, 0, PortOutcome::NoEcho},
        {"answer shorter than four characters", shortAnswer, kCommands, true, "", "2.14", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = Identify(c.profile, c.commands, {"old name", "pre:"});
        EXPECT_EQ(o.identified, c.identified);
        EXPECT_EQ(o.attempt.outcome, c.outcome);
        EXPECT_EQ(o.modem.modelName, c.modelName);
        EXPECT_EQ(o.modem.firmware, std::string("pre:") + c.firmware);
        if (!c.sent.empty()) {
            EXPECT_EQ(o.lines, c.sent);
        }
        if (c.minMs != 0) {
            EXPECT_GE(o.elapsed, c.minMs);
            EXPECT_LT(o.elapsed, c.minMs + 2000);
        }
    }
}

TEST(IdentifyModem, PortAbsentWaitsForNothing) {
    FakeClock clock;
    FakeSerialDriver none;
    DetectedModem modem;
    EXPECT_FALSE(IdentifyModem({none, clock}, "COM9", kCommands, modem));
    EXPECT_FALSE(IdentifyModem({none, clock}, "", kCommands, modem));
    EXPECT_EQ(clock.TickCount(), 1000u) << "nothing may be waited for without a port";
}

TEST(IdentifyModem, FirmwareForms) {
    struct Case {
        const char* answer;
        const char* firmware;
    };
    const Case cases[] = {
        {"Version 1.23/456", "1.23"}, {"Version 1.23 (build 7)", "1.23"},
        {"Ver. 1.23", "3"},  // the short tag skips eight characters too
        {"Ver.    1.23", "1.23"},     {"Firmware Version 2.0 Ver.    3.1", "2.03.1"},
        {"Release 4.5", ""},          {"Version", ""},
    };
    for (const Case& c : cases) {
        const Outcome o = Identify(WithAnswer("ATI7", c.answer), kCommands, {"n", "pre:"});
        EXPECT_TRUE(o.identified) << c.answer;
        EXPECT_EQ(o.modem.firmware, std::string("pre:") + c.firmware) << c.answer;
    }
}

}  // namespace
}  // namespace nubo
