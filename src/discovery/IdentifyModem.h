// Identification of the modem on one serial port: is a modem there, and which
// model and firmware is it. Runs on the search worker; blocks it for the whole
// exchange.
#pragma once
#include <string>

#include "config/IdentifyCommands.h"
#include "config/ModemDescription.h"
#include "platform/CancelToken.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "run/RunReport.h"

namespace nubo {

class SerialTraceSink;

// What a conversation needs to open a port: the devices and the time.
struct SerialLine {
    SerialDriver& driver;
    Clock& clock;
    SerialTraceSink* trace = nullptr;  // null: the default sink
};

// True when the answer to the detect command holds the detect answer and at
// least one later command was answered without "ERR". Replaces
// modem.modelName when a name answer came, appends to modem.firmware. A raised
// cancel flag ends the conversation early with false. attempt, when given,
// gets what the port did: why it did not open (kind None when it did) or what
// came back; its name and identified flag are the caller's.
bool IdentifyModem(SerialLine line, const std::string& portName, const IdentifyCommands& commands,
                   DetectedModem& modem, CancelToken* cancel = nullptr,
                   PortAttempt* attempt = nullptr);

}  // namespace nubo
