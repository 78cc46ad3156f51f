// Process-wide serial trace sink: a no-op unless NUBOTEST_TRACE names a file.
#include "serial/SerialTrace.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace nubo {

void SerialTraceSink::Notice(const std::string& line) {
    std::fprintf(stderr, "nubotest: %s\n", line.c_str());
}

namespace {

class FileTraceSink : public SerialTraceSink {
public:
    FileTraceSink() {
        const char* path = std::getenv("NUBOTEST_TRACE");
        if (path != nullptr && *path != '\0') file_ = std::fopen(path, "ab");
    }
    ~FileTraceSink() override {
        if (file_ != nullptr) std::fclose(file_);
    }
    FileTraceSink(const FileTraceSink&) = delete;
    FileTraceSink& operator=(const FileTraceSink&) = delete;

    bool Enabled() const override { return file_ != nullptr; }
    void Trace(const std::string& text) override {
        if (file_ == nullptr) return;
        std::lock_guard lock(mutex_);
        std::fwrite(text.data(), 1, text.size(), file_);
        std::fflush(file_);
    }

private:
    std::FILE* file_ = nullptr;
    std::mutex mutex_;
};

}  // namespace

SerialTraceSink& DefaultSerialTrace() {
    static FileTraceSink sink;
    return sink;
}

}  // namespace nubo
