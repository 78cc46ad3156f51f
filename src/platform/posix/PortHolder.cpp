// The holder of a busy serial device, from /proc/locks and the processes'
// open descriptors.
#include "platform/posix/PortHolder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace nubo {

namespace {

std::string ReadLink(const std::string& path) {
    char buf[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string ProcessName(long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// The process whose flock holds the device, from /proc/locks lines such as
// "1: FLOCK  ADVISORY  WRITE 2729 00:19:16 0 EOF"; 0 when none is listed.
long LockHolder(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return 0;
    char id[64];
    std::snprintf(id, sizeof id, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, type, mode, access, where;
        long pid = 0;
        fields >> number >> type >> mode >> access >> pid >> where;
        if (type == "FLOCK" && where == id) return pid;
    }
    return 0;
}

}  // namespace

void FindHolder(const std::string& path, PortFailure& failure) {
    if (const long pid = LockHolder(path); pid > 0) {
        failure.holderPid = pid;
        failure.holder = ProcessName(pid);
        return;
    }
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return;
    const std::string device = resolved;
    std::free(resolved);
    DIR* proc = opendir("/proc");
    if (!proc) return;
    while (const dirent* p = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(p->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        const std::string fdDir = "/proc/" + std::string(p->d_name) + "/fd";
        DIR* fds = opendir(fdDir.c_str());
        if (!fds) continue;  // another user's process: not ours to see
        bool holds = false;
        while (const dirent* f = readdir(fds)) {
            if (f->d_name[0] != '.' && ReadLink(fdDir + "/" + f->d_name) == device) {
                holds = true;
                break;
            }
        }
        closedir(fds);
        if (!holds) continue;
        failure.holderPid = pid;
        failure.holder = ProcessName(pid);
        break;
    }
    closedir(proc);
}

}  // namespace nubo
