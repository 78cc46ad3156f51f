// The request engine in virtual time against the emulated modem, by phase:
// echo and reopen cycles, the line end, answer classes, scroll, retries,
// cancel, the flags and what the caller's answer text holds afterwards.
#include <gtest/gtest.h>

#include "SerialRig.h"

namespace nubo::test {
namespace {

constexpr int kTimeout = 10000;

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

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

struct ClassCase {
    const char* info;
    int result;
    const char* traced;
};

TEST(Request, ResultWordsDecideInTheirOrder) {
    const ClassCase cases[] = {
        {"CRC NOK", 0, "\"NOK\" found"},               // NOK before the OK in it
        {"ERROR\\nNO CARRIER", 0, "\"ERROR\" found"},  // ERROR before NO CARRIER
        {"NO CARRIER", 0, "\"NO CARRIER\" found"},
        {"BROKEN LINE", 1, "\"OK\" found"},  // OK inside a word counts
    };
    for (const ClassCase& c : cases) {
        SCOPED_TRACE(c.info);
        SerialRig rig(Profile({{"answer.AT*X", c.info}, {"result.AT*X", ""}}));
        rig.Connect();
        std::string answer;
        EXPECT_EQ(rig.port->Request("AT*X", answer, RequestScroll, nullptr, kTimeout, 0), c.result);
        EXPECT_TRUE(rig.trace.Has(c.traced));
        EXPECT_NE(answer.find(std::string(c.info).substr(0, 3)), std::string::npos);
    }
    // The class shows in the closing trace.
    SerialRig rig(Profile({{"answer.AT*X", "NOK"}, {"result.AT*X", ""}}));
    rig.Connect();
    std::string answer;
    rig.port->Request("AT*X", answer, 0, nullptr, kTimeout, 0);
    EXPECT_TRUE(rig.trace.Has("Request: Result:Error -3 \n\n#####################\n"));
}

TEST(Request, WordSplitOverChunksIsFoundWhenItCompletes) {
    SerialRig rig(Profile({{"chunks", "1:30"}}));
    rig.Connect();
    std::string answer;
    const std::uint32_t t0 = rig.clock.TickCount();
    EXPECT_EQ(rig.port->Request("AT", answer, 0, nullptr, kTimeout, 0), 1);
    // "\r\nOK": the K is the fourth piece, 3 * 30 ms after the first.
    EXPECT_EQ(answer, "\r\nOK");
    EXPECT_EQ(rig.Elapsed(t0), 20u + 90u);
}

TEST(Request, EchoFailuresCloseAndReopen) {
    // Echo off: eleven misses with ten reopen cycles, then the port stays closed.
    SerialRig rig(Profile({{"echo-off", "1"}}));
    rig.Connect();
    std::string answer = "kept";
    std::uint32_t t0 = rig.clock.TickCount();
    EXPECT_EQ(rig.port->Request("ATI", answer, RequestScroll, nullptr, kTimeout, 0), 0);
    EXPECT_EQ(rig.Elapsed(t0), 11u * 500u + 10u * 10u);
    EXPECT_EQ(Count(rig.trace.Text(), "Request: no echo return \n"), 11);
    EXPECT_TRUE(rig.trace.Has("Request: no echo return \nRequest: Error Retries!\n"));
    EXPECT_EQ(rig.line->OpenCount(), 11);
    EXPECT_FALSE(rig.port->IsOpen());
    EXPECT_EQ(answer, "kept");
    EXPECT_EQ(rig.line->Written(), std::string(11, 'A'));
    // The next request on the closed port fails at its first write.
    rig.trace.Clear();
    EXPECT_EQ(rig.port->Request("ATI", answer, RequestScroll, nullptr, kTimeout, 0), 0);
    EXPECT_TRUE(rig.trace.Has("Request: Error writing character!\n"));

    // A wrong echo on the third character once: one reopen, then the whole
    // command again from its first character.
    SerialRig once(Profile({{"wrong-echo", "3"}}));
    once.Connect();
    EXPECT_EQ(once.port->Request("ATI3", answer, 0, nullptr, kTimeout, 0), 1);
    EXPECT_EQ(once.line->Written(), "ATIATI3\r");
    EXPECT_EQ(once.line->OpenCount(), 2);
    EXPECT_EQ(answer, "\r\nNUBO 56K-PRO\r\n\r\nOK\r\n");
}

TEST(Request, LineEndPhase) {
    // The CR never comes back: ten CRs, 500 ms each, and no trace of its own.
    SerialRig rig(Profile({{"no-cr-echo", "1"}}));
    rig.Connect();
    std::string answer = "kept";
    const std::uint32_t t0 = rig.clock.TickCount();
    EXPECT_EQ(rig.port->Request("AT", answer, RequestScroll, nullptr, kTimeout, 0), 0);
    EXPECT_EQ(rig.Elapsed(t0), 10u * 500u);
    EXPECT_EQ(rig.line->Written(), "AT" + std::string(10, '\r'));
    EXPECT_EQ(Count(rig.trace.Text(), "Request: Send <CR>\n"), 10);
    EXPECT_FALSE(rig.trace.Has("Request: complete command written"));
    EXPECT_FALSE(rig.trace.Has("Result"));
    EXPECT_EQ(answer, "kept");
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

TEST(Request, TimeoutsWithoutScroll) {
    // Time-out 0: nothing is collected, the answer becomes empty.
    SerialRig rig;
    rig.Connect();
    std::string answer = "kept";
    EXPECT_EQ(rig.port->Request("AT", answer, RequestScroll, nullptr, 0, 0), 0);
    EXPECT_EQ(answer, "");
    EXPECT_TRUE(rig.trace.Has("Request: Result:Error 0 \n"));

    // Silent after the CR: the full time-out, not a millisecond more.
    SerialRig silent(Profile({{"silent-after-cr", "1"}}));
    silent.Connect();
    const std::uint32_t t0 = silent.clock.TickCount();
    EXPECT_EQ(silent.port->Request("AT&V1", answer, 0, nullptr, kTimeout, 0), 0);
    EXPECT_EQ(silent.Elapsed(t0), 10000u);
    EXPECT_EQ(answer, "");
}

TEST(Request, ScrollKeepsPagedOutputGoingAndBoundsSilence) {
    SerialRig paged(Profile({{"paged", "2"}}));
    paged.Connect();
    std::string answer;
    EXPECT_EQ(paged.port->Request("AT&V1", answer, RequestScroll, nullptr, kTimeout, 0), 1);
    EXPECT_NE(answer.find("RX LEVEL: -21 DBM"), std::string::npos);
    EXPECT_EQ(Count(answer, "-- more --"), 3);  // 8 lines in pages of 2
    EXPECT_EQ(Count(paged.line->Written(), "\r"), 1 + 3);

    // Without scroll the first page is all there is.
    SerialRig stuck(Profile({{"paged", "2"}}));
    stuck.Connect();
    EXPECT_EQ(stuck.port->Request("AT&V1", answer, 0, nullptr, 2000, 0), 0);
    EXPECT_EQ(Count(answer, "-- more --"), 1);

    // A line silent after the CR: scroll CRs every 250 ms, and the run of
    // CRs that bring nothing back may cover the time-out, no more.
    SerialRig silent(Profile({{"silent-after-cr", "1"}}));
    silent.Connect();
    std::uint32_t t0 = silent.clock.TickCount();
    EXPECT_EQ(silent.port->Request("AT", answer, RequestScroll, nullptr, kTimeout, 0), 0);
    EXPECT_EQ(silent.Elapsed(t0), 250u + 40u * 250u);
    EXPECT_EQ(silent.line->Written(), "AT\r" + std::string(40, '\r'));
    EXPECT_EQ(answer, std::string(40, '\r'));  // each scroll CR echoed

    // A hang-up half-way through an answer ends the same way.
    SerialRig hangup(Profile({{"hangup", "1"}}));
    hangup.Connect();
    t0 = hangup.clock.TickCount();
    EXPECT_EQ(hangup.port->Request("ATI3", answer, RequestScroll, nullptr, 1000, 0), 0);
    EXPECT_EQ(answer, "\r\nNUBO 56K-");  // 11 of 22 bytes
    EXPECT_LE(hangup.Elapsed(t0), 20u + 250u + 4u * 250u);
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
    EXPECT_EQ(Count(rig.trace.Text(), "Request: Try to write "), 3);

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
