// The modem description lookup: firmware conditions, section choice, alias,
// defaults with their log lines, the shipped sample file and the key names.
#include <gtest/gtest.h>

#include <memory>

#include "TempFiles.h"
#include "config/IdentifyCommands.h"
#include "config/IniFile.h"
#include "config/KeyNames.h"
#include "config/ModemDescription.h"
#include "log/RunSettings.h"
#include "platform/Texts.h"
#include "platform/WizardHost.h"
#include "platform/fake/FakeSystem.h"

namespace nubo {
namespace {

using test::TempDir;

class RecordingHost : public WizardHost {
public:
    std::vector<std::string> boxes;
    void SetWizardButtons(unsigned) override {}
    void PressButton(WizardButton) override {}
    void EndWizard(int) override {}
    void ShowMessageBox(const std::string& text, const std::string&) override {
        boxes.push_back(text);
    }
    void CloseWorkerCalls() override {}
    void OpenWorkerCalls() override {}
};

TEST(FirmwareCondition, EveryOperatorCombination) {
    struct Row {
        const char* condition;
        std::string firmware;
        bool accepted;
    };
    const Row rows[] = {
        {"2.10", "2.10", true},
        {"2.10", "2.11", false},
        {"2.10", "2.1", false},
        {"=2.10", "2.10", true},
        {"=2.10", "2.11", false},
        {"=2.10", "2.09", false},
        {">2.10", "2.11", true},
        {">2.10", "2.10", false},
        {">2.10", "2.09", false},
        {"<2.10", "2.09", true},
        {"<2.10", "2.10", false},
        {"<2.10", "2.11", false},
        {">=2.10", "2.10", true},
        {">=2.10", "2.11", true},
        {">=2.10", "2.09", false},
        {"=>2.10", "2.10", true},
        {"2.10>=", "2.11", true},
        {"2.>1=0", "2.09", false},
        {"<=2.10", "2.10", true},
        {"<=2.10", "2.09", true},
        {"<=2.10", "2.11", false},
        {"<>2.10", "2.09", true},
        {"<>2.10", "2.11", true},
        {"><2.10", "2.10", false},
        {"<>=2.10", "2.10", true},
        {"=<>2.10", "0", true},
        {"<>=2.10", "", true},
        // As C strings: by character, not by number.
        {">=2.10", "10.0", false},
        {"<1.9", "1.10", true},
        {">10", "2", true},
        {">=2.10", "", false},
        {"<2.10", "", true},
        // Bytes compare unsigned: a high byte sorts after every letter.
        {">z", "\xE9", true},
        {"<z", "\xE9", false},
        // A NUL ends the firmware text.
        {"2.1", std::string("2.1\0x", 5), true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(FirmwareConditionHolds(r.condition, r.firmware), r.accepted)
            << "condition " << r.condition << " firmware " << r.firmware;
    }
}

constexpr const char* kCommonSection =
    "[Common]\n"
    "DefaultCRCCheckCmd=AT&T8\n"
    "DefaultCRCCheckAnswer=OK\n"
    "DefaultRAMCheckCmd=AT&T7\n"
    "DefaultRAMCheckError=ERROR\n"
    "DefaultDialCmd=ATDT\n"
    "DefaultDialAnswer=CONNECT\n"
    "DefaultDialCmdNoDialT=ATX3DT\n"
    "DefaultMinSpeed=14400\n";

constexpr const char* kFullSection =
    "ModemTapiName=Tapi Full\n"
    "CRCCheckCmd=crc\n"
    "CRCCheckAnswer=crcansw\n"
    "RAMCheckCmd=ram\n"
    "RAMCheckError=ramerr\n"
    "DialCmd=dial\n"
    "DialCmdNoDialT=dialnt\n"
    "DialAnswer=dialansw\n"
    "MinSpeed=33600\n"
    "DiagCmd=diag\n"
    "DiagAnswer=diagansw\n";

const std::string kEightDefaults =
    "09:05:41 - ModemCmds & Answers : Cmd CrcCheck not in INI > Load default CrcCheck\r\n"
    "09:05:41 - ModemCmds & Answers : Answ CrcCheck not in INI > Load def. CrcCheckAnsw\r\n"
    "09:05:41 - ModemCmds & Answers : Cmd RamCheck not in INI > Load default RamCheck\r\n"
    "09:05:41 - ModemCmds & Answers : RamCheckError not in INI > Load default RamCheckError\r\n"
    "09:05:41 - ModemCmds & Answers : DialCmd not in INI > Load default DialCmd\r\n"
    "09:05:41 - ModemCmds & Answers : DialCmdNoDialT not in INI > Load def. DialCmdNoDialT\r\n"
    "09:05:41 - ModemCmds & Answers : DialAnsw not in INI > Load default DialAnsw\r\n"
    "09:05:41 - ModemCmds & Answers : MinSpeed not in INI > Load default MinSpeed\r\n";
const std::string kFound = "09:05:41 - Search modem .INI   : Modem found.\r\n";
const std::string kNotFound = "09:05:41 - Search modem .INI   : Modem not found !\r\n";
const std::string kNoSerial =
    "09:05:41 - PRG-MESSAGE         : no SerialNbr for this modem in .INI File !\r\n";

// One lookup against a file, with the log it wrote.
class Lookup : public ::testing::Test {
protected:
    void Use(const std::string& sections) {
        ini_ = std::make_unique<CIniFile>(dir_.Write("m.ini", kCommonSection + sections));
        ASSERT_GE(ini_->Load(), 0);
    }
    bool Run(const std::string& model, const std::string& firmware) {
        settings_.log = std::make_unique<CLogFile>(system_, dir_.File("run.log"));
        const bool found =
            LoadModemDescription(*ini_, model, firmware, commands_, settings_, host_);
        settings_.log.reset();
        log_ = test::ReadAll(dir_.File("run.log"));
        return found;
    }

    TempDir dir_;
    FakeSystem system_;
    RunSettings settings_;
    RecordingHost host_;
    std::unique_ptr<CIniFile> ini_;
    ModemCommandSet commands_;
    std::string log_;
};

TEST_F(Lookup, WholeNameSectionWithEveryKey) {
    Use(std::string("[X-56]\nFirmWareVersion=>=2.00\n") + kFullSection);
    ASSERT_TRUE(Run("X-56", "2.14"));
    EXPECT_EQ(log_, kFound);
    EXPECT_TRUE(host_.boxes.empty());
    EXPECT_EQ(commands_.tapiModemName, "Tapi Full");
    EXPECT_EQ(commands_.crcCheckCmd, "crc");
    EXPECT_EQ(commands_.crcCheckAnswer, "crcansw");
    EXPECT_EQ(commands_.ramCheckCmd, "ram");
    EXPECT_EQ(commands_.ramCheckError, "ramerr");
    EXPECT_EQ(commands_.dialCmd, "dial");
    EXPECT_EQ(commands_.dialCmdNoDialTone, "dialnt");
    EXPECT_EQ(commands_.dialAnswer, "dialansw");
    EXPECT_EQ(commands_.minSpeed, "33600");
    EXPECT_EQ(commands_.diagCmd, "diag");
    EXPECT_EQ(commands_.diagAnswer, "diagansw");
}

TEST_F(Lookup, PrefixedPairToldApartByFirmware) {
    Use("[OLD.X-56]\nFirmWareVersion=<2.00\nModemTapiName=Old\nMinSpeed=9600\n"
        "[NEW.X-56]\nFirmWareVersion=>=2.00\nModemTapiName=New\nDialCmd=ATD\n");
    ASSERT_TRUE(Run("X-56", "1.50"));
    EXPECT_EQ(commands_.tapiModemName, "Old");
    EXPECT_EQ(commands_.minSpeed, "9600");
    EXPECT_EQ(commands_.dialCmd, "ATDT");
    EXPECT_EQ(
        log_,
        kFound +
            "09:05:41 - ModemCmds & Answers : Cmd CrcCheck not in INI > Load default CrcCheck\r\n"
            "09:05:41 - ModemCmds & Answers : Answ CrcCheck not in INI > Load def. CrcCheckAnsw\r\n"
            "09:05:41 - ModemCmds & Answers : Cmd RamCheck not in INI > Load default RamCheck\r\n"
            "09:05:41 - ModemCmds & Answers : RamCheckError not in INI > Load default "
            "RamCheckError\r\n"
            "09:05:41 - ModemCmds & Answers : DialCmd not in INI > Load default DialCmd\r\n"
            "09:05:41 - ModemCmds & Answers : DialCmdNoDialT not in INI > Load def. "
            "DialCmdNoDialT\r\n"
            "09:05:41 - ModemCmds & Answers : DialAnsw not in INI > Load default DialAnsw\r\n");

    ASSERT_TRUE(Run("X-56", "2.00"));
    EXPECT_EQ(commands_.tapiModemName, "New");
    EXPECT_EQ(commands_.minSpeed, "14400");
    EXPECT_EQ(commands_.dialCmd, "ATD");
    EXPECT_EQ(
        log_,
        kFound +
            "09:05:41 - ModemCmds & Answers : Cmd CrcCheck not in INI > Load default CrcCheck\r\n"
            "09:05:41 - ModemCmds & Answers : Answ CrcCheck not in INI > Load def. CrcCheckAnsw\r\n"
            "09:05:41 - ModemCmds & Answers : Cmd RamCheck not in INI > Load default RamCheck\r\n"
            "09:05:41 - ModemCmds & Answers : RamCheckError not in INI > Load default "
            "RamCheckError\r\n"
            "09:05:41 - ModemCmds & Answers : DialCmdNoDialT not in INI > Load def. "
            "DialCmdNoDialT\r\n"
            "09:05:41 - ModemCmds & Answers : DialAnsw not in INI > Load default DialAnsw\r\n"
            "09:05:41 - ModemCmds & Answers : MinSpeed not in INI > Load default MinSpeed\r\n");
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(Lookup, AliasIsFollowedOnceForEveryKey) {
    Use("[Target]\nAlias=Elsewhere\nModemTapiName=Tapi Target\n" +
        std::string(kFullSection).substr(std::string(kFullSection).find("CRCCheckCmd")) +
        "[X-56]\nFirmWareVersion=>1\nAlias=Target\nModemTapiName=Ignored\nDiagAnswer=own\n");
    ASSERT_TRUE(Run("X-56", "2.14"));
    EXPECT_EQ(log_, kFound);
    EXPECT_EQ(commands_.tapiModemName, "Tapi Target");
    EXPECT_EQ(commands_.crcCheckCmd, "crc");
    EXPECT_EQ(commands_.diagCmd, "diag");
    EXPECT_EQ(commands_.diagAnswer, "diagansw");
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(Lookup, AliasToMissingSectionGivesDefaultsAndNamesTheAlias) {
    Use("[X-56]\nAlias=Nowhere\nModemTapiName=Own\nMinSpeed=1\n");
    ASSERT_TRUE(Run("X-56", "1.0"));
    EXPECT_EQ(log_, kNoSerial + kFound + kEightDefaults);
    EXPECT_EQ(host_.boxes,
              std::vector<std::string>{"Nowhere : No TapiModemName for this section !"});
    EXPECT_EQ(commands_.minSpeed, "14400");
}

TEST_F(Lookup, EmptySectionTakesEveryDefault) {
    Use("[X-56]\n");
    commands_.diagCmd = "earlier diag";
    commands_.diagAnswer = "earlier answer";
    commands_.tapiModemName = "earlier tapi";
    ASSERT_TRUE(Run("X-56", "whatever"));
    EXPECT_EQ(log_, kNoSerial + kFound + kEightDefaults);
    EXPECT_EQ(host_.boxes, std::vector<std::string>{"X-56 : No TapiModemName for this section !"});
    EXPECT_EQ(commands_.tapiModemName, "earlier tapi");
    EXPECT_EQ(commands_.crcCheckCmd, "AT&T8");
    EXPECT_EQ(commands_.crcCheckAnswer, "OK");
    EXPECT_EQ(commands_.ramCheckCmd, "AT&T7");
    EXPECT_EQ(commands_.ramCheckError, "ERROR");
    EXPECT_EQ(commands_.dialCmd, "ATDT");
    EXPECT_EQ(commands_.dialCmdNoDialTone, "ATX3DT");
    EXPECT_EQ(commands_.dialAnswer, "CONNECT");
    EXPECT_EQ(commands_.minSpeed, "14400");
    EXPECT_EQ(commands_.diagCmd, "earlier diag");
    EXPECT_EQ(commands_.diagAnswer, "earlier answer");
}

TEST_F(Lookup, DefaultMissingInCommonStillLogsAndEmptiesTheField) {
    ini_ = std::make_unique<CIniFile>(dir_.Write("m.ini", "[Common]\n[X-56]\nMinSpeed=1\n"));
    ini_->Load();
    commands_.crcCheckCmd = "before";
    ASSERT_TRUE(Run("X-56", ""));
    EXPECT_EQ(commands_.crcCheckCmd, "");
    EXPECT_EQ(commands_.minSpeed, "1");
    EXPECT_EQ(log_.find("MinSpeed not in INI"), std::string::npos);
    EXPECT_NE(log_.find("Cmd CrcCheck not in INI"), std::string::npos);
}

TEST_F(Lookup, ModelWithoutSectionLeavesEverythingAlone) {
    Use(std::string("[X-56]\n") + kFullSection);
    commands_.dialCmd = "untouched";
    EXPECT_FALSE(Run("X-57", "2.14"));
    EXPECT_EQ(log_, kNotFound);
    EXPECT_EQ(commands_.dialCmd, "untouched");
    EXPECT_FALSE(Run("x-56", "2.14"));  // names are compared with their case
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(Lookup, EveryMatchFailingItsConditionFindsNothing) {
    Use("[A.X-56]\nFirmWareVersion=>=1.00\nModemTapiName=A\n"
        "[X-56]\nFirmWareVersion=<1.00\nModemTapiName=B\n");
    // The rejected whole-name section lies past A.X-56, so the prefixed one is
    // never tried.
    EXPECT_FALSE(Run("X-56", "2.00"));
    EXPECT_EQ(log_, kNotFound);
}

TEST_F(Lookup, LaterPrefixedSectionAfterRejectedWholeNameIsTried) {
    Use("[X-56]\nFirmWareVersion=<1.00\nModemTapiName=B\n"
        "[A.X-56]\nFirmWareVersion=>=1.00\nModemTapiName=A\n" +
        std::string(kFullSection).substr(std::string(kFullSection).find("CRCCheckCmd")));
    ASSERT_TRUE(Run("X-56", "2.00"));
    EXPECT_EQ(commands_.tapiModemName, "A");
    EXPECT_EQ(log_, kFound);
}

TEST_F(Lookup, SecondLookupKeepsWhatTheNewSectionDoesNotName) {
    Use(std::string("[X-56]\n") + kFullSection + "[Y-33]\nModemTapiName=Y\n");
    ASSERT_TRUE(Run("X-56", "1"));
    ASSERT_TRUE(Run("Y-33", "1"));
    EXPECT_EQ(commands_.tapiModemName, "Y");
    EXPECT_EQ(commands_.diagCmd, "diag");
    EXPECT_EQ(commands_.diagAnswer, "diagansw");
    EXPECT_EQ(commands_.dialCmd, "ATDT");
}

TEST_F(Lookup, MissingFileFindsNothing) {
    ini_ = std::make_unique<CIniFile>(dir_.File("none.ini"));
    EXPECT_EQ(ini_->Load(), -1);
    EXPECT_FALSE(Run("X-56", "1"));
    EXPECT_EQ(log_, kNotFound);
}

// The file that ships beside the program, as the emulator's models meet it.
class SampleFile : public Lookup {
protected:
    void SetUp() override {
        ini_ = std::make_unique<CIniFile>(std::string(NUBO_SOURCE_DIR) + "/res/data/nubotest.ini");
        ASSERT_EQ(ini_->Load(), 5);
    }
};

TEST_F(SampleFile, IdentificationCommands) {
    const IdentifyCommands c = ReadIdentifyCommands(*ini_);
    EXPECT_EQ(c.detectCmd, "AT");
    EXPECT_EQ(c.detectAnswer, "OK");
    EXPECT_EQ(c.readNameCmd, "ATI3");
    EXPECT_EQ(c.readName2Cmd, "AT+GMM");
    EXPECT_EQ(c.readFirmwareCmd, "ATI7");
    EXPECT_EQ(ReadIdentifyCommands(CIniFile(dir_.File("none.ini"))).detectCmd, "");
}

TEST_F(SampleFile, EmulatorDefaultModelIsTheCurrentFirmwareSection) {
    ASSERT_TRUE(Run("NUBO 56K-PRO", "2.14"));
    EXPECT_EQ(log_, kFound);
    EXPECT_TRUE(host_.boxes.empty());
    EXPECT_EQ(commands_.tapiModemName, "NUBO 56K-PRO");
    EXPECT_EQ(commands_.ramCheckCmd, "AT&T7");
    EXPECT_EQ(commands_.ramCheckError, "ERROR");
    EXPECT_EQ(commands_.crcCheckCmd, "AT&T8");
    EXPECT_EQ(commands_.crcCheckAnswer, "OK");
    EXPECT_EQ(commands_.dialCmd, "ATDT");
    EXPECT_EQ(commands_.dialCmdNoDialTone, "ATX3DT");
    EXPECT_EQ(commands_.dialAnswer, "CONNECT");
    EXPECT_EQ(commands_.minSpeed, "14400");
    EXPECT_EQ(commands_.diagCmd, "AT&V1");
    EXPECT_EQ(commands_.diagAnswer, "OK");
}

TEST_F(SampleFile, EveryModelSection) {
    ASSERT_TRUE(Run("NUBO 56K-PRO", "1.80"));
    EXPECT_EQ(commands_.crcCheckAnswer, "CHECKSUM OK");
    EXPECT_EQ(commands_.minSpeed, "9600");

    ASSERT_TRUE(Run("NUBO 56K-PRO SE", "3.01"));
    EXPECT_EQ(log_, kFound);
    EXPECT_EQ(commands_.minSpeed, "14400");
    EXPECT_EQ(commands_.diagCmd, "AT&V1");

    ASSERT_TRUE(Run("NUBO 33K6", "1.07"));
    EXPECT_EQ(log_.substr(0, kNoSerial.size() + kFound.size()), kNoSerial + kFound);
    EXPECT_EQ(commands_.tapiModemName, "NUBO 33K6 Voice");

    ASSERT_TRUE(Run("NUBO ISDN-TA", "1.20"));
    EXPECT_EQ(host_.boxes,
              std::vector<std::string>{"NUBO ISDN-TA : No TapiModemName for this section !"});
    EXPECT_EQ(commands_.dialCmd, "ATD");
    EXPECT_EQ(commands_.minSpeed, "64000");

    EXPECT_FALSE(Run("NUBO ISDN-TA", "0.90"));
    EXPECT_FALSE(Run("NUBO 28K8", "1.00"));
}

TEST(KeyNames, SameInEveryCatalog) {
    const std::vector<std::pair<int, std::string>> expected = {
        {36, "FirmWareVersion"},
        {37, "CRCCheckCmd"},
        {38, "CRCCheckAnswer"},
        {39, "RAMCheckCmd"},
        {40, "RAMCheckError"},
        {41, "DialCmd"},
        {42, "DialAnswer"},
        {43, "DiagCmd"},
        {44, "DiagAnswer"},
        {76, "ModemDetectCmd"},
        {77, "ModemDetectAnsw"},
        {78, "ModemReadName"},
        {79, "ModemReadName2"},
        {80, "ModemReadFirmw"},
        {81, "DefaultCRCCheckCmd"},
        {82, "DefaultCRCCheckAnswer"},
        {83, "DefaultRAMCheckCmd"},
        {84, "DefaultRAMCheckError"},
        {85, "DefaultDialCmd"},
        {86, "DefaultDialAnswer"},
        {87, "DefaultDialCmdNoDialT"},
        {88, "DialCmdNoDialT"},
        {89, "MinSpeed"},
        {90, "DefaultMinSpeed"},
        {92, "ModemTapiName"},
    };
    ASSERT_EQ(texts::Languages().size(), 14u);
    for (const std::string& lang : texts::Languages()) {
        std::string error;
        EXPECT_TRUE(texts::CheckCatalog(lang, error)) << lang << ": " << error;
        for (const auto& [id, name] : expected) {
            EXPECT_EQ(texts::Text(lang, id), name) << lang << " id " << id;
        }
        texts::SelectLanguage(lang);
        EXPECT_EQ(keys::Name(keys::kModemTapiName), "ModemTapiName");
    }
    texts::SelectLanguage("en-US");
}

}  // namespace
}  // namespace nubo
