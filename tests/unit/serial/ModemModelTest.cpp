// The emulated modem on its own: identification answers in the forms the
// program reads, dial outcomes and profile parsing.
#include <gtest/gtest.h>

#include "SerialRig.h"

namespace nubo::test {
namespace {

std::string Exchange(modemsim::ModemModel& modem, const std::string& line, std::uint32_t wait) {
    modem.Receive(line + "\r", 0);
    return modem.TakeOutput(wait);
}

TEST(ModemModel, AnswersLikeTheRealModem) {
    modemsim::ModemModel modem(modemsim::ModemProfile{});
    EXPECT_EQ(Exchange(modem, "AT", 20), "AT\r\r\nOK\r\n");
    EXPECT_EQ(Exchange(modem, "ati3", 20), "ati3\r\r\nNUBO 56K-PRO\r\n\r\nOK\r\n");
    EXPECT_EQ(Exchange(modem, "AT+GMM", 20), "AT+GMM\r\r\n+GMM: \"NUBO 56K-PRO\"\r\n\r\nOK\r\n");
    EXPECT_EQ(Exchange(modem, "ATI4", 20), "ATI4\r\r\nVersion 2.14/0815\r\n\r\nOK\r\n");
    EXPECT_EQ(Exchange(modem, "AT*CRCTEST", 20), "AT*CRCTEST\r\r\nCRC OK\r\n\r\nOK\r\n");
    EXPECT_EQ(Exchange(modem, "ATQQ", 20), "ATQQ\r\r\nERROR\r\n");
    EXPECT_EQ(Exchange(modem, "hello", 20), "hello\r");  // not a command line
    // Before its reply delay only the echo is out.
    EXPECT_EQ(Exchange(modem, "AT", 19), "AT\r");
    EXPECT_EQ(modem.TakeOutput(20), "\r\nOK\r\n");
}

TEST(ModemModel, DialOutcomesAfterTheirDelay) {
    struct Case {
        const char* outcome;
        const char* command;
        const char* answer;
    } cases[] = {
        {"connect", "ATDT0123", "\r\nCONNECT 28800/ARQ\r\n"},
        {"connect", "ATX3D0123", "\r\nCONNECT 28800/ARQ\r\n"},
        {"no-carrier", "ATDP0123", "\r\nNO CARRIER\r\n"},
        {"silent", "ATD0123", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        modemsim::ModemModel modem(
            Profile({{"dial", c.outcome}, {"speed", "28800/ARQ"}, {"connect-delay", "59000"}}));
        modem.Receive(std::string(c.command) + "\r", 0);
        EXPECT_EQ(modem.TakeOutput(58999), std::string(c.command) + "\r");
        EXPECT_EQ(modem.TakeOutput(59000), c.answer);
    }
    // AT&D2 sets something; it does not dial.
    modemsim::ModemModel modem(modemsim::ModemProfile{});
    EXPECT_EQ(Exchange(modem, "AT&D2", 20), "AT&D2\r\r\nERROR\r\n");
}

TEST(ModemModel, ProfileSettings) {
    modemsim::ModemProfile p;
    std::string error;
    EXPECT_TRUE(modemsim::ApplySetting(p, "name", " \"X-56 \" ", error));
    EXPECT_EQ(p.modelName, "X-56 ");
    EXPECT_TRUE(modemsim::ApplySetting(p, "answer.at$diag", "A\\nB", error));
    EXPECT_TRUE(modemsim::ApplySetting(p, "name-error", "", error));
    EXPECT_FALSE(modemsim::ApplySetting(p, "connect-delay", "soon", error));
    EXPECT_FALSE(modemsim::ApplySetting(p, "colour", "red", error));
    EXPECT_EQ(error, "unknown setting: colour");
    modemsim::ModemModel modem(p);
    EXPECT_EQ(Exchange(modem, "AT$DIAG", 20), "AT$DIAG\r\r\nA\r\nB\r\n\r\nOK\r\n");
    EXPECT_EQ(Exchange(modem, "ATI3", 20), "ATI3\r\r\nERROR\r\n");
    EXPECT_EQ(Exchange(modem, "AT+GMM", 20), "AT+GMM\r\r\n+GMM: \"X-56 \"\r\n\r\nOK\r\n");
}

}  // namespace
}  // namespace nubo::test
