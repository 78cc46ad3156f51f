// The modem description lookup: firmware conditions, section choice, alias,
// defaults with their log lines. A misspelt key name fails the lookups here.
#include <gtest/gtest.h>

#include <memory>

#include "config/IniFile.h"
#include "config/ModemDescription.h"
#include "platform/fake/FakeSystem.h"
#include "run/RunSettings.h"
#include "support/Process.h"
#include "wizard/fake/FakeDialogItems.h"

namespace nubo {
namespace {

using Texts = std::vector<std::string>;

TEST(FirmwareCondition, EveryOperatorCombination) {
    // Verdicts for the firmware 2.09, 2.10 and 2.11; the operators may stand anywhere.
    const std::pair<const char*, const char*> rows[] = {
        {"2.10", "-+-"},   {"=2.10", "-+-"},  {">2.10", "--+"},   {"<2.10", "+--"},
        {">=2.10", "-++"}, {"=>2.10", "-++"}, {"2.10>=", "-++"},  {"2.>1=0", "-++"},
        {"<=2.10", "++-"}, {"<>2.10", "+-+"}, {"<>=2.10", "+++"}, {"=2.1<0>", "+++"},
    };
    for (const auto& [condition, verdicts] : rows) {
        const char* firmware[] = {"2.09", "2.10", "2.11"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(FirmwareConditionHolds(condition, firmware[i]), verdicts[i] == '+')
                << condition << " with " << firmware[i];
        }
    }
    // As C strings: by character, not by number; bytes unsigned; a NUL ends the text.
    EXPECT_FALSE(FirmwareConditionHolds(">=2.10", "10.0"));
    EXPECT_TRUE(FirmwareConditionHolds("<1.9", "1.10"));
    EXPECT_TRUE(FirmwareConditionHolds(">10", "2"));
    EXPECT_TRUE(FirmwareConditionHolds("<2.10", ""));
    EXPECT_TRUE(FirmwareConditionHolds(">z", "\xE9"));
    EXPECT_TRUE(FirmwareConditionHolds("2.1", std::string("2.1\0x", 5)));
}

const std::string kCommon =
    "[Common]\nDefaultCRCCheckCmd=AT&T8\nDefaultCRCCheckAnswer=OK\nDefaultRAMCheckCmd=AT&T7\n"
    "DefaultRAMCheckError=ERROR\nDefaultDialCmd=ATDT\nDefaultDialAnswer=CONNECT\n"
    "DefaultDialCmdNoDialT=ATX3DT\nDefaultMinSpeed=14400\n";
const std::string kEveryCommand =
    "CRCCheckCmd=crc\nCRCCheckAnswer=crcansw\nRAMCheckCmd=ram\nRAMCheckError=ramerr\n"
    "DialCmd=dial\nDialCmdNoDialT=dialnt\nDialAnswer=dialansw\nMinSpeed=33600\n"
    "DiagCmd=diag\nDiagAnswer=diagansw\n";
const std::string kFound = "09:05:41 - Search modem .INI   : Modem found.\r\n";
const std::string kNoSerial =
    "09:05:41 - PRG-MESSAGE         : no SerialNbr for this modem in .INI File !\r\n";

// The default lines whose places in "11111111" are 1, in their order.
std::string Defaults(const std::string& which) {
    static const char* const lines[] = {
        "Cmd CrcCheck not in INI > Load default CrcCheck",
        "Answ CrcCheck not in INI > Load def. CrcCheckAnsw",
        "Cmd RamCheck not in INI > Load default RamCheck",
        "RamCheckError not in INI > Load default RamCheckError",
        "DialCmd not in INI > Load default DialCmd",
        "DialCmdNoDialT not in INI > Load def. DialCmdNoDialT",
        "DialAnsw not in INI > Load default DialAnsw",
        "MinSpeed not in INI > Load default MinSpeed",
    };
    std::string log;
    for (std::size_t i = 0; i < 8; ++i) {
        if (which[i] == '1')
            log += std::string("09:05:41 - ModemCmds & Answers : ") + lines[i] + "\r\n";
    }
    return log;
}

Texts Fields(const ModemCommandSet& c) {
    return {c.tapiModemName, c.crcCheckCmd, c.crcCheckAnswer,    c.ramCheckCmd,
            c.ramCheckError, c.dialCmd,     c.dialCmdNoDialTone, c.dialAnswer,
            c.minSpeed,      c.diagCmd,     c.diagAnswer};
}

const Texts kCommonDefaults = {"",       "AT&T8",   "OK",    "AT&T7", "ERROR", "ATDT",
                               "ATX3DT", "CONNECT", "14400", "",      ""};

// One lookup against a file, with the log it wrote.
class Lookup : public ::testing::Test {
protected:
    void Use(const std::string& text) {
        ini_ = std::make_unique<CIniFile>(dir_.Write("m.ini", text));
        ini_->Load();
    }
    bool Run(const std::string& model, const std::string& firmware) {
        settings_.log = std::make_unique<CLogFile>(system_, dir_.File("run.log"));
        host_ = std::make_unique<FakeWizardHost>();
        const bool found =
            LoadModemDescription(*ini_, model, firmware, commands_, settings_, *host_);
        settings_.log.reset();
        log_ = testing::ReadFile(dir_.File("run.log"));
        return found;
    }

    testing::TempDir dir_;
    FakeSystem system_;
    RunSettings settings_;
    std::unique_ptr<FakeWizardHost> host_;
    std::unique_ptr<CIniFile> ini_;
    ModemCommandSet commands_;
    std::string log_;
};

// The first section whose firmware condition holds wins, and the search ends
// there (the later, newer section is the golden runs').
TEST_F(Lookup, PrefixedPairToldApartByFirmware) {
    Use(kCommon +
        "[OLD.X-56]\nFirmWareVersion=<2.00\nModemTapiName=Old\nMinSpeed=9600\n"
        "[NEW.X-56]\nFirmWareVersion=>=2.00\nModemTapiName=New\nDialCmd=ATD\n");
    ASSERT_TRUE(Run("X-56", "1.50"));
    EXPECT_EQ(log_, kFound + Defaults("11111110"));
    EXPECT_EQ(commands_.tapiModemName, "Old");
    EXPECT_EQ(commands_.minSpeed, "9600");
}

TEST_F(Lookup, AliasIsFollowedOnceForEveryKey) {
    Use(kCommon + "[Target]\nAlias=Elsewhere\nModemTapiName=Tapi Target\n" + kEveryCommand +
        "[X-56]\nFirmWareVersion=>1\nAlias=Target\nModemTapiName=Ignored\nDiagAnswer=own\n");
    ASSERT_TRUE(Run("X-56", "2.14"));
    EXPECT_EQ(log_, kFound);
    EXPECT_EQ(Fields(commands_), (Texts{"Tapi Target", "crc", "crcansw", "ram", "ramerr", "dial",
                                        "dialnt", "dialansw", "33600", "diag", "diagansw"}));
}

// A section without its own values (the golden runs' has some): here an alias
// to no section, whatever the model's own section holds.
TEST_F(Lookup, EmptySectionTakesEveryDefaultAndKeepsTheRest) {
    Use(kCommon + "[X-56]\nAlias=Nowhere\nModemTapiName=Own\nMinSpeed=1\n");
    commands_.tapiModemName = "earlier tapi";
    commands_.diagCmd = "earlier diag";
    commands_.diagAnswer = "earlier answer";
    ASSERT_TRUE(Run("X-56", "whatever"));
    EXPECT_EQ(log_, kNoSerial + kFound + Defaults("11111111"));
    EXPECT_EQ(host_->Messages(), Texts{"Nowhere : No TapiModemName for this section !"});
    Texts expected = kCommonDefaults;
    expected[0] = "earlier tapi";
    expected[9] = "earlier diag";
    expected[10] = "earlier answer";
    EXPECT_EQ(Fields(commands_), expected);

    // A default that "Common" lacks still logs its line and empties the field.
    Use("[Common]\n[X-56]\nMinSpeed=1\n");
    ASSERT_TRUE(Run("X-56", ""));
    EXPECT_EQ(log_, kNoSerial + kFound + Defaults("11111110"));
    EXPECT_EQ(commands_.crcCheckCmd, "");
}

}  // namespace
}  // namespace nubo
