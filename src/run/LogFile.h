// The run's plain-text log. One instance per process; WriteLine may be called
// from the UI thread and from the search and test workers at the same time.
#pragma once
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/System.h"

namespace nubo {

class CLogFile {
public:
    // Beside the program, under the program's name with ".log".
    explicit CLogFile(System& system);
    // Exactly this path; a path that cannot be opened leaves a log that drops every line.
    CLogFile(System& system, const std::string& path);
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Time prefix, text up to its first NUL, CR LF, flush. One lock covers the
    // whole line so that lines of different threads never interleave. Never
    // reports an error.
    void WriteLine(const std::string& text);

    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }

private:
    void Open(const std::string& path);

    System& system_;
    const std::string path_;
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    char buffer_[512];
};

}  // namespace nubo
