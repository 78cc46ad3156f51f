// The port list buffer and its readers.
#include "discovery/PortList.h"

#include <cstring>

namespace nubo {

namespace {

bool SameIgnoringCase(const char* a, const std::string& b) {
    std::size_t i = 0;
    for (; a[i] != '\0' && i < b.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        const auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (lx != ly) return false;
    }
    return a[i] == '\0' && i == b.size();
}

}  // namespace

void PortList::Clear() {
    buffer_[0] = '\0';
    buffer_[1] = '\0';
    end_ = 0;
}

void PortList::Add(const std::string& name) {
    // A name with a NUL inside would read back as a shorter name.
    const std::size_t length = std::strlen(name.c_str());
    // An empty name would end the list for every reader and hide the ports
    // behind it; nobody can open a port without a name anyway.
    if (length == 0) return;
    for (const char* entry = buffer_; *entry != '\0'; entry += std::strlen(entry) + 1) {
        if (SameIgnoringCase(entry, name.substr(0, length))) return;
    }
    // The name, its NUL and the new empty entry must all fit.
    if (end_ + length + 2 > kSize) return;
    std::memcpy(buffer_ + end_, name.c_str(), length + 1);
    end_ += length + 1;
    buffer_[end_] = '\0';
}

int MultiSzCount(const char* list) {
    if (!list) return 0;
    int count = 0;
    while (*list != '\0') {
        list += std::strlen(list) + 1;
        ++count;
    }
    return count;
}

const char* MultiSzEntry(const char* list, int index) {
    if (!list) return nullptr;
    while (index != 0 && *list != '\0') {
        list += std::strlen(list) + 1;
        --index;
    }
    return *list != '\0' ? list : nullptr;
}

const char* EnumSerialPorts(PortSource& source) {
    // One list per thread: the port page may walk the list while a search
    // that was left running walks it too, and neither may rewrite the
    // other's entries under its feet.
    thread_local PortList list;
    list.Clear();
    const bool listed = source.ListPorts([](const std::string& name) { list.Add(name); });
    return listed ? list.Data() : nullptr;
}

std::vector<std::string> ReadPortList(PortSource& source) {
    std::vector<std::string> names;
    for (int i = 0; i < MultiSzCount(EnumSerialPorts(source)); ++i) {
        const char* entry = MultiSzEntry(EnumSerialPorts(source), i);
        if (!entry) break;  // the system's list shrank between two walks
        names.emplace_back(entry);
    }
    return names;
}

}  // namespace nubo
