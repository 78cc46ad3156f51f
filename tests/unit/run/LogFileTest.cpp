// The log writer: a modem's NUL, the default path and whole lines under threads.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/fake/FakeSystem.h"
#include "run/LogFile.h"
#include "support/Process.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

class LogFileTest : public ::testing::Test {
protected:
    testing::TempDir tmp_;
    fs::path dir_ = tmp_.Path();
    FakeSystem system_;
};

// The line form itself is pinned by the golden run logs.
TEST_F(LogFileTest, ModemNulEndsTheTextAndARunReplacesTheOldLog) {
    system_.programPath = (dir_ / "nubotest").string();
    { CLogFile(system_).WriteLine("first run, a much longer line than the second one"); }
    CLogFile log(system_);
    log.WriteLine(testing::Bytes("Answ. for this test : OK\0junk"));
    // Read while the log is still open.
    EXPECT_EQ(ReadFile((dir_ / "nubotest.log").string()), "09:05:41 - Answ. for this test : OK\r\n");
}

TEST_F(LogFileTest, LinesOfTwoThreadsNeverInterleave) {
    const fs::path path = dir_ / "threads.log";
    {
        CLogFile log(system_, path.string());
        auto writer = [&log](char c) {
            const std::string text(100, c);
            for (int i = 0; i < 10000; ++i) log.WriteLine(text);
        };
        std::thread a(writer, 'a');
        std::thread b(writer, 'b');
        a.join();
        b.join();
    }
    // Lines of one length: a line cut by another shifts every line after it.
    const std::string text = ReadFile(path.string());
    const std::string a = "09:05:41 - " + std::string(100, 'a') + "\r\n";
    const std::string b = "09:05:41 - " + std::string(100, 'b') + "\r\n";
    ASSERT_EQ(text.size(), 20000 * a.size());
    int as = 0;
    int bs = 0;
    for (std::size_t at = 0; at < text.size(); at += a.size()) {
        as += text.compare(at, a.size(), a) == 0;
        bs += text.compare(at, b.size(), b) == 0;
    }
    EXPECT_EQ(as, 10000);
    EXPECT_EQ(bs, 10000);
}

}  // namespace
}  // namespace nubo
