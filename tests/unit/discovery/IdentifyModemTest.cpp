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
    DetectedModem modem;
    std::vector<std::string> lines;  // command lines the modem received
    std::uint32_t elapsed;
};

Outcome Identify(ModemProfile profile, IdentifyCommands commands = kCommands,
                 DetectedModem modem = {"old name", ""}, PortAttempt* attempt = nullptr) {
    FakeClock clock;
    ModemModel model(std::move(profile));
    FakeSerialLine line(clock, model);
    FakeSerialDriver driver;
    driver.Add("COM1", line);
    const std::uint32_t start = clock.TickCount();
    const bool identified =
        IdentifyModem({driver, clock}, "COM1", commands, modem, nullptr, attempt);
    EXPECT_FALSE(line.InUse()) << "the port was left open";
    return {identified, modem, model.Lines(), clock.TickCount() - start};
}

ModemProfile WithAnswer(const std::string& command, const std::string& info,
                        const std::string& result = "OK") {
    ModemProfile p;
    p.extra.push_back(CommandAnswer{command, info, result});
    return p;
}

TEST(IdentifyModem, PlainNameWithItsFinalOk) {
    const Outcome o = Identify(ModemProfile{});
    EXPECT_TRUE(o.identified);
    EXPECT_EQ(o.modem.modelName, "NUBO 56K-PRO");
    EXPECT_EQ(o.modem.firmware, "2.14");
    EXPECT_EQ(o.lines, (std::vector<std::string>{"ATI", "ATI3", "ATI7"}));
}

TEST(IdentifyModem, NameAfterGmmWhenTheNameCommandIsRejected) {
    ModemProfile p;
    p.nameError = true;
    p.modelName = "X-56";
    const Outcome o = Identify(p);
    EXPECT_TRUE(o.identified);
    EXPECT_EQ(o.modem.modelName, "X-56");
    EXPECT_EQ(o.lines, (std::vector<std::string>{"ATI", "ATI3", "AT+GMM", "ATI7"}));

    // No tag at all still identifies, with an empty name.
    p.extra.push_back({"AT+GMM", "X-56", "OK"});
    const Outcome noTag = Identify(p);
    EXPECT_TRUE(noTag.identified);
    EXPECT_EQ(noTag.modem.modelName, "");
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

TEST(IdentifyModem, ErrInEveryAnswerAfterDetectionIsNoModem) {
    ModemProfile p;
    p.nameError = true;
    p.extra = {{"AT+GMM", "", "ERROR"}, {"ATI7", "ERRATIC", "OK"}};
    const Outcome o = Identify(p, kCommands, {"kept", "1.0"});
    EXPECT_FALSE(o.identified);
    EXPECT_EQ(o.modem.modelName, "kept");
    EXPECT_EQ(o.modem.firmware, "1.0");
    EXPECT_EQ(o.lines, (std::vector<std::string>{"ATI", "ATI3", "AT+GMM", "ATI7"}));
}

TEST(IdentifyModem, DetectAnswerMissingOrPortAbsent) {
    IdentifyCommands other = kCommands;
    other.detectAnswer = "Hayes";
    const Outcome o = Identify(ModemProfile{}, other);
    EXPECT_FALSE(o.identified);
    EXPECT_EQ(o.lines, (std::vector<std::string>{"ATI"}));
    EXPECT_EQ(o.modem.modelName, "old name");

    FakeClock clock;
    FakeSerialDriver none;
    DetectedModem modem;
    EXPECT_FALSE(IdentifyModem({none, clock}, "COM9", kCommands, modem));
    EXPECT_FALSE(IdentifyModem({none, clock}, "", kCommands, modem));
    EXPECT_EQ(clock.TickCount(), 1000u) << "nothing may be waited for without a port";
}

TEST(IdentifyModem, NameRequestThatEndsEarlyReusesTheDetectAnswer) {
    ModemProfile p;
    p.faults.noCrEcho = true;
    p.faults.onlyCommand = "ATI3";
    const Outcome o = Identify(p);
    EXPECT_TRUE(o.identified);
    EXPECT_EQ(o.modem.modelName, "NUBO Communications");
}

TEST(IdentifyModem, EmptyDetectAnswerAcceptsASilentPort) {
    ModemProfile p;
    p.faults.silent = true;
    IdentifyCommands commands = kCommands;
    commands.detectAnswer = "";
    const Outcome o = Identify(p, commands);
    EXPECT_TRUE(o.identified);
    EXPECT_EQ(o.modem.modelName, "");
    EXPECT_EQ(o.modem.firmware, "");
    // 500 ms settling plus eleven echo waits with ten reopen pauses.
    EXPECT_GE(o.elapsed, 500u + 11 * 500 + 10 * 10);
    EXPECT_LT(o.elapsed, 8000u);

    // With a detect answer, the same port is no modem.
    EXPECT_FALSE(Identify(p).identified);
}

TEST(IdentifyModem, WhatThePortDidForTheRunReport) {
    IdentifyCommands other = kCommands;
    other.detectAnswer = "Hayes";
    ModemProfile silent;
    silent.faults.silent = true;
    ModemProfile garbled;
    garbled.faults.wrongEchoAt = 1;
    garbled.faults.wrongEchoTimes = -1;
    const struct {
        ModemProfile profile;
        IdentifyCommands commands;
        PortOutcome outcome;
    } cases[] = {{ModemProfile{}, other, PortOutcome::Answered},
                 {silent, kCommands, PortOutcome::Silent},
                 {garbled, kCommands, PortOutcome::NoEcho}};
    for (const auto& c : cases) {
        PortAttempt attempt;
        EXPECT_FALSE(Identify(c.profile, c.commands, {}, &attempt).identified);
        EXPECT_EQ(attempt.outcome, c.outcome) << static_cast<int>(c.outcome);
    }
    FakeClock clock;
    FakeSerialDriver none;
    DetectedModem modem;
    PortAttempt attempt;
    EXPECT_FALSE(IdentifyModem({none, clock}, "COM9", kCommands, modem, nullptr, &attempt));
    EXPECT_EQ(attempt.outcome, PortOutcome::OpenFailed);
    EXPECT_EQ(attempt.openFailure, "unknown");
}

TEST(IdentifyModem, AnswerShorterThanFourCharactersIsBlankedWhole) {
    // Half the answer "\r\nOK\r\n" arrives, then the line goes dead.
    ModemProfile p = WithAnswer("ATI3", "");
    p.faults.hangUpMidAnswer = true;
    p.faults.onlyCommand = "ATI3";
    const Outcome o = Identify(p);
    EXPECT_TRUE(o.identified);
    EXPECT_EQ(o.modem.modelName, "");
}

}  // namespace
}  // namespace nubo
