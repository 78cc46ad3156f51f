// Helpers shared by the fuzz targets: a scratch file that holds the fuzzer's
// bytes for readers that take a path, and a stop that a sanitizer or the
// fuzzer reports as a crash when an invariant breaks. One thread per target.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "serial/ComPort.h"

namespace nubo::fuzz {

// The engine's step-by-step trace, dropped: the targets check results, not texts.
class NoTrace : public SerialTraceSink {
public:
    void Trace(const std::string&) override {}
    void Notice(const std::string&) override {}
};

// Aborts with a message: libFuzzer keeps the input that led here.
inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// One file per process under TMPDIR, rewritten for every input.
inline const std::string& WriteScratch(const char* name, std::string_view bytes) {
    static const std::string path = [name] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/nubofuzz-" + name + "-" +
               std::to_string(getpid());
    }();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    Require(f != nullptr, "scratch file opens");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

}  // namespace nubo::fuzz
