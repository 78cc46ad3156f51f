// The three exchanges of the modem tests on the serial line: a command whose
// answer is searched, the test call with its speed check, and the diagnostic
// command. Each opens and closes its own port; they run on the test thread.
#pragma once
#include <string>

#include "platform/CancelToken.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace nubo {

class SerialTraceSink;

// What a test needs to open a port, and the flag with which the test page
// stops a run: it is handed to every request and ends the wait for a call.
struct TestLine {
    SerialDriver& driver;
    Clock& clock;
    SerialTraceSink* trace = nullptr;  // null: the default sink
    CancelToken* cancel = nullptr;
};

// True when the answer to command contains lookFor (an empty lookFor is in
// every answer). answer gets the whole collected text once the port opened;
// it is left alone when the port cannot be opened (the result is then false).
bool SendAndFind(const TestLine& line, const std::string& port, const std::string& command,
                 const std::string& lookFor, std::string& answer);

// Places the test call: dials, waits up to a minute for the modem's answer and
// compares the speed after connectAnswer with minSpeed, both as numbers. answer
// gets the first answer line, the whole received text without the connect
// answer, or "TimeOut !" when nothing came. Closing the port ends the call.
bool DialAndCheckSpeed(const TestLine& line, const std::string& port, const std::string& dialCmd,
                       const std::string& connectAnswer, const std::string& minSpeed,
                       std::string& answer);

// Sends the diagnostic command after a call. True when the port opened, the
// modem answered at all, and the answer contains diagAnswer (any answer, when
// diagAnswer is empty).
bool SendDiagnostic(const TestLine& line, const std::string& port, const std::string& command,
                    const std::string& diagAnswer, std::string& answer);

// Whether a collected text holds anything but the line ends and blanks that a
// silent modem's echo leaves in it.
bool HasModemAnswer(const std::string& answer);

// The leading decimal digits of text as a number; 0 when it starts otherwise.
// Saturates instead of wrapping, so a huge speed never reads as a small one.
unsigned long long LeadingNumber(const std::string& text);

}  // namespace nubo
