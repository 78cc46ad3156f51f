// Common ground of the hardening tests: the emulated modem on the simulated
// line in virtual time, the sample description beside a scratch program path,
// a front end without a screen that runs an unattended wizard the way the
// sheet does, and checks that a log is whole. Used from the test thread; the
// search page's worker reaches the line while the test thread waits for it.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/Startup.h"
#include "support/ModemProfiles.h"
#include "wizard/fake/FakeDialogItems.h"

namespace nubo::hardening {

using nubo::testing::Profile;
using nubo::testing::Vanish;

using testing::ReadFile;
using Scratch = testing::TempDir;

// A log is whole when it starts with a time prefix, ends with a line end and
// holds every expected line, in order, each behind its own time prefix.
inline ::testing::AssertionResult LogIsWhole(const std::string& log,
                                             const std::vector<std::string>& lines = {}) {
    if (log.empty()) return ::testing::AssertionFailure() << "log is empty";
    if (log.size() < 2 || log.compare(log.size() - 2, 2, "\r\n") != 0) {
        return ::testing::AssertionFailure() << "log does not end with a line end";
    }
    static const std::regex prefix("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9] - ");
    if (!std::regex_search(log.substr(0, 11), prefix)) {
        return ::testing::AssertionFailure() << "first line has no time prefix";
    }
    std::size_t from = 0;
    for (const std::string& line : lines) {
        const std::size_t at = log.find(" - " + line + "\r\n", from);
        if (at == std::string::npos) {
            return ::testing::AssertionFailure() << "missing or out of order: " << line;
        }
        from = at + line.size();
    }
    return ::testing::AssertionSuccess();
}

// The wizard of an unattended run, without a screen: the search page runs its
// worker, a press of Next moves to the test page, which runs the tests and
// ends the wizard. Cancel is pressed only when asked for, after a while.
class HeadlessFrontEnd : public FrontEnd {
public:
    explicit HeadlessFrontEnd(std::chrono::milliseconds cancelAfter = {})
        : cancelAfter_(cancelAfter) {}
    bool Prepare(bool) override { return true; }
    bool RunSheet(const std::vector<WizardPage*>& pages, RunSettings&,
                  const std::string&) override {
        std::vector<std::unique_ptr<FakeDialogItems>> items;
        for (WizardPage* page : pages) {
            items.push_back(std::make_unique<FakeDialogItems>());
            page->Attach(*items.back(), host_);
            page->OnCreate();
        }
        std::size_t current = 0;
        pages[current]->OnSetActive();
        const auto start = std::chrono::steady_clock::now();
        const auto giveUp = start + std::chrono::seconds(120);
        bool cancelled = false;
        while (host_.Ends().empty() && std::chrono::steady_clock::now() < giveUp) {
            if (cancelAfter_.count() > 0 &&
                std::chrono::steady_clock::now() - start >= cancelAfter_) {
                cancelled = true;
                break;
            }
            host_.RunQueued();
            const std::size_t presses = host_.Presses().size();
            if (presses > seen_) {
                seen_ = presses;
                if (current + 1 < pages.size() && pages[current]->OnWizardNext()) {
                    pages[++current]->OnSetActive();
                }
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        timedOut_ = host_.Ends().empty() && !cancelled;
        for (WizardPage* page : pages) page->OnClose();
        return cancelled;
    }
    bool TimedOut() const { return timedOut_; }

private:
    std::chrono::milliseconds cancelAfter_;
    FakeWizardHost host_;
    std::size_t seen_ = 0;
    bool timedOut_ = false;
};

// The simulated machine, run by its command line.
struct Machine : testing::SimulatedModem {
    using SimulatedModem::SimulatedModem;

    // The program's run from its command line to its exit code.
    int RunProgram(const std::string& commandLine, std::chrono::milliseconds cancelAfter = {}) {
        HeadlessFrontEnd front(cancelAfter);
        std::ostringstream err;
        const int code = nubo::RunProgram(commandLine, {system, clock, driver, ports, installed},
                                          front, ValueRule::OptionSlash, err);
        EXPECT_FALSE(front.TimedOut());
        return code;
    }
    std::string LogPath() const { return dir.File("run.log"); }
    std::string Log() const { return ReadFile(LogPath()); }
};

}  // namespace nubo::hardening
