// In-memory registry for tests, built from a small text fixture in the style
// of an exported .reg file. Thread-safe; key handles may be used from any thread.
//
// Fixture lines (blank lines and lines starting with ';' are ignored):
//   [Path\Below\LocalMachine]          a key, created with its parents; an optional
//   [Path] noaccess                    trailing "noaccess" makes the key refuse Open
//   "Value name"="text"                REG_SZ, stored with its terminating NUL
//   @="text"                           the key's default value
//   "Count"=dword:0000000a             REG_DWORD, four bytes little-endian
//   "Class"=hex:01,02                  REG_BINARY
//   "Raw"=hex(1):43,4f,4d              raw bytes of any type (here REG_SZ without NUL)
// Inside quotes, \\ is one backslash and \" a double quote. A leading
// "HKEY_LOCAL_MACHINE\" on a key path is optional. Names of keys and
// values are matched without regard to case, as the platform does; sub-keys
// and values enumerate in the order the fixture gives them.
#pragma once
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace nubo {

class FakeRegistry : public Registry {
public:
    // A fixture that does not parse stops at its first bad line; error()
    // names it, and every test asserts it empty.
    explicit FakeRegistry(const std::string& fixture) { Load(fixture); }

    const std::string& error() const { return error_; }

    Key Open(Key parent, const std::string& subKey) override {
        std::lock_guard lock(mutex_);
        Node* node = Find(parent);
        if (!node) return 0;
        for (const std::string& part : Split(subKey)) {
            node = Child(*node, part);
            if (!node) return 0;
        }
        if (node->denied) return 0;
        const Key key = nextKey_++;
        open_[key] = node;
        return key;
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
        if (!node) return false;
        for (const RegValue& v : node->values) {
            if (Same(v.name, name)) {
                value = v;
                return true;
            }
        }
        return false;
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

    void Load(const std::string& fixture) {
        Node* current = nullptr;
        std::size_t lineNo = 0;
        std::string::size_type pos = 0;
        while (pos < fixture.size()) {
            std::string::size_type eol = fixture.find('\n', pos);
            if (eol == std::string::npos) eol = fixture.size();
            std::string line = Trim(fixture.substr(pos, eol - pos));
            pos = eol + 1;
            ++lineNo;
            if (line.empty() || line[0] == ';') continue;
            auto fail = [&](const char* why) {
                error_ = "line " + std::to_string(lineNo) + ": " + why;
            };
            if (line[0] == '[') {
                const auto close = line.find(']');
                if (close == std::string::npos) return fail("key without ]");
                const std::string rest = Trim(line.substr(close + 1));
                if (!rest.empty() && rest != "noaccess") return fail("unknown key option");
                current = Create(StripRoot(line.substr(1, close - 1)));
                if (!rest.empty()) current->denied = true;
                continue;
            }
            if (!current) return fail("value before the first key");
            RegValue value;
            std::string::size_type at = 0;
            if (line[0] == '@') {
                at = 1;
            } else if (!ParseQuoted(line, at, value.name)) {
                return fail("value name not quoted");
            }
            while (at < line.size() && line[at] == ' ') ++at;
            if (at >= line.size() || line[at] != '=') return fail("missing =");
            const std::string data = Trim(line.substr(at + 1));
            if (!ParseData(data, value)) return fail("unreadable data");
            SetValue(*current, std::move(value));
        }
    }

    static std::string Trim(const std::string& s) {
        const auto b = s.find_first_not_of(" \t\r");
        if (b == std::string::npos) return {};
        return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
    }
    static bool Same(const std::string& a, const std::string& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    }
    static std::vector<std::string> Split(const std::string& path) {
        std::vector<std::string> parts;
        std::string part;
        for (char c : path + '\\') {
            if (c != '\\') {
                part += c;
            } else if (!part.empty()) {
                parts.push_back(part);
                part.clear();
            }
        }
        return parts;
    }
    static std::string StripRoot(const std::string& path) {
        const std::string root = "HKEY_LOCAL_MACHINE\\";
        return Same(path.substr(0, root.size()), root) ? path.substr(root.size()) : path;
    }
    static bool ParseQuoted(const std::string& line, std::string::size_type& at, std::string& out) {
        if (at >= line.size() || line[at] != '"') return false;
        for (++at; at < line.size(); ++at) {
            if (line[at] == '"') {
                ++at;
                return true;
            }
            if (line[at] == '\\' && at + 1 < line.size()) ++at;
            out += line[at];
        }
        return false;
    }
    static bool ParseHexBytes(const std::string& list, std::string& out) {
        std::string digits;
        for (char c : list + ',') {
            if (c == ' ') continue;
            if (c != ',') {
                if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
                digits += c;
                continue;
            }
            if (digits.empty()) continue;
            if (digits.size() > 2) return false;
            out += static_cast<char>(std::stoi(digits, nullptr, 16));
            digits.clear();
        }
        return true;
    }
    static bool ParseData(const std::string& data, RegValue& value) {
        if (!data.empty() && data[0] == '"') {
            std::string::size_type at = 0;
            if (!ParseQuoted(data, at, value.data) || at != data.size()) return false;
            value.type = RegType::String;
            value.data += '\0';
            return true;
        }
        if (data.rfind("dword:", 0) == 0) {
            const std::string hex = data.substr(6);
            if (hex.empty() || hex.size() > 8 ||
                hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
                return false;
            }
            const auto v = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
            value.type = RegType::Dword;
            for (int i = 0; i < 4; ++i) value.data += static_cast<char>((v >> (8 * i)) & 0xff);
            return true;
        }
        if (data.rfind("hex:", 0) == 0) {
            value.type = RegType::Binary;
            return ParseHexBytes(data.substr(4), value.data);
        }
        if (data.rfind("hex(", 0) == 0) {
            const auto close = data.find("):");
            if (close == std::string::npos || close == 4) return false;
            const std::string type = data.substr(4, close - 4);
            if (type.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
            value.type = static_cast<RegType>(std::stoul(type, nullptr, 16));
            return ParseHexBytes(data.substr(close + 2), value.data);
        }
        return false;
    }

    Node* Child(Node& node, const std::string& name) {
        for (auto& child : node.children) {
            if (Same(child->name, name)) return child.get();
        }
        return nullptr;
    }
    Node* Create(const std::string& path) {
        Node* node = &root_;
        for (const std::string& part : Split(path)) {
            Node* child = Child(*node, part);
            if (!child) {
                node->children.push_back(std::make_unique<Node>());
                child = node->children.back().get();
                child->name = part;
            }
            node = child;
        }
        return node;
    }
    static void SetValue(Node& node, RegValue value) {
        for (RegValue& v : node.values) {
            if (Same(v.name, value.name)) {
                v = std::move(value);
                return;
            }
        }
        node.values.push_back(std::move(value));
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
