// Runs the built program (or the emulator) as a child process for end-to-end
// tests: arguments, environment changes, a time limit, exit status, stderr.
#pragma once
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace nubo::testing {

struct ProcessResult {
    int status = -1000;  // exit status as the shell sees it (0..255), or -signal
    bool timedOut = false;
    std::string err;  // what the child wrote on stderr
    std::string out;  // what the child wrote on stdout
};

// Environment entries mapped to std::nullopt are removed for the child.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

class Process {
public:
    Process(const std::string& exe, const std::vector<std::string>& args, const EnvChanges& env);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    int Pid() const { return pid_; }
    void Signal(int sig);
    // The next line the child writes on stdout, without its line end; empty
    // when none came within the limit.
    std::string ReadLine(std::chrono::milliseconds limit);
    // Waits for the end, killing the child when the limit passes.
    ProcessResult Wait(std::chrono::milliseconds limit);

private:
    int pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string pendingOut_;  // stdout read past the last line handed out
};

ProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                         const EnvChanges& env = {},
                         std::chrono::milliseconds limit = std::chrono::seconds(60));

// A fresh directory under the system's temporary directory, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes content (binary) to the named file in the directory; gives its path.
    std::string Write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

// A literal with its embedded NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// A log's lines without their "hh:mm:ss - " time prefix, each still ending in CR.
std::vector<std::string> LogLinesWithoutTime(const std::string& log);
// Copies the program beside its data files into `dir`, so its default log lands there.
std::string CopyProgram(const std::string& exe, const std::string& dir);

}  // namespace nubo::testing
