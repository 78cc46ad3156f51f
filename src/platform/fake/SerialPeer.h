// The far end of a simulated serial line (the modem model in tests): it takes
// the host's bytes and hands back its own output by virtual time. Called only
// from the thread that drives the simulated line.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace nubo {

class SerialPeer {
public:
    virtual ~SerialPeer() = default;
    // Bytes the host wrote at time now (ms).
    virtual void Receive(std::string_view bytes, std::uint32_t now) = 0;
    // The host discarded its input or closed the line: a half-typed line and
    // output still under way are dropped.
    virtual void LineReset(std::uint32_t now) = 0;
    // Everything the peer has sent up to time now, in order.
    virtual std::string TakeOutput(std::uint32_t now) = 0;
    // Time of the next byte the peer will send unprompted; false when none is due.
    virtual bool NextDue(std::uint32_t now, std::uint32_t& due) = 0;
};

}  // namespace nubo
