// The wizard in German and Russian, the language taken from the environment as
// the program's entry takes it: captions, header band, page texts, the texts
// the search and the tests set, and the buttons, read back from the widgets of
// a whole run against the simulated modem; every page shot in both styles.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ModemModel.h"
#include "log/RunSettings.h"
#include "platform/PortSource.h"
#include "platform/Texts.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeInstalledModems.h"
#include "platform/fake/FakeSerial.h"
#include "platform/fake/FakeSystem.h"
#include "platform/posix/PosixSystem.h"
#include "qt/TemplatePage.h"
#include "support/QtApp.h"

namespace nubo {
namespace {

namespace fs = std::filesystem;

using testing::Await;
using testing::Settle;

QString Q(const std::string& s) {
    return DialogString(s);
}

std::string Shown(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
    return {};
}

// One interactive run with a modem on COM1, in the language the environment names.
struct WizardRun {
    WizardRun(const char* lcAll, const char* lang, bool style) : newStyle(style) {
        dir = fs::temp_directory_path() / ("nubolang-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        fs::copy_file(NUBO_SOURCE_DIR "/res/data/nubotest.ini", dir / "nubotest.ini");
        system.programPath = (dir / "nubotest").string();
        // The entry's own choice: the user's language from the environment.
        lcAll ? setenv("LC_ALL", lcAll, 1) : unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", lang, 1);
        PosixSystem posix;
        texts::SelectLanguage(texts::LanguageForLocale(posix.UserLanguage()));

        serial.Add("COM1", line);
        modems.models = {"NUBO 56K-PRO"};
        settings.newStyleWizard = newStyle;
        pages = std::make_unique<testing::WizardPages>(
            settings, PageServices{system, clock, serial, ports, modems, records}, newStyle);
        sheet = pages->sheet.get();
    }
    ~WizardRun() {
        pages.reset();
        fs::remove_all(dir);
        texts::SelectLanguage("en-US");
    }

    void Shoot(const std::string& lang, const std::string& page) {
        testing::Shoot(*sheet, "lang-" + lang + "-" + (newStyle ? "new" : "old") + "-" + page);
    }

    // The page shows its template's text for this control in lang, not the
    // English one. A control without an id is found by its text key.
    void ExpectTemplateText(const std::string& lang, int index, int id, int textKey = 0) {
        TemplatePage* page = sheet->Page(index);
        const int templateId = PageIdsAt(index).templateId;
        const int key = textKey ? textKey : id;
        const std::string text = texts::DialogText(lang, templateId, key);
        ASSERT_FALSE(text.empty()) << templateId << "/" << key;
        EXPECT_NE(text, texts::DialogText("en-US", templateId, key));
        if (id > 0) {
            EXPECT_EQ(Shown(page->Control(id)), Q(text).toStdString()) << templateId << "/" << key;
            return;
        }
        bool shown = false;
        for (QLabel* label : page->findChildren<QLabel*>()) {
            shown |= label->isVisible() && label->text() == Q(text);
        }
        EXPECT_TRUE(shown) << templateId << "/" << key;
    }
    PageIds PageIdsAt(int index) {
        WizardPage* all[] = {&pages->welcome, &pages->port, &pages->search, &pages->test};
        return all[index]->Ids();
    }

    bool newStyle;
    fs::path dir;
    FakeSystem system;
    FakeClock clock;
    modemsim::ModemModel modem{modemsim::ModemProfile{}};
    FakeSerialLine line{clock, modem};
    FakeSerialDriver serial;
    ListedPorts ports{{"COM1"}};
    FakeInstalledModems modems;
    ModemRecords records;
    RunSettings settings;
    std::unique_ptr<testing::WizardPages> pages;
    WizardSheet* sheet = nullptr;
};

struct Case {
    const char* lcAll;
    const char* lang;
    const char* catalog;  // what the environment must select
    bool newStyle;
};

class Languages : public ::testing::TestWithParam<Case> {
protected:
    static void SetUpTestSuite() { testing::EnsureQtApplication(); }
};

TEST_P(Languages, EveryPageShowsTheTextsOfTheUsersLanguage) {
    const Case& c = GetParam();
    WizardRun run(c.lcAll, c.lang, c.newStyle);
    const std::string lang = c.catalog;
    ASSERT_EQ(texts::SelectedLanguage(), lang);
    WizardSheet& s = *run.sheet;
    const auto text = [&](int id) { return Q(texts::Text(lang, id)); };
    s.Start();
    s.show();
    Settle();

    // Welcome.
    EXPECT_EQ(s.windowTitle(), text(13));
    EXPECT_NE(s.windowTitle(), Q(texts::Text("en-US", 13)));
    run.ExpectTemplateText(lang, 0, 1020);
    EXPECT_EQ(s.NextButton()->text(), text(9102));
    EXPECT_EQ(s.CancelButton()->text(), text(9104));
    run.Shoot(lang, "1-welcome");

    // Port choice: the header band or the page's own title block.
    s.NextButton()->click();
    Settle();
    ASSERT_EQ(s.CurrentIndex(), 1);
    EXPECT_EQ(s.windowTitle(), text(10));
    EXPECT_EQ(s.BackButton()->text(), text(9101));
    if (c.newStyle) {
        EXPECT_EQ(s.HeaderTitle()->text(), text(11));
        EXPECT_EQ(s.HeaderSubtitle()->text(), text(12));
    } else {
        run.ExpectTemplateText(lang, 1, kOldStyleTitleId);
    }
    for (int id : {1064, 1065, 1049}) run.ExpectTemplateText(lang, 1, id);
    run.Shoot(lang, "2-port");

    // Search: the modem is found on COM1 and the dial-test controls appear.
    s.NextButton()->click();
    ASSERT_TRUE(Await([&] { return !run.pages->search.Searching(); }));
    ASSERT_EQ(s.CurrentIndex(), 2);
    EXPECT_EQ(s.windowTitle(), text(16));
    if (c.newStyle) {
        EXPECT_EQ(s.HeaderTitle()->text(), text(17));
        EXPECT_EQ(s.HeaderSubtitle()->text(), text(18));
    }
    TemplatePage* searchPage = s.Page(2);
    EXPECT_EQ(Shown(searchPage->Control(1030)), "NUBO 56K-PRO");
    EXPECT_EQ(Shown(searchPage->Control(1022)), text(54).toStdString());
    for (int id : {1025, 1035, 1062, 1063, 1041, 1066}) run.ExpectTemplateText(lang, 2, id);
    ASSERT_TRUE(searchPage->Control(1035)->isVisible());
    qobject_cast<QAbstractButton*>(searchPage->Control(1035))->click();
    qobject_cast<QAbstractButton*>(searchPage->Control(1063))->click();
    Settle();
    run.ExpectTemplateText(lang, 2, 1039);
    searchPage->SetText(1038, "0123");
    run.Shoot(lang, "3-search");

    // Tests: five rows in the language; the closing sentence, once the run has
    // ended, is one of the two the sequence chooses from.
    s.NextButton()->click();
    ASSERT_TRUE(Await([&] { return s.FinishButton()->isEnabled(); }));
    ASSERT_EQ(s.CurrentIndex(), 3);
    EXPECT_EQ(s.windowTitle(), text(19));
    if (c.newStyle) {
        EXPECT_EQ(s.HeaderTitle()->text(), text(20));
        EXPECT_EQ(s.HeaderSubtitle()->text(), text(21));
    }
    run.ExpectTemplateText(lang, 3, -1, 9004);
    EXPECT_EQ(s.FinishButton()->text(), text(9103));
    std::vector<std::string> rows;
    for (const RowState& row : run.pages->test.ResultList().Snapshot()) rows.push_back(row.text);
    EXPECT_EQ(rows, (std::vector<std::string>{texts::Text(lang, 46), texts::Text(lang, 47),
                                              texts::Text(lang, 48), texts::Text(lang, 49),
                                              texts::Text(lang, 60)}));
    const QString result = Q(Shown(s.Page(3)->Control(1022)));
    EXPECT_TRUE(result.isEmpty() || result == text(73) || result == text(74))
        << result.toStdString();
    run.Shoot(lang, "4-test");
    s.CancelButton()->click();
}

INSTANTIATE_TEST_SUITE_P(Environment, Languages,
                         ::testing::Values(Case{nullptr, "de_DE.UTF-8", "de", true},
                                           Case{nullptr, "de_DE.UTF-8", "de", false},
                                           Case{nullptr, "ru_RU.UTF-8", "ru", true},
                                           Case{"ru_RU.UTF-8", "de_DE.UTF-8", "ru", false}),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.catalog) +
                                    (param.param.newStyle ? "New" : "Old") +
                                    (param.param.lcAll ? "FromLcAll" : "FromLang");
                         });

}  // namespace
}  // namespace nubo
