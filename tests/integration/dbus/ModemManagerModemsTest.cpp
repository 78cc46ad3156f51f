// The installed modems as ModemManager reports them: the client against the
// stand-in service on a private dbus-daemon, and the order of object paths.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/ModemManagerModems.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const fs::path candidate = fs::path(dirs.substr(start, end - start)) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return {};
}

// A program started with its standard output on a pipe; killed and reaped at
// the latest when the test ends.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }

    bool Start(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            std::vector<char*> argv;
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
        return pid_ > 0;
    }

    // The next line on its standard output, or empty after timeoutMs.
    std::string ReadLine(int timeoutMs) {
        const auto start = Clock::now();
        std::string line;
        while (MsSince(start) < timeoutMs) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs - static_cast<int>(MsSince(start))) <= 0) break;
            char c = 0;
            if (read(out_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return {};
    }

    // Sends the signal and gives the raw wait status, or -1 when the program
    // has not ended within timeoutMs.
    int Stop(int sig, int timeoutMs) {
        kill(pid_, sig);
        const auto start = Clock::now();
        int status = 0;
        while (MsSince(start) < timeoutMs) {
            const pid_t r = waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                pid_ = -1;
                return status;
            }
            usleep(5000);
        }
        return -1;
    }

    // The wait status once the program ended by itself, or -1.
    int Wait(int timeoutMs) { return Stop(0, timeoutMs); }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

class ModemManagerModemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string daemon = FindOnPath("dbus-daemon");
        if (daemon.empty()) GTEST_SKIP() << "dbus-daemon is not installed";
        dir_ = fs::temp_directory_path() /
               ("nubodbus-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // A bus of our own: no activatable services, anyone may own any name.
        std::ofstream(dir_ / "bus.conf")
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
               "1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>session</type>\n"
               "  <listen>unix:path="
            << (dir_ / "bus").string()
            << "</listen>\n"
               "  <auth>EXTERNAL</auth>\n"
               "  <policy context=\"default\">\n"
               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n"
               "    <allow own=\"*\"/>\n"
               "  </policy>\n"
               "</busconfig>\n";
        ASSERT_TRUE(bus_.Start({daemon, "--config-file=" + (dir_ / "bus.conf").string(), "--nofork",
                                "--print-address"}));
        address_ = bus_.ReadLine(10000);
        ASSERT_FALSE(address_.empty()) << "dbus-daemon gave no address";
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    // Starts the stand-in with these options and waits until it answers.
    void StartStandin(Child& standin, std::vector<std::string> options) {
        options.insert(options.begin(), {NUBO_MMSTANDIN, "--address", address_});
        ASSERT_TRUE(standin.Start(options));
        ASSERT_EQ(standin.ReadLine(10000), "ready");
    }

    fs::path dir_;
    Child bus_;
    std::string address_;
};

TEST_F(ModemManagerModemsTest, ModelsInObjectPathOrderAsGiven) {
    Child standin;
    // Registered in reverse, and "10" sorts before "2" as text.
    StartStandin(standin, {"--index", "10", "--model", "NUBO 56K-PRO  ", "--index", "2", "--model",
                           "", "--index", "1", "--model", "Other Modem"});
    const std::vector<std::string> expected{"Other Modem", "", "NUBO 56K-PRO  "};
    EXPECT_EQ(ModemManagerModems(address_).Models(), expected);
}

TEST_F(ModemManagerModemsTest, OnlyTheFirstTenOfMore) {
    Child standin;
    std::vector<std::string> options;
    for (int i = 11; i >= 0; --i) {
        options.insert(options.end(),
                       {"--index", std::to_string(i), "--model", "Modem " + std::to_string(i)});
    }
    StartStandin(standin, options);
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) expected.push_back("Modem " + std::to_string(i));
    EXPECT_EQ(ModemManagerModems(address_).Models(), expected);
}

TEST_F(ModemManagerModemsTest, ServiceWithoutModems) {
    Child standin;
    StartStandin(standin, {});
    EXPECT_TRUE(ModemManagerModems(address_).Models().empty());
}

TEST_F(ModemManagerModemsTest, NoServiceOnTheBusAnswersAtOnce) {
    const auto start = Clock::now();
    EXPECT_TRUE(ModemManagerModems(address_, 2000).Models().empty());
    EXPECT_LT(MsSince(start), 1000);
}

TEST_F(ModemManagerModemsTest, BusThatDoesNotExistAnswersAtOnce) {
    const auto start = Clock::now();
    EXPECT_TRUE(
        ModemManagerModems("unix:path=" + (dir_ / "no-such-bus").string(), 2000).Models().empty());
    EXPECT_TRUE(ModemManagerModems("this is no address", 2000).Models().empty());
    EXPECT_LT(MsSince(start), 1000);
}

TEST_F(ModemManagerModemsTest, PeerThatNeverAnswersIsGivenUpInTime) {
    // Accepts connections into its backlog and never says a word.
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un sa{};
    sa.sun_family = AF_UNIX;
    const std::string path = (dir_ / "mute").string();
    ASSERT_LT(path.size(), sizeof(sa.sun_path));
    path.copy(sa.sun_path, path.size());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)), 0);
    ASSERT_EQ(listen(listener, 4), 0);

    const auto start = Clock::now();
    EXPECT_TRUE(ModemManagerModems("unix:path=" + path, 300).Models().empty());
    const long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 250);
    EXPECT_LT(elapsed, 2000);
    close(listener);
}

TEST_F(ModemManagerModemsTest, SystemBusNamedByTheEnvironment) {
    Child standin;
    StartStandin(standin, {"--model", "NUBO 56K-PRO"});
    const char* old = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string saved = old != nullptr ? old : "";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    const auto models = ModemManagerModems().Models();
    if (old != nullptr) {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", saved.c_str(), 1);
    } else {
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
    EXPECT_EQ(models, std::vector<std::string>{"NUBO 56K-PRO"});
}

TEST_F(ModemManagerModemsTest, StandinEndsCleanlyOnSignals) {
    for (const int sig : {SIGTERM, SIGINT}) {
        Child standin;
        StartStandin(standin, {"--model", "NUBO 56K-PRO"});
        const int status = standin.Stop(sig, 5000);
        ASSERT_NE(status, -1) << "still running after signal " << sig;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << sig;
        // The name is free again for the next one.
        EXPECT_TRUE(ModemManagerModems(address_).Models().empty());
    }
}

TEST_F(ModemManagerModemsTest, StandinEndsWithItsBus) {
    Child standin;
    StartStandin(standin, {"--model", "NUBO 56K-PRO"});
    ASSERT_NE(bus_.Stop(SIGTERM, 5000), -1);
    const int status = standin.Wait(5000);
    ASSERT_NE(status, -1) << "still running without a bus";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

TEST_F(ModemManagerModemsTest, StandinRefusesATakenName) {
    Child first;
    StartStandin(first, {"--model", "First"});
    Child second;
    ASSERT_TRUE(second.Start({NUBO_MMSTANDIN, "--address", address_, "--model", "Second"}));
    const int status = second.Wait(5000);
    ASSERT_NE(status, -1);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(ModemManagerModems(address_).Models(), std::vector<std::string>{"First"});
}

TEST(ObjectPathLessTest, NumbersCompareByValue) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"/org/freedesktop/ModemManager1/Modem/2", "/org/freedesktop/ModemManager1/Modem/10", true},
        {"/org/freedesktop/ModemManager1/Modem/10", "/org/freedesktop/ModemManager1/Modem/2",
         false},
        {"/org/freedesktop/ModemManager1/Modem/9", "/org/freedesktop/ModemManager1/Modem/9", false},
        {"/org/freedesktop/ModemManager1/Modem/0", "/org/freedesktop/ModemManager1/Modem/1", true},
        {"/a/10/b/1", "/a/10/b/01x", true},
        {"/a/002", "/a/10", true},
        {"/a/1", "/a/01", false},
        {"/a/01", "/a/1", true},
        {"/a", "/a/0", true},
        {"/a/0", "/a", false},
        {"/a/9", "/b/1", true},
        {"/Modem/1", "/Modem/1_", true},
        {"/Modem/99999999999999999999999", "/Modem/100000000000000000000000", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ObjectPathLess(c.a, c.b), c.less) << c.a << " < " << c.b;
    }
}

}  // namespace
}  // namespace nubo
