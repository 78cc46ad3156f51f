// The run's plain-text log.
#include "run/LogFile.h"

#include "platform/Files.h"

namespace nubo {

CLogFile::CLogFile(System& system) : system_(system), path_(BesideProgram(system, ".log")) {
    Open(path_);
}

CLogFile::CLogFile(System& system, const std::string& path) : system_(system), path_(path) {
    Open(path_);
}

CLogFile::~CLogFile() {
    std::lock_guard lock(mutex_);
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void CLogFile::Open(const std::string& path) {
    if (path.empty()) return;
    // Binary mode: the line end is written as CR LF by us on every platform.
    file_ = files::Open(path, "wb");
    if (file_) std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
}

void CLogFile::WriteLine(const std::string& text) {
    std::string line = FormatTimePrefix(system_.Now());
    line.reserve(line.size() + text.size() + 2);
    // The text ends at its first NUL, as a C string would: a modem answer may hold one.
    for (char c : text) {
        if (c == '\0') break;
        if (c == '\n') line += '\r';
        line += c;
    }
    line += "\r\n";

    std::lock_guard lock(mutex_);
    if (!file_) return;
    // Like a stream in its failed state: after a short write (disk full) later
    // lines are dropped instead of leaving torn lines behind them.
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

}  // namespace nubo
