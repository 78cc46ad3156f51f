#pragma once
#include <string>

#include "platform/SerialDevice.h"

namespace nubo {

// The failure in one line for the user, "<port>: <why>", in the words of
// the text catalog `language`: English for stderr, the user's language for
// the search page.
std::string DescribePortFailure(const std::string& port, const PortFailure& failure,
                                const std::string& language = "en-US");

}  // namespace nubo
