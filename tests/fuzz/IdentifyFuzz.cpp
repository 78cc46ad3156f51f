// Fuzz target: identification with the modem's answers chosen by the fuzzer -
// detect answer search, name and "+GMM:" extraction, firmware after "Version"
// or "Ver." - over a line that echoes correctly, in virtual time.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "ScriptedPeer.h"
#include "discovery/IdentifyModem.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeSerial.h"
#include "serial/ComPort.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nubo;
    FuzzedDataProvider in(data, size);
    IdentifyCommands commands{"AT", "OK", "ATI3", "AT+GMM", "ATI7"};
    if (in.ConsumeBool()) commands.detectAnswer = in.ConsumeRandomLengthString(12);
    DetectedModem modem{"kept", "1."};

    FakeClock clock;
    fuzz::ScriptedPeer peer(in, clock.TickCount());
    FakeSerialLine line(clock, peer);
    FakeSerialDriver driver;
    driver.Add("COM1", line);
    fuzz::NoTrace trace;
    const std::uint32_t start = clock.TickCount();
    const bool found = IdentifyModem({driver, clock, &trace}, "COM1", commands, modem);
    fuzz::Require(!line.InUse(), "identification closes its port");
    fuzz::Require(modem.firmware.compare(0, 2, "1.") == 0, "firmware is appended to");
    fuzz::Require(found || modem.firmware.size() >= 2, "a failed identification leaves firmware");
    fuzz::Require(modem.modelName.size() <= CComPort::kMaxAnswer, "a name fits an answer");
    // Four requests at most, each bounded as in the request target.
    fuzz::Require(
        clock.TickCount() - start <= 500 + 4 * (11 * 7 * 510 + 5000 + 20000 + 72000 + 1000),
        "identification ends within its bound");
    return 0;
}
