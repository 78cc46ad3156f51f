// The installed modems as ModemManager reports them: the client against the
// stand-in service on a private dbus-daemon, and the order of object paths.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/ModemManagerModems.h"
#include "support/Process.h"

namespace nubo {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

using testing::Process;

class ModemManagerModemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string daemon = "/usr/bin/dbus-daemon";  // where the dbus package puts it
        if (!testing::FileExists(daemon)) GTEST_SKIP() << "dbus-daemon is not installed";
        // A bus of our own: no activatable services, anyone may own any name.
        std::ofstream(tmp_.File("bus.conf"))
            << "<busconfig><type>session</type><listen>unix:path=" << tmp_.File("bus")
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
               "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
               "<allow own=\"*\"/></policy></busconfig>\n";
        bus_ = std::make_unique<Process>(
            daemon,
            std::vector<std::string>{"--config-file=" + tmp_.File("bus.conf"), "--nofork",
                                     "--print-address"},
            testing::EnvChanges{});
        address_ = bus_->ReadLine(std::chrono::seconds(10));
        ASSERT_FALSE(address_.empty()) << "dbus-daemon gave no address";
    }
    // Starts the stand-in with these options and waits until it answers.
    std::unique_ptr<Process> StartStandin(std::vector<std::string> options) {
        options.insert(options.begin(), {"--address", address_});
        auto standin = std::make_unique<Process>(NUBO_MMSTANDIN, options, testing::EnvChanges{});
        EXPECT_EQ(standin->ReadLine(std::chrono::seconds(10)), "ready");
        return standin;
    }

    testing::TempDir tmp_;
    std::unique_ptr<Process> bus_;
    std::string address_;
};

// Registered in reverse; "10" sorts after "9" although not as text; a model
// may be empty or end in blanks.
TEST_F(ModemManagerModemsTest, FirstTenModelsInObjectPathOrder) {
    const auto model = [](int i) {
        return i == 1 ? "NUBO 56K-PRO  " : i == 2 ? "" : "Modem " + std::to_string(i);
    };
    std::vector<std::string> options;
    for (int i = 11; i >= 0; --i) {
        options.insert(options.end(), {"--index", std::to_string(i), "--model", model(i)});
    }
    auto standin = StartStandin(options);
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) expected.push_back(model(i));
    EXPECT_EQ(ModemManagerModems(address_).Models(), expected);
}

TEST_F(ModemManagerModemsTest, NoModemsAnswerAtOnce) {
    const auto start = Clock::now();
    // No service on the bus, no bus at that path, no address at all.
    EXPECT_TRUE(ModemManagerModems(address_, 2000).Models().empty());
    EXPECT_TRUE(ModemManagerModems("unix:path=" + tmp_.File("no-such-bus"), 2000).Models().empty());
    EXPECT_TRUE(ModemManagerModems("this is no address", 2000).Models().empty());
    EXPECT_LT(Clock::now() - start, 2s);  // all three sooner than one time-out
    // A service without modems.
    auto standin = StartStandin({});
    EXPECT_TRUE(ModemManagerModems(address_).Models().empty());
}

TEST_F(ModemManagerModemsTest, PeerThatNeverAnswersIsGivenUpInTime) {
    // Accepts connections into its backlog and never says a word.
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un sa{};
    sa.sun_family = AF_UNIX;
    const std::string path = tmp_.File("mute");
    ASSERT_LT(path.size(), sizeof(sa.sun_path));
    path.copy(sa.sun_path, path.size());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)), 0);
    ASSERT_EQ(listen(listener, 4), 0);

    const auto start = Clock::now();
    EXPECT_TRUE(ModemManagerModems("unix:path=" + path, 300).Models().empty());
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 250ms);
    EXPECT_LT(elapsed, 2s);
    close(listener);
}

TEST(ObjectPathLessTest, NumbersCompareByValue) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"/Modem/2", "/Modem/10", true},
        {"/Modem/10", "/Modem/2", false},
        {"/Modem/9", "/Modem/9", false},
        {"/a/10/b/1", "/a/10/b/01x", true},
        {"/a/002", "/a/10", true},
        {"/a/1", "/a/01", false},
        {"/a/01", "/a/1", true},
        {"/a", "/a/0", true},
        {"/a/0", "/a", false},
        {"/a/9", "/b/1", true},
        {"/Modem/99999999999999999999999", "/Modem/100000000000000000000000", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ObjectPathLess(c.a, c.b), c.less) << c.a << " < " << c.b;
    }
}

}  // namespace
}  // namespace nubo
