// What a port of the POSIX serial layer that does not open says, on a real
// pseudo-terminal: a second opener among them. Writes, reads, purges and
// their time-outs on the real device are the emulator test's and the golden
// runs'.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "Emulator.h"
#include "platform/posix/PosixSerial.h"
#include "serial/PortFailureText.h"

namespace nubo::test {
namespace {

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
