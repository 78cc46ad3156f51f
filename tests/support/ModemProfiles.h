// Emulated modems for tests: a profile built from emulator settings, each
// setting checked so that a misspelt key fails the test instead of being
// ignored; and the modem on COM1 of a simulated machine in virtual time.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "modemsim/ModemModel.h"
#include "modemsim/ModemProfile.h"
#include "platform/PortSource.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeInstalledModems.h"
#include "platform/fake/FakeSerial.h"
#include "platform/fake/FakeSystem.h"
#include "support/Process.h"

namespace nubo::testing {

using ModemSettings = std::vector<std::pair<std::string, std::string>>;

inline modemsim::ModemProfile Profile(const ModemSettings& settings) {
    modemsim::ModemProfile profile;
    for (const auto& [key, value] : settings) {
        std::string error;
        EXPECT_TRUE(modemsim::ApplySetting(profile, key, value, error)) << error;
    }
    return profile;
}

// The modem's device goes away once the host has sent trigger (a whole
// command line): at once, in the middle of the answer, or when the host
// closes the port after that exchange, between two tests.
struct Vanish {
    enum When { Never, MidAnswer, AfterClose } when = Never;
    std::string trigger;
};

// The emulated modem as the line sees it: it may vanish (above), it is held
// while a test looks at a running worker, and each of its steps is paced in
// real time if asked, so that a Cancel can land anywhere.
class ControlledPeer : public SerialPeer {
public:
    ControlledPeer(SerialPeer& inner, Vanish vanish) : inner_(inner), vanish_(std::move(vanish)) {}
    void Attach(FakeSerialLine& line) { line_ = &line; }
    void Hold(bool hold) {
        std::lock_guard lock(mutex_);
        held_ = hold;
        released_.notify_all();
    }
    std::chrono::microseconds pace{0};

private:
    void Receive(std::string_view bytes, std::uint32_t now) override {
        Step();
        inner_.Receive(bytes, now);
        if (vanish_.when == Vanish::Never || armed_) return;
        typed_.append(bytes);
        if (typed_.find(vanish_.trigger + "\r") == std::string::npos) return;
        armed_ = true;
        // The answer is under way 20 ms after the CR; the device dies in it.
        if (vanish_.when == Vanish::MidAnswer) line_->At(now + 25, [this] { line_->gone = true; });
    }
    void LineReset(std::uint32_t now) override {
        inner_.LineReset(now);
        if (armed_ && vanish_.when == Vanish::AfterClose) line_->gone = true;
    }
    std::string TakeOutput(std::uint32_t now) override { return Step(), inner_.TakeOutput(now); }
    bool NextDue(std::uint32_t now, std::uint32_t& due) override {
        return inner_.NextDue(now, due);
    }
    void Step() {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [&] { return !held_; });
        std::this_thread::sleep_for(pace);
    }

    SerialPeer& inner_;
    Vanish vanish_;
    FakeSerialLine* line_ = nullptr;
    std::string typed_;
    bool armed_ = false;
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
};

// One NUBO modem on COM1 of a simulated machine, the program in a fresh
// folder with the sample description beside it, the modem installed for the
// telephony check.
struct SimulatedModem {
    explicit SimulatedModem(modemsim::ModemProfile profile = {}, Vanish vanish = {})
        : modem(std::make_unique<modemsim::ModemModel>(std::move(profile))),
          peer(*modem, std::move(vanish)),
          line(std::make_unique<FakeSerialLine>(clock, peer)) {
        peer.Attach(*line);
        driver.Add("COM1", *line);
        system.programPath = dir.File("nubotest");
        std::filesystem::copy_file(NUBO_SOURCE_DIR "/res/data/nubotest.ini",
                                   system.programPath + ".ini");
        installed.models = {"NUBO 56K-PRO"};
    }

    TempDir dir;
    FakeSystem system;
    FakeClock clock;
    std::unique_ptr<modemsim::ModemModel> modem;
    ControlledPeer peer;
    std::unique_ptr<FakeSerialLine> line;
    FakeSerialDriver driver;
    FakeInstalledModems installed;
    ListedPorts ports{{"COM1"}};
};

}  // namespace nubo::testing
