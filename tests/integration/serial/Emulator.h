// Starts nubotest-modemsim on a fresh pseudo-terminal for one test and stops it
// with SIGTERM afterwards; the test talks to Path() through the POSIX layer.
#pragma once
#include <signal.h>

#include <optional>

#include "support/Process.h"

namespace nubo::test {

class Emulator : public testing::Process {
public:
    explicit Emulator(const std::vector<std::string>& args) : Process(NUBO_MODEMSIM, args, {}) {
        path_ = ReadLine(std::chrono::seconds(5));  // the first line is the device path
    }
    ~Emulator() { Stop(); }

    const std::string& Path() const { return path_; }
    // SIGTERM; the exit status (0 = stopped cleanly), negative when it had to be killed.
    int Stop() {
        if (!status_ && Pid() <= 0) status_ = -1;
        if (!status_) {
            Signal(SIGTERM);
            const testing::ProcessResult r = Wait(std::chrono::seconds(2));
            status_ = r.timedOut ? -1 : r.status;
        }
        return *status_;
    }

private:
    std::string path_;
    std::optional<int> status_;
};

}  // namespace nubo::test
