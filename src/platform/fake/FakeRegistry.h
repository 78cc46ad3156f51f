// In-memory registry for tests, built from a small text fixture in the style
// of an exported .reg file. Thread-safe; key handles may be used from any thread.
//
// Fixture lines (empty lines and lines starting with ';' are ignored):
//   [Path\Below\LocalMachine]          a key, created with its parents; an optional
//   [Path] noaccess                    trailing "noaccess" makes the key refuse Open
//   "Value name"="text"                REG_SZ, stored with its terminating NUL
//   @="text"                           the key's default value
//   "Count"=dword:0000000a             REG_DWORD, four bytes little-endian
//   "Class"=hex:01,02                  REG_BINARY
//   "Raw"=hex(1):43,4f,4d              raw bytes of any type (here REG_SZ without NUL)
// Inside quotes a backslash takes the next character as it is. Names of keys
// and values are matched without regard to case, as the platform does;
// sub-keys and values enumerate in the order the fixture gives them.
#pragma once
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace nubo {

class FakeRegistry : public Registry {
public:
    // A fixture that does not parse stops at its first bad line; error()
    // names it, and every test asserts it empty.
    explicit FakeRegistry(const std::string& fixture) {
        std::istringstream in(fixture);
        std::string line;
        Node* current = nullptr;
        for (int n = 1; error_.empty() && std::getline(in, line); ++n) {
            if (!Load(line, current)) error_ = "line " + std::to_string(n) + ": " + line;
        }
    }

    const std::string& error() const { return error_; }

    Key Open(Key parent, const std::string& subKey) override {
        std::lock_guard lock(mutex_);
        Node* node = Find(parent);
        for (const std::string& part : Split(subKey)) node = node ? Child(*node, part) : nullptr;
        if (!node || node->denied) return 0;
        open_[nextKey_] = node;
        return nextKey_++;
    }

    bool EnumValue(Key key, std::uint32_t index, RegValue& value) override {
        std::lock_guard lock(mutex_);
        Node* node = Find(key);
        if (!node || index >= node->values.size()) return false;
        value = node->values[index];
        return true;
    }

    bool EnumKey(Key key, std::uint32_t index, std::string& name) override {
        std::lock_guard lock(mutex_);
        Node* node = Find(key);
        if (!node || index >= node->children.size()) return false;
        name = node->children[index]->name;
        return true;
    }

    bool QueryValue(Key key, const std::string& name, RegValue& value) override {
        std::lock_guard lock(mutex_);
        Node* node = Find(key);
        RegValue* found = node ? Named(node->values, name) : nullptr;
        if (found) value = *found;
        return found != nullptr;
    }

    void Close(Key key) override {
        std::lock_guard lock(mutex_);
        if (open_.erase(key) == 0) ++badCloses_;
    }

    // Keys opened and not yet closed, and closes of keys that were not open:
    // both must be 0 after any walk.
    std::size_t OpenKeys() const {
        std::lock_guard lock(mutex_);
        return open_.size();
    }
    int BadCloses() const {
        std::lock_guard lock(mutex_);
        return badCloses_;
    }

private:
    struct Node {
        std::string name;
        bool denied = false;
        std::vector<std::unique_ptr<Node>> children;
        std::vector<RegValue> values;
    };

    // One fixture line into the tree; false when it is none of the forms above.
    bool Load(const std::string& line, Node*& current) {
        static const std::regex key(R"(\[(.*)\]( noaccess)?)");
        static const std::regex value(
            R"re((@|"((?:[^"\\]|\\.)*)")=(?:"((?:[^"\\]|\\.)*)"|dword:([0-9a-fA-F]{1,8})|)re"
            R"re(hex(?:\(([0-9a-fA-F]+)\))?:([0-9a-fA-F]{2}(?:,[0-9a-fA-F]{2})*)?))re");
        std::smatch m;
        if (line.empty() || line[0] == ';') return true;
        if (std::regex_match(line, m, key)) {
            current = &root_;
            for (const std::string& part : Split(m[1])) {
                Node* child = Child(*current, part);
                if (!child) {
                    current->children.push_back(std::make_unique<Node>(Node{part, false, {}, {}}));
                    child = current->children.back().get();
                }
                current = child;
            }
            current->denied |= m[2].matched;
            return true;
        }
        if (!current || !std::regex_match(line, m, value)) return false;
        RegValue v{Unescape(m[2]), RegType::String, Unescape(m[3]) + '\0'};
        if (m[4].matched) {
            const auto n = std::stoul(m[4], nullptr, 16);
            v.type = RegType::Dword;
            v.data = {char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
        } else if (!m[3].matched) {
            v.type = m[5].matched ? RegType(std::stoul(m[5], nullptr, 16)) : RegType::Binary;
            v.data.clear();
            for (std::size_t i = 0; i < m[6].str().size(); i += 3) {
                v.data += char(std::stoul(m[6].str().substr(i, 2), nullptr, 16));
            }
        }
        if (RegValue* old = Named(current->values, v.name)) {
            *old = std::move(v);
        } else {
            current->values.push_back(std::move(v));
        }
        return true;
    }

    static std::string Unescape(const std::string& quoted) {
        return std::regex_replace(quoted, std::regex(R"(\\(.))"), "$1");
    }
    static bool Same(const std::string& a, const std::string& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) ==
                   std::tolower(static_cast<unsigned char>(y));
        });
    }
    static std::vector<std::string> Split(const std::string& path) {
        std::vector<std::string> parts;
        std::istringstream in(path);
        for (std::string part; std::getline(in, part, '\\');) {
            if (!part.empty()) parts.push_back(part);
        }
        return parts;
    }
    static RegValue* Named(std::vector<RegValue>& values, const std::string& name) {
        auto it = std::find_if(values.begin(), values.end(),
                               [&](const RegValue& v) { return Same(v.name, name); });
        return it == values.end() ? nullptr : &*it;
    }
    static Node* Child(Node& node, const std::string& name) {
        for (auto& child : node.children) {
            if (Same(child->name, name)) return child.get();
        }
        return nullptr;
    }
    Node* Find(Key key) {
        if (key == kLocalMachine) return &root_;
        auto it = open_.find(key);
        return it == open_.end() ? nullptr : it->second;
    }

    mutable std::mutex mutex_;
    Node root_;
    std::map<Key, Node*> open_;
    Key nextKey_ = 0x100;
    int badCloses_ = 0;
    std::string error_;
};

}  // namespace nubo
