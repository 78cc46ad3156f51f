// Every control the program addresses, one name each. A control's id is also
// the key of its text in the catalogs and of its topic in the help maps, so
// the numbers are fixed; a control the program never addresses has id -1.
#pragma once

namespace nubo::ctl {

// Welcome page.
constexpr int kWelcomeTitle = 1020;

// Port page.
constexpr int kAllPorts = 1064;
constexpr int kOnePort = 1065;
constexpr int kPortLabel = 1049;
constexpr int kPortBox = 1048;

// Search page.
constexpr int kPortCaption = 1025;
constexpr int kPortField = 1028;
constexpr int kModemCaption = 1029;
constexpr int kModemField = 1030;
constexpr int kRunDialTest = 1035;
constexpr int kServiceCall = 1062;
constexpr int kOwnCall = 1063;
constexpr int kPrefixLabel = 1041;
constexpr int kPrefixField = 1042;
constexpr int kWaitDialTone = 1066;
constexpr int kOwnNumberLabel = 1039;
constexpr int kOwnNumberField = 1038;
constexpr int kLocationLabel = 1033;
constexpr int kLocationBox = 1043;  // sorted list
constexpr int kNumberLabel = 1031;
constexpr int kLocationNumber = 1034;

// The line under the page's content: the search's status on the search page,
// the closing sentence on the test page.
constexpr int kResultLine = 1022;

// Old-style inner pages draw their own title.
constexpr int kOldStyleTitle = 1068;

}  // namespace nubo::ctl
