// Serial ports from sysfs, with TIOCGSERIAL where the kernel gives no UART type file.
#include "platform/posix/SysfsPorts.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

namespace nubo {

namespace fs = std::filesystem;

namespace {

bool IsLegacyUart(const std::string& name) {
    return name.size() > 4 && name.compare(0, 4, "ttyS") == 0 &&
           std::all_of(name.begin() + 4, name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Names with their digit runs compared as numbers, so ttyS10 follows ttyS9.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && digit(a[ei])) ++ei;
            while (ej < b.size() && digit(b[ej])) ++ej;
            std::string na = a.substr(i, ei - i);
            std::string nb = b.substr(j, ej - j);
            na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
            nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
    return a < b;
}

int UartTypeFromDevice(const std::string& path) {
#if defined(__linux__) && defined(TIOCGSERIAL)
    // Non-blocking, so that a port waiting for carrier does not hold us.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    serial_struct info{};
    const int rc = ::ioctl(fd, TIOCGSERIAL, &info);
    ::close(fd);
    return rc == 0 ? info.type : -1;
#else
    (void)path;
    return -1;
#endif
}

}  // namespace

int SysfsPorts::UartType(const std::string& entry, const std::string& name) const {
    std::ifstream in(entry + "/type");
    int type = -1;
    if (in >> type) return type;
    return UartTypeFromDevice(devDir_ + "/" + name);
}

bool SysfsPorts::ListPorts(const AddPort& add) {
    std::error_code ec;
    const fs::path ttyDir = fs::path(sysfsRoot_) / "class" / "tty";
    fs::directory_iterator it(ttyDir, ec);
    if (ec) return false;
    std::error_code pathEc;
    const fs::path virtualDir =
        fs::weakly_canonical(fs::path(sysfsRoot_) / "devices" / "virtual", pathEc);

    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = it->path().filename().string();
        const fs::path entry = it->path();
        // No device link (or a dangling one): a console, a pty or the like.
        if (!fs::exists(entry / "device", pathEc)) continue;
        const fs::path real = fs::canonical(entry, pathEc);
        if (pathEc) continue;
        const std::string realText = real.string();
        const std::string virtualText = virtualDir.string() + "/";
        if (realText.compare(0, virtualText.size(), virtualText) == 0) continue;
        if (IsLegacyUart(name) && UartType(entry.string(), name) <= 0) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    for (const std::string& name : names) add(devDir_ + "/" + name);
    return true;
}

std::unique_ptr<PortSource> MakePortSource(System& system) {
    const std::string listed = system.Environment("NUBOTEST_PORTS");
    if (!listed.empty()) return std::make_unique<ListedPorts>(SplitPortPaths(listed));
    return std::make_unique<SysfsPorts>();
}

}  // namespace nubo
