// Fuzz target: the AT request engine against a line whose bytes, echo and
// timing come from the fuzzer, in virtual time. Besides sanitizer findings it
// checks the bounds the engine promises: the answer cap and an end in time.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "ScriptedPeer.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeSerial.h"
#include "serial/ComPort.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nubo;
    FuzzedDataProvider in(data, size);
    const int flags = in.ConsumeIntegralInRange<int>(0, 7);
    const int timeout = in.ConsumeIntegralInRange<int>(-10, 20000);
    const int retries = in.ConsumeIntegralInRange<int>(0, 2);
    const bool cancelLater = in.ConsumeBool();
    const std::uint32_t cancelAt = in.ConsumeIntegralInRange<std::uint32_t>(0, 30000);
    const std::string command = in.ConsumeRandomLengthString(16);

    FakeClock clock;
    const std::uint32_t start = clock.TickCount();
    fuzz::ScriptedPeer peer(in, start);
    FakeSerialLine line(clock, peer);
    line.ctsLow = in.ConsumeIntegralInRange<int>(0, 15) == 0;
    FakeSerialDriver driver;
    driver.Add("COM1", line);
    fuzz::NoTrace trace;
    CComPort port(driver, clock, &trace);
    port.SetPortName("COM1");
    port.Open();

    int cancel = 0;
    if (cancelLater) line.At(start + cancelAt, [&cancel] { cancel = 1; });
    std::string answer = "before";
    const int result = port.Request(command, answer, flags, &cancel, timeout, retries);
    fuzz::Require(result == 0 || result == 1, "the result is 1 or 0");
    fuzz::Require(answer.size() <= CComPort::kMaxAnswer, "the answer stays under the cap");
    fuzz::Require(answer == "before" || !(flags & RequestNoAnswer),
                  "a no-answer request leaves the answer alone");

    // Worst case per attempt: 11 echo rounds of every character, 10 CRs, and an
    // answer phase of scroll CRs for kScrollTimeouts time-outs and one more, plus
    // what keeps arriving (the script holds at most 24 events 3 s apart).
    const std::uint64_t chars = command.size() + 1;
    const std::uint64_t perAttempt =
        11 * chars * 510 + 10 * 510 +
        (CComPort::kScrollTimeouts + 1) * static_cast<std::uint64_t>(timeout > 0 ? timeout : 0) +
        24ull * 3000 + 500;
    const std::uint64_t bound = (retries + 1) * perAttempt;
    if (std::getenv("NUBOFUZZ_DEBUG")) {
        std::fprintf(
            stderr,
            "flags %d timeout %d retries %d cmd %zu ctsLow %d elapsed %u bound %llu written %zu\n",
            flags, timeout, retries, command.size(), line.ctsLow ? 1 : 0, clock.TickCount() - start,
            static_cast<unsigned long long>(bound), line.Written().size());
    }
    fuzz::Require(clock.TickCount() - start <= bound, "the request ends within its bound");
    return 0;
}
