// Every fault of the emulator, in real time, ends a request with the engine's
// result within its bound, and a quiet line is waited for, not polled: the
// serial layer's poll() calls are counted per thread, which a busy loop
// inflates by thousands and a blocked wait does not, however slow a sanitizer
// or a loaded machine makes the clock. The slow cases run side by side.
#include <gtest/gtest.h>
#include <poll.h>

#include <cstdio>
#include <iterator>
#include <sstream>
#include <thread>

#include "Emulator.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixSerial.h"
#include "serial/ComPort.h"

namespace {
thread_local unsigned polls = 0;
thread_local int lastPoll = 0;  // what this thread's last poll() returned
}  // namespace

// The program is linked with --wrap=poll.
extern "C" int __real_poll(pollfd* fds, nfds_t n, int timeout);
extern "C" int __wrap_poll(pollfd* fds, nfds_t n, int timeout) {
    ++polls;
    lastPoll = __real_poll(fds, n, timeout);
    return lastPoll;
}

namespace nubo::test {
namespace {

struct Outcome {
    int result = -1;
    std::string answer;
    std::uint32_t elapsed = 0;
    unsigned wakeups = 0;  // poll() calls during the request
    int lastPoll = 0;      // the last one's result: 0 when it ended by its time-out
    bool openAfter = false;
};

// One conversation as every caller has it: open, 500 ms purge, one request.
// cancel is raised cancelAfterMs into the request (0: never).
Outcome Converse(const std::string& path, const std::string& command, int flags, int timeout,
                 CancelToken& cancel, std::uint32_t cancelAfterMs) {
    PosixSerialDriver driver;
    PosixClock clock;
    CComPort port(driver, clock);
    Outcome o;
    port.SetPortName(path);
    if (port.Open() == 0) return o;
    port.PurgeInput(500);
    const std::uint32_t t0 = clock.TickCount();
    const unsigned polls0 = polls;
    std::thread raiser;
    if (cancelAfterMs != 0) {
        raiser = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(cancelAfterMs));
            cancel.Raise();
        });
    }
    o.result = port.Request(command, o.answer, flags, &cancel, timeout, 0);
    o.elapsed = clock.TickCount() - t0;
    o.wakeups = polls - polls0;
    o.lastPoll = lastPoll;
    if (raiser.joinable()) raiser.join();
    o.openAfter = port.IsOpen();
    return o;
}

// The answer starts with `starts`, holds `has`, and is `size` bytes long when given.
struct FaultCase {
    const char* name;
    const char* options;  // separated by blanks
    const char* command;
    int result;
    std::uint32_t minMs;
    std::uint32_t maxMs;
    const char* starts = "";
    const char* has = "";
    std::size_t size = std::string::npos;
    bool closedAfter = false;
    int timeout = 10000;
    int flags = RequestScroll;
    bool quiet = false;               // nothing comes for most of the request
    std::uint32_t goneAfterMs = 0;    // the emulator ends this long after the start
    std::uint32_t cancelAfterMs = 0;  // the request is cancelled this long into it
};

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(Emulator, EveryFaultEndsTheRequestWithinItsBound) {
    constexpr auto any = std::string::npos;
    const std::vector<FaultCase> cases = {
        {"echo off", "--echo-off", "ATI", 0, 5600, 5900, "", "", any, true, 10000, RequestScroll,
         true},
        {"silent line", "--silent", "ATI", 0, 5600, 5900, "", "", 0, false, 10000, RequestScroll,
         true},
        {"wrong echo once", "--wrong-echo=3", "ATI3", 1, 10, 200, "", "NUBO 56K-PRO"},
        {"CR not echoed", "--no-cr-echo", "AT", 0, 5000, 5200, "", "", any, false, 10000,
         RequestScroll, true},
        {"silent after CR", "--silent-after-cr", "AT", 0, 1250, 1400, "", "", any, false, 1000,
         RequestScroll, true},
        {"paged output", "--paged=3", "AT&V1", 1, 500, 1100, "", "RX LEVEL"},
        {"flood", "--flood", "ATI", 0, 100, 10200, "", "", CComPort::kMaxAnswer},
        // Gaps between the pieces after 250 ms draw scroll CRs, whose echo is collected as well.
        {"answer in chunks", "--chunks=4:60", "ATI7", 1, 300, 600, "\r\nVersion 2.14/0815",
         "\r\nOK"},
        {"hang-up mid-answer", "--hangup", "ATI3", 0, 1250, 1450, "\r\nNUBO", "", any, false, 1000},
        {"no carrier", "--dial=no-carrier --connect-delay=100", "ATDT0123", 0, 100, 300,
         "\r\nNO CARRIER\r\n", "", 14, false, 10000, 0},
        // The terminal hangs up while the answer is due: it reads as empty and
        // stays readable, which must not turn the rest of the wait into a spin.
        {"device gone mid-request", "--reply-delay=3000", "ATI3", 0, 3000, 3300, "", "", 0, false,
         3000, 0, true, 900},
        // A request that waits the full 10 s for an answer (its CPU time is in
        // scripts/bench.sh).
        {"10 s answer wait", "--silent-after-cr", "ATI", 0, 10000, 10200, "", "", 0, false, 10000,
         0, true},
        // A cancel ends the wait under way at once, not at its time-out or at
        // a periodic look: in the answer wait and in an echo wait.
        {"cancel in answer wait", "--silent-after-cr", "ATI", 0, 1000, 1100, "", "", 0, false,
         10000, 0, true, 0, 1000},
        {"cancel in echo wait", "--echo-off", "ATI", 0, 300, 400, "", "", 0, false, 10000,
         RequestScroll, true, 0, 300},
    };
    std::vector<std::unique_ptr<Emulator>> sims;
    std::vector<Outcome> outcomes(cases.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        sims.push_back(std::make_unique<Emulator>(Words(cases[i].options)));
        ASSERT_FALSE(sims[i]->Path().empty());
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        threads.emplace_back([&, i] {
            const FaultCase& c = cases[i];
            std::thread stopper;
            if (c.goneAfterMs != 0) {
                stopper = std::thread([&, i] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(c.goneAfterMs));
                    sims[i]->Stop();
                });
            }
            CancelToken cancel;  // as every caller of the program passes one
            outcomes[i] =
                Converse(sims[i]->Path(), c.command, c.flags, c.timeout, cancel, c.cancelAfterMs);
            if (stopper.joinable()) stopper.join();
        });
    }
    for (auto& t : threads) t.join();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const Outcome& o = outcomes[i];
        std::printf("%-24s %5u ms %5u wake-ups\n", cases[i].name, o.elapsed, o.wakeups);
        EXPECT_EQ(o.result, cases[i].result);
        EXPECT_GE(o.elapsed, cases[i].minMs);
        // Wall-time ceilings say that no wait lasted longer than its time-out; a
        // sanitizer or a loaded machine stretches them, the wake-up count stands.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        EXPECT_LE(o.elapsed, cases[i].maxMs);
#endif
        // A blocked wait wakes at its time-out - the shortest is a scroll
        // wait's 250 ms - or when bytes come; one that looks at something
        // every few ms wakes many times more often, a spinning one thousands.
        EXPECT_TRUE(!cases[i].quiet || o.wakeups <= o.elapsed / CComPort::kScrollAfter + 10)
            << o.wakeups;
        // The cancel woke the wait: its poll() ended with the wake, not timed out.
        EXPECT_TRUE(cases[i].cancelAfterMs == 0 || o.lastPoll > 0);
        EXPECT_EQ(o.answer.rfind(cases[i].starts, 0), 0u) << o.answer;
        EXPECT_NE(o.answer.find(cases[i].has), std::string::npos) << o.answer;
        EXPECT_TRUE(!cases[i].closedAfter || !o.openAfter);
        EXPECT_TRUE(cases[i].size == std::string::npos || o.answer.size() == cases[i].size)
            << o.answer.size();
        EXPECT_EQ(sims[i]->Stop(), 0);
    }
}

}  // namespace
}  // namespace nubo::test
