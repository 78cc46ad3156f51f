// Temporary directories and file helpers of the tests; portable, so the unit
// tests that Wine runs use them too.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "support/Process.h"

namespace nubo::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    // A name nobody holds yet: create_directory fails on one that exists.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("nubotest-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) path_ = candidate.string();
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
    std::ofstream(File(name), std::ios::binary) << content;
    return File(name);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FileExists(const std::string& path) {
    return fs::exists(path);
}

std::vector<std::string> LogLinesWithoutTime(const std::string& log) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line.size() >= 11 ? line.substr(11) : line);
    return lines;
}

std::string CopyProgram(const std::string& exe, const std::string& dir) {
    const fs::path from(exe);
    const fs::path to = fs::path(dir) / from.filename();
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    for (const char* ext : {".ini", ".dat", ".HLP"}) {
        const fs::path data = from.string() + ext;
        if (fs::exists(data)) {
            fs::copy_file(data, to.string() + ext, fs::copy_options::overwrite_existing);
        }
    }
    return to.string();
}

}  // namespace nubo::testing
