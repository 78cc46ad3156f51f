// The request engine in virtual time against the emulated modem: the trace,
// answer classes, the flags, retries, cancel, and what the caller's answer
// text holds afterwards. The faults of the line (no echo, a wrong echo, a CR
// never echoed, answers in pieces, silence after the CR, paged output, a
// hang-up mid-answer) are bounded by the emulator's test and the hostile-modem
// matrix.
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
