// Starts nubotest-modemsim on a fresh pseudo-terminal for one test and stops it
// with SIGTERM afterwards; the test talks to Path() through the POSIX layer.
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace nubo::test {

class Emulator {
public:
    explicit Emulator(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            const int null = open("/dev/null", O_WRONLY);
            if (null >= 0 && getenv("NUBOTEST_SIM_VERBOSE") == nullptr) dup2(null, 2);
            close(out[0]);
            std::vector<char*> argv;
            std::string program = NUBO_MODEMSIM;
            argv.push_back(program.data());
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        // The first line is the device path.
        pollfd p{out[0], POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, 5000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
        close(out[0]);
    }
    ~Emulator() { Stop(); }
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    const std::string& Path() const { return path_; }
    // SIGTERM; the exit status (0 = stopped cleanly), -1 when it had to be killed.
    int Stop() {
        if (pid_ <= 0) return status_;
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 200; ++i) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return status_;
            }
            usleep(10000);
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return status_ = -1;
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string path_;
};

}  // namespace nubo::test
