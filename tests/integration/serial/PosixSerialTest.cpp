// The POSIX serial layer on a real pseudo-terminal in real time: purge,
// exclusive open, write counts, close twice, and what a port that does not
// open says. Reads, their time-outs and waits that block rather than spin are
// the emulator test's.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "Emulator.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixSerial.h"
#include "serial/ComPort.h"
#include "serial/PortFailureText.h"

namespace nubo::test {
namespace {

TEST(PosixSerial, PortOperationsOnAPty) {
    Emulator sim({"--reply-delay=50"});
    ASSERT_FALSE(sim.Path().empty());
    PosixSerialDriver driver;
    PosixClock clock;
    CComPort port(driver, clock);
    ASSERT_GT(port.SetPortName(sim.Path()), 0);
    ASSERT_EQ(port.Open(), 1);  // the pty's missing DTR line is no failure

    // A second opener is refused while we hold the port (OpenFailuresSayWhy tells why).
    CComPort other(driver, clock);
    other.SetPortName(sim.Path());
    EXPECT_EQ(other.Open(), 0);

    // Write counts, and a purge that really empties the input.
    EXPECT_EQ(port.Write("AT\r", 0), 0);
    EXPECT_EQ(port.Write("AT\r", 3), 3);
    clock.Sleep(150);
    EXPECT_EQ(port.BytesWaiting(), 9);  // the echo and "\r\nOK\r\n"
    port.PurgeInput(0);
    EXPECT_EQ(port.BytesWaiting(), 0);

    EXPECT_EQ(port.Close(), 1);
    EXPECT_EQ(port.Close(), 0);
    // Closed, the port is free for the next conversation.
    EXPECT_EQ(other.Open(), 1);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(PosixSerial, OpenFailuresSayWhy) {
    Emulator sim({});
    const std::string pty = sim.Path();
    PosixSerialDriver driver;
    ASSERT_EQ(chmod(pty.c_str(), 0660), 0);  // a group that may read and write
    struct stat st {};
    ASSERT_EQ(stat(pty.c_str(), &st), 0);
    const std::string ptyGroup = getgrgid(st.st_gid)->gr_name;
    const std::string comm = testing::ReadFile("/proc/self/comm");
    const std::string self =
        comm.substr(0, comm.find('\n')) + " (pid " + std::to_string(getpid()) + ")";
    auto held = driver.Open(pty);
    ASSERT_NE(held, nullptr);
    auto openError = [&](const std::string& path) {
        return driver.Open(path) ? 0u : driver.LastError();
    };
    const struct {
        std::string port;
        std::uint32_t error;
        std::string said;
    } cases[] = {
        {"/dev/nubotest-no-such-port", openError("/dev/nubotest-no-such-port"), "no such port"},
        {"", openError(""), "no such port"},
        {pty, openError(pty), "held by another program, " + self},
        {"/dev/null", openError("/dev/null"), "cannot be opened (error 25)"},
        // Open hands on open()'s errno as for the missing port; the group is looked up.
        {pty, EACCES, "no permission to open it; join the group " + ptyGroup},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(DescribePortFailure(c.port, driver.ExplainOpenFailure(c.port, c.error)),
                  c.port + ": " + c.said);
    }
}

}  // namespace
}  // namespace nubo::test
