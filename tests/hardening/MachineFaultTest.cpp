// Faults of the machine around a run: the log's disk full, an open that never
// returns, a modem description file that is unreadable, empty or huge (binary bytes are the
// ini fuzz target's; the log's directory missing is run by e2e_frame with the
// built program).
// The modem is the healthy emulated one in virtual time. (The dial data file's
// faults are in DialDataTest and the dial data fuzz target.)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "HardeningRig.h"
#include "platform/posix/PosixSystem.h"

namespace nubo::hardening {
namespace {

namespace ec = exitcode;
const char* const kPortLine = "Scanning Port       : COM1";

std::string Junk(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// The log hits the file-size limit half-way: the program goes on to its exit
// code instead of dying of the limit's signal, and what was written before is
// there, line by line. Runs in a child so that the limit stays there.
TEST(MachineFault, LogDiskFullKeepsEarlierLinesAndTheProcessAlive) {
    Scratch scratch;
    const std::string path = scratch.File("full.log");
    constexpr rlim_t kLimit = 4096;
    constexpr int kLines = 400;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PosixSystem system;  // what the program's entry makes first
        rlimit limit{kLimit, kLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        {
            CLogFile log(system, path);
            for (int i = 0; i < kLines; ++i)
                log.WriteLine("line " + std::to_string(i) + " of the run");
        }
        _exit(42);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_FALSE(WIFSIGNALED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 42);
    const std::string log = ReadFile(path);
    EXPECT_LE(log.size(), kLimit);
    EXPECT_GT(log.size(), kLimit / 2);
    // Every whole line is the line written, in order; at most the last is cut.
    const std::vector<std::string> lines = testing::LogLinesWithoutTime(log);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        ASSERT_EQ(lines[i], "line " + std::to_string(i) + " of the run\r");
    }
}

// Cancel while the open of the port never returns (a paired wireless port
// looking for its device): the run still ends within a second of the Cancel,
// with the cancel's exit code and its line last in a whole log. In a child,
// since the run ends its process itself then.
TEST(MachineFault, CancelDuringAnOpenThatNeverReturnsEndsTheRun) {
    Scratch scratch;
    const std::string path = scratch.File("run.log");
    constexpr auto kCancelAfter = std::chrono::milliseconds(300);
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    constexpr auto kBound = std::chrono::seconds(5);  // a sanitizer slows every step
#else
    constexpr auto kBound = std::chrono::seconds(1);
#endif
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Machine m;
        m.driver.HoldOpens(true);
        _exit(m.RunProgram("/P:COM1 /T:0123 /L:" + path, kCancelAfter) & 0xFF);
    }
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() - start < kCancelAfter + kBound + std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto took = std::chrono::steady_clock::now() - start;
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the run did not end";
    }
    EXPECT_LT(took, kCancelAfter + kBound);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), ec::kCancelled & 0xFF);
    const std::string log = ReadFile(path);
    EXPECT_TRUE(LogIsWhole(log, {kPortLine, "PRG-Message         : Program canceled by user !"}));
    EXPECT_EQ(log.find("\r\n", log.find("canceled by user")), log.size() - 2) << log;
}

struct DescriptionCase {
    const char* name;
    std::function<void(const std::string& path)> make;
    int exitCode;
    std::vector<std::string> logged;  // in order, the port line among them
};

TEST(MachineFault, BrokenDescriptionFileEndsTheRunWithAVerdict) {
    const DescriptionCase cases[] = {
        // Without a readable description the identification texts are empty,
        // and an empty detect answer is found in any answer: a modem is
        // detected that no section describes.
        {"missing",
         [](const std::string& p) { std::filesystem::remove(p); },
         ec::kNotDescribed,
         {"ERROR               : .INI File not found !", kPortLine}},
        {"directory",
         [](const std::string& p) {
             std::filesystem::remove(p);
             std::filesystem::create_directory(p);
         },
         ec::kNotDescribed,
         {kPortLine}},
        {"empty", [](const std::string& p) { std::ofstream{p}; }, ec::kNotDescribed, {kPortLine}},
        // The sample first, then 32 MB of junk lines: every value of a
        // missing section is looked for through all of it.
        {"huge",
         [](const std::string& p) {
             std::string bytes = ReadFile(NUBO_SOURCE_DIR "/res/data/nubotest.ini");
             std::string junk = Junk(1 << 20, 11);
             for (char& c : junk) {
                 if (c == '[') c = ' ';
             }
             for (int i = 0; i < 32; ++i) bytes += junk;
             std::ofstream(p, std::ios::binary) << bytes;
         },
         ec::kPassed,
         {kPortLine, "Search modem .INI   : Modem found."}},
    };
    for (const DescriptionCase& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        c.make(m.system.programPath + ".ini");
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(m.RunProgram("/P:COM1 /T:0123 /L:" + m.LogPath()), c.exitCode);
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(60));
        EXPECT_TRUE(LogIsWhole(m.Log(), c.logged));
    }
}

}  // namespace
}  // namespace nubo::hardening
