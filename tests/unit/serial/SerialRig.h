// A port on the simulated line with the emulated modem, in virtual time, and a
// trace recorder: the common set-up of the serial unit tests.
#pragma once
#include <memory>
#include <string>

#include "serial/ComPort.h"
#include "support/ModemProfiles.h"

namespace nubo::test {

class RecordingTrace : public SerialTraceSink {
public:
    void Trace(const std::string& text) override { text_ += text; }
    const std::string& Text() const { return text_; }
    bool Has(const std::string& part) const { return text_.find(part) != std::string::npos; }
    void Clear() { text_.clear(); }

private:
    std::string text_;
};

struct SerialRig : testing::SimulatedModem {
    explicit SerialRig(modemsim::ModemProfile profile = {}) : SimulatedModem(std::move(profile)) {
        port = std::make_unique<CComPort>(driver, clock, &trace);
    }
    // Names and opens the port and discards the first half second, as every caller does.
    void Connect() {
        port->SetPortName("COM1");
        port->Open();
        port->PurgeInput(500);
        trace.Clear();
    }
    std::uint32_t Elapsed(std::uint32_t since) { return clock.TickCount() - since; }

    RecordingTrace trace;
    std::unique_ptr<CComPort> port;
};

using nubo::testing::Profile;

}  // namespace nubo::test
