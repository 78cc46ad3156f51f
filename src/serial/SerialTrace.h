// The serial conversation's debug trace sink. Discarded in the shipped
// configuration; NUBOTEST_TRACE=<file> appends it to that file for support.
// Sinks are called from whichever worker thread runs a conversation.
#pragma once
#include <string>

namespace nubo {

class SerialTraceSink {
public:
    virtual ~SerialTraceSink() = default;
    // False when every text would be thrown away, so callers can skip formatting.
    virtual bool Enabled() const { return true; }
    virtual void Trace(const std::string& text) = 0;
    // A line the user must see whatever the trace does (why a port did not
    // open): stderr, "nubotest: <line>".
    virtual void Notice(const std::string& line);
};

// The process-wide sink: discards, or appends to the file named by the
// environment variable NUBOTEST_TRACE (read once, on first use).
SerialTraceSink& DefaultSerialTrace();

}  // namespace nubo
