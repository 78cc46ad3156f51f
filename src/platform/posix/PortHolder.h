// Who holds a serial device that would not open: the process named in
// /proc, as far as this user may look.
#pragma once
#include <string>

#include "platform/SerialDevice.h"

namespace nubo {

// Fills in the holder of the device at path: the owner of its lock, or else
// the first process with it open (an opener that only set the exclusive flag
// has no lock). Leaves failure as it is when none is found.
void FindHolder(const std::string& path, PortFailure& failure);

}  // namespace nubo
