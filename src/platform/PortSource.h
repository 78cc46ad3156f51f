// Where the serial port names of the machine come from: registry walks on
// Windows, sysfs on Linux, or a fixed list. Each call walks the system afresh.
// A source may be called from the UI thread and from the search worker.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace nubo {

class PortSource {
public:
    using AddPort = std::function<void(const std::string& name)>;
    virtual ~PortSource() = default;
    // Hands every port name to add, in the order the system lists them. False
    // when the system's list itself cannot be read; nothing was added then.
    virtual bool ListPorts(const AddPort& add) = 0;
};

// A list given from outside (NUBOTEST_PORTS), handed out in its own order.
class ListedPorts : public PortSource {
public:
    explicit ListedPorts(std::vector<std::string> names) : names_(std::move(names)) {}
    bool ListPorts(const AddPort& add) override {
        for (const std::string& name : names_) add(name);
        return true;
    }

private:
    std::vector<std::string> names_;
};

// "a:b:c" → {a, b, c}. Empty parts are dropped: an empty name would end the
// port list for every reader and hide the ports behind it.
inline std::vector<std::string> SplitPortPaths(const std::string& paths) {
    std::vector<std::string> names;
    std::string::size_type start = 0;
    while (start <= paths.size()) {
        std::string::size_type colon = paths.find(':', start);
        if (colon == std::string::npos) colon = paths.size();
        if (colon > start) names.push_back(paths.substr(start, colon - start));
        start = colon + 1;
    }
    return names;
}

}  // namespace nubo
