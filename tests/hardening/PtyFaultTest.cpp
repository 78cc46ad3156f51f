// Faults that need a real pseudo-terminal: the port held by another program,
// the device going away during a request and between two tests, and a flood
// of 10 MB through the line. The emulator serves the modem in real time; each
// case states its bound in real milliseconds.
#include <chrono>
#include <future>

#include "../integration/serial/Emulator.h"
#include "HardeningRig.h"
#include "config/IdentifyCommands.h"
#include "config/IniFile.h"
#include "discovery/IdentifyModem.h"
#include "modemtests/TestExecutors.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixSerial.h"
#include "serial/ComPort.h"

namespace nubo::hardening {
namespace {

using Clock = std::chrono::steady_clock;
using test::Emulator;

long long MsSince(Clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

IdentifyCommands SampleIdentifyCommands() {
    return ReadIdentifyCommands(CIniFile(NUBO_SOURCE_DIR "/res/data/nubotest.ini"));
}

TEST(PtyFault, PortHeldByAnotherProgramFailsAtOnce) {
    Emulator emulator({});
    ASSERT_FALSE(emulator.Path().empty());
    PosixSerialDriver driver;
    PosixClock clock;
    auto holder = driver.Open(emulator.Path());  // the other program
    ASSERT_NE(holder, nullptr);
    DetectedModem modem;
    const auto t0 = Clock::now();
    EXPECT_FALSE(IdentifyModem({driver, clock}, emulator.Path(), SampleIdentifyCommands(), modem));
    std::string answer;
    EXPECT_FALSE(SendAndFind({driver, clock}, emulator.Path(), "AT&T8", "CRC OK", answer));
    EXPECT_LT(MsSince(t0), 1000);  // bound: 1 s, no waiting on a port that cannot open
}

// The emulator ends while the modem's answer is still to come: the request
// fails at its next write or read instead of waiting out the device.
TEST(PtyFault, DeviceGoneDuringARequestEndsIt) {
    Emulator emulator({"--reply-delay=3000"});
    ASSERT_FALSE(emulator.Path().empty());
    PosixSerialDriver driver;
    PosixClock clock;
    CComPort port(driver, clock);
    port.SetPortName(emulator.Path());
    ASSERT_EQ(port.Open(), 1);
    port.PurgeInput(100);
    auto request = std::async(std::launch::async, [&] {
        std::string answer;
        return port.Request("ATI3", answer, RequestScroll, nullptr, 10000, 0);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const auto t0 = Clock::now();
    emulator.Stop();
    EXPECT_EQ(request.get(), 0);
    // bound: the request's time-out of 10 s after the device went away
    EXPECT_LT(MsSince(t0), 10'500);
    std::printf("gone during request: ended %lld ms after the device\n", MsSince(t0));
    port.Close();
}

// The pseudo-terminal closes after the RAM test: the CRC test cannot open it
// and fails at once.
TEST(PtyFault, DeviceGoneBetweenTwoTests) {
    Emulator emulator({});
    ASSERT_FALSE(emulator.Path().empty());
    PosixSerialDriver driver;
    PosixClock clock;
    std::string answer;
    EXPECT_FALSE(SendAndFind({driver, clock}, emulator.Path(), "AT&T7", "ERROR", answer));
    EXPECT_NE(answer.find("PASSED"), std::string::npos);
    emulator.Stop();
    const auto t0 = Clock::now();
    answer = "kept";
    EXPECT_FALSE(SendAndFind({driver, clock}, emulator.Path(), "AT&T8", "CRC OK", answer));
    EXPECT_EQ(answer, "kept");
    EXPECT_LT(MsSince(t0), 1000);  // bound: 1 s
}

// 10 MB of digits instead of an answer, as fast as the pty carries them: the
// request keeps no more than its cap and identification says no modem.
TEST(PtyFault, FloodOfTenMegabytesIsCappedAndEnds) {
    Emulator emulator({"--flood", "--flood-bytes=10240", "--flood-rate=65536"});
    ASSERT_FALSE(emulator.Path().empty());
    PosixSerialDriver driver;
    PosixClock clock;
    DetectedModem modem;
    const auto t0 = Clock::now();
    EXPECT_FALSE(IdentifyModem({driver, clock}, emulator.Path(), SampleIdentifyCommands(), modem));
    std::printf("flood: identification ended after %lld ms\n", MsSince(t0));
    EXPECT_LT(MsSince(t0), 15'000);  // bound: 15 s
}

}  // namespace
}  // namespace nubo::hardening
