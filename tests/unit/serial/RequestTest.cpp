// The request engine in virtual time against the emulated modem: the trace,
// answer classes, faults of the line, the flags, retries, cancel, and what the
// caller's answer text holds afterwards. Paged output and a hang-up mid-answer
// are bounded by the emulator's test and the hostile-modem matrix.
#include <gtest/gtest.h>

#include "SerialRig.h"

namespace nubo::test {
namespace {

constexpr int kTimeout = 10000;

TEST(Request, PlainExchangeTracesEveryStep) {
    SerialRig rig;
    rig.Connect();
    std::string answer = "old";
    const int cancel = 0;
    EXPECT_EQ(rig.port->Request("ATI3", answer, RequestScroll, &cancel, kTimeout, 0), 1);
    EXPECT_EQ(answer, "\r\nNUBO 56K-PRO\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.trace.Text(),
              "\n#####################\n\nRequest: COMMAND <ATI3>\n"
              "Request: Try to write 0.A 1.T 2.I 3.3 \n"
              "Request: Send <CR>\n"
              "Request: complete command written\n"
              "Request: no sign and scroll on\n"
              "Request: \"OK\" found in modem string, exiting.\n"
              "Request: Modem answer: \"\r\nNUBO 56K-PRO\r\n\r\nOK\r\n\"\n"
              "Request: Result: OK! \n\n#####################\n");
    EXPECT_EQ(rig.line->Written(), "ATI3\r");
}

// The first word found decides, and its class shows in the closing trace.
TEST(Request, ResultWordsDecideInTheirOrder) {
    const struct {
        const char* info;
        int result;
        const char* traced;
        const char* closing;
    } cases[] = {
        {"CRC NOK", 0, "\"NOK\" found", "Result:Error -3 "},  // NOK before the OK in it
        {"ERROR\\nNO CARRIER", 0, "\"ERROR\" found", "Result:Error -1 "},  // before NO CARRIER
        {"NO CARRIER", 0, "\"NO CARRIER\" found", "Result:Error -2 "},
        {"BROKEN LINE", 1, "\"OK\" found", "Result: OK! "},  // OK inside a word counts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.info);
        SerialRig rig(Profile({{"answer.AT*X", c.info}, {"result.AT*X", ""}}));
        rig.Connect();
        std::string answer;
        EXPECT_EQ(rig.port->Request("AT*X", answer, RequestScroll, nullptr, kTimeout, 0), c.result);
        EXPECT_TRUE(rig.trace.Has(c.traced));
        EXPECT_TRUE(rig.trace.Has(std::string("Request: ") + c.closing + "\n\n####"));
        EXPECT_NE(answer.find(std::string(c.info).substr(0, 3)), std::string::npos);
    }
}

// One request per fault of the line, in virtual time: its result, how long it
// took, what was written, what the caller's answer holds and how often the port
// was opened. Real-time bounds of the same faults are in the emulator's test.
TEST(Request, FaultsOfTheLine) {
    constexpr std::uint32_t any = ~0u;
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> faults;
        const char* command;
        int flags;
        int timeout;
        int result;
        std::uint32_t elapsed;  // any: not looked at
        std::string written;    // empty: not looked at
        std::string answer;     // the caller's "kept" stays on a failure
        int opens;              // 0: not looked at
    } cases[] = {
        // Eleven misses with ten reopen cycles, then the port stays closed.
        {"echo off", {{"echo-off", "1"}}, "ATI", RequestScroll, kTimeout, 0, 11 * 500 + 10 * 10,
         std::string(11, 'A'), "kept", 11},
        // A wrong echo on the third character once: one reopen, then the whole
        // command again from its first character.
        {"wrong echo once", {{"wrong-echo", "3"}}, "ATI3", 0, kTimeout, 1, any, "ATIATI3\r",
         "\r\nNUBO 56K-PRO\r\n\r\nOK\r\n", 2},
        // The CR never comes back: ten CRs, 500 ms each.
        {"CR not echoed", {{"no-cr-echo", "1"}}, "AT", RequestScroll, kTimeout, 0, 10 * 500,
         "AT" + std::string(10, '\r'), "kept", 0},
        // "\r\nOK": the K is the fourth piece, 3 * 30 ms after the first; the
        // word split over pieces is found when it completes.
        {"word split over chunks", {{"chunks", "1:30"}}, "AT", 0, kTimeout, 1, 20 + 90, "",
         "\r\nOK", 0},
        // Time-out 0: nothing is collected, the answer becomes empty.
        {"time-out 0", {}, "AT", RequestScroll, 0, 0, any, "", "", 0},
        // Silent after the CR: the full time-out, not a millisecond more, and
        // without scroll no CR after the command's.
        {"silent after CR", {{"silent-after-cr", "1"}}, "AT&V1", 0, kTimeout, 0, 10000,
         "AT&V1\r", "", 0},
        // With scroll, CRs every 250 ms, each echoed; the run of CRs that bring
        // nothing back may cover the time-out, no more.
        {"silent after CR, scroll", {{"silent-after-cr", "1"}}, "AT", RequestScroll, kTimeout, 0,
         250 + 40 * 250, "AT\r" + std::string(40, '\r'), std::string(40, '\r'), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SerialRig rig(Profile(c.faults));
        rig.Connect();
        std::string answer = "kept";
        const std::uint32_t t0 = rig.clock.TickCount();
        EXPECT_EQ(rig.port->Request(c.command, answer, c.flags, nullptr, c.timeout, 0), c.result);
        if (c.elapsed != any) {
            EXPECT_EQ(rig.Elapsed(t0), c.elapsed);
        }
        if (!c.written.empty()) {
            EXPECT_EQ(rig.line->Written(), c.written);
        }
        EXPECT_EQ(answer, c.answer);
        if (c.opens != 0) {
            EXPECT_EQ(rig.line->OpenCount(), c.opens);
        }
    }
}

TEST(Request, EmptyCommandAndTheFlags) {
    SerialRig rig;
    rig.Connect();
    std::string answer = "kept";
    // No characters: straight to the line end; the modem ignores an empty line.
    EXPECT_EQ(rig.port->Request("", answer, 0, nullptr, 1000, 0), 0);
    EXPECT_EQ(rig.line->Written(), "\r");
    EXPECT_EQ(answer, "");

    // With RequestSkipEcho zero bytes are a write failure.
    answer = "kept";
    rig.trace.Clear();
    EXPECT_EQ(rig.port->Request("", answer, RequestSkipEcho, nullptr, 1000, 0), 0);
    EXPECT_TRUE(rig.trace.Has("Request: Ignore answer!\nRequest: Error writing character!\n"));
    EXPECT_EQ(answer, "kept");

    // RequestSkipEcho writes the command in one piece; its echo then meets the
    // line-end phase, where every byte that is not a line end costs one more CR.
    EXPECT_EQ(rig.port->Request("ATZ", answer, RequestSkipEcho, nullptr, 1000, 0), 1);
    EXPECT_EQ(rig.line->Written(), "\rATZ\r\r\r\r");

    // RequestNoAnswer: done once the line end is back, answer untouched.
    answer = "kept";
    const std::uint32_t t0 = rig.clock.TickCount();
    EXPECT_EQ(rig.port->Request("ATDT0123", answer, RequestNoAnswer, nullptr, kTimeout, 0), 1);
    EXPECT_EQ(rig.Elapsed(t0), 0u);
    EXPECT_EQ(answer, "kept");
    // The modem goes on with the call; its answer is left for the caller.
    rig.clock.Sleep(3000);
    std::string rest;
    const int waiting = rig.port->BytesWaiting();
    rig.port->Read(rest, waiting);
    EXPECT_EQ(rest, "\r\nCONNECT 33600/ARQ\r\n");
}

TEST(Request, RetriesPauseBetweenAttemptsOnly) {
    SerialRig rig(Profile({{"result.AT*X", "ERROR"}}));
    rig.Connect();
    std::string answer;
    std::uint64_t slept = rig.clock.Slept();
    EXPECT_EQ(rig.port->Request("AT*X", answer, 0, nullptr, kTimeout, 2), 0);
    EXPECT_EQ(rig.modem->Lines().size(), 3u);
    EXPECT_EQ(rig.clock.Slept() - slept, 2u * 500u);
    EXPECT_EQ(answer, "\r\nERROR\r\n");

    slept = rig.clock.Slept();
    EXPECT_EQ(rig.port->Request("AT*X", answer, 0, nullptr, kTimeout, 0), 0);
    EXPECT_EQ(rig.clock.Slept(), slept);
}

TEST(Request, CancelEndsAtTheNextCheckPoint) {
    // Already raised: only the first trace, nothing purged or written.
    SerialRig rig;
    rig.Connect();
    CancelToken cancel;
    cancel.Raise();
    std::string answer = "kept";
    EXPECT_EQ(rig.port->Request("ATI", answer, RequestScroll, &cancel, kTimeout, 0), 0);
    EXPECT_EQ(rig.trace.Text(),
              "\n#####################\n\nRequest: COMMAND <ATI>\nRequest: Action canceld!\n");
    EXPECT_EQ(rig.line->Written(), "");
    EXPECT_EQ(answer, "kept");

    // Raised by another party while the engine waits for an answer that never
    // comes: seen at once.
    for (int flags : {0, static_cast<int>(RequestScroll)}) {
        SerialRig silent(Profile({{"silent-after-cr", "1"}}));
        silent.Connect();
        CancelToken token;
        const std::uint32_t raiseAt = silent.clock.TickCount() + 3001;
        silent.line->At(raiseAt, [&] { token.Raise(); });
        EXPECT_EQ(silent.port->Request("ATI", answer, flags, &token, kTimeout, 0), 0);
        EXPECT_EQ(silent.clock.TickCount(), raiseAt);
        EXPECT_TRUE(silent.trace.Has("Request: Action canceld!\n"));
        EXPECT_EQ(answer, "kept");
    }
}

TEST(Request, WriteAndReadFailuresEndEarly) {
    SerialRig held;
    held.Connect();
    held.line->ctsLow = true;
    std::string answer = "kept";
    EXPECT_EQ(held.port->Request("AT", answer, 0, nullptr, kTimeout, 0), 0);
    EXPECT_TRUE(held.trace.Has("Request: Try to write 0.A Request: Error writing character!\n"));

    SerialRig broken(Profile({{"reply-delay", "100"}}));
    broken.Connect();
    broken.line->At(broken.clock.TickCount() + 50, [&] { broken.line->failReads = true; });
    EXPECT_EQ(broken.port->Request("AT", answer, 0, nullptr, kTimeout, 0), 0);
    EXPECT_TRUE(broken.trace.Has("Read:Critial Error: 31\nRequest: Error reading character!\n"));
    EXPECT_EQ(answer, "kept");
}

}  // namespace
}  // namespace nubo::test
