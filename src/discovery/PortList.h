// The port list: port names stored one after another, each ended by a NUL,
// the whole ended by an empty entry, in a fixed buffer of 1024 bytes.
// EnumSerialPorts may be called from the UI thread and from the search worker.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/PortSource.h"

namespace nubo {

class PortList {
public:
    static constexpr std::size_t kSize = 1024;

    PortList() { Clear(); }
    void Clear();
    // Appends name unless an entry equal to it without regard to case comes
    // first. A name that no longer fits the buffer is dropped.
    void Add(const std::string& name);
    const char* Data() const { return buffer_; }

private:
    char buffer_[kSize];
    std::size_t end_ = 0;  // where the empty entry that ends the list lies
};

// Number of entries before the empty one; 0 for none.
int MultiSzCount(const char* list);
// Entry at index, or nullptr when the index is negative, at or past the end,
// or the list is none.
const char* MultiSzEntry(const char* list, int index);

// Rewrites the calling thread's port list from source and returns it, or
// nullptr when the source could not be read (the list is empty then). The
// pointer and the entries taken from it stay valid until the same thread
// calls again.
const char* EnumSerialPorts(PortSource& source);

// The callers' walk: a fresh EnumSerialPorts for every count and every entry,
// each name copied at once.
std::vector<std::string> ReadPortList(PortSource& source);

}  // namespace nubo
