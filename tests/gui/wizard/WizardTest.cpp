// The whole interactive wizard on Qt's offscreen platform against the emulated
// modem, in both styles and in the language the environment names: clicks and
// keys from the welcome page to Finish, back to the search and on again, the
// texts every page shows, the log and the exit code, and a screenshot of every
// page. Then a Cancel while the search's message box is up.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <cstdlib>
#include <regex>

#include "platform/posix/PosixSystem.h"
#include "support/QtApp.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

using testing::Await;
using testing::Settle;
using testing::Shoot;

template <typename T = QWidget>
T* ControlOf(WizardSheet& sheet, int page, int id) {
    return qobject_cast<T*>(sheet.Page(page)->Control(id));
}

std::string Shown(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
    return {};
}

struct Walk {
    bool newStyle;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* catalog;  // what the environment must select
};

class WizardWalk : public ::testing::TestWithParam<Walk> {
protected:
    static void SetUpTestSuite() { testing::EnsureQtApplication(); }
    void TearDown() override { texts::SelectLanguage("en-US"); }

    // The page shows its template's text for this control in the language
    // (not the English one, unless it is English). A control without an id is
    // found by its text key.
    void ExpectTemplateText(WizardSheet& s, int index, int id, int textKey = 0) {
        const PageKind kinds[] = {PageKind::Welcome, PageKind::Port, PageKind::Search,
                                  PageKind::Test};
        const int templateId = PageTable(kinds[index], newStyle_).templateId;
        const int key = textKey ? textKey : id;
        const std::string text = texts::DialogText(lang_, templateId, key);
        ASSERT_FALSE(text.empty()) << templateId << "/" << key;
        if (lang_ != "en-US") {
            EXPECT_NE(text, texts::DialogText("en-US", templateId, key));
        }
        bool shown = false;
        for (QLabel* label : s.Page(index)->findChildren<QLabel*>()) {
            shown |= label->isVisible() && label->text() == DialogString(text);
        }
        if (id > 0) shown = Shown(s.Page(index)->Control(id)) == DialogString(text).toStdString();
        EXPECT_TRUE(shown) << templateId << "/" << key;
    }
    // The page's header: the sheet's band in the new style, the page's own
    // title block in the old, with the same texts.
    void ExpectHeader(WizardSheet& s, int index, int title, int subtitle) {
        const QString text = DialogString(texts::Text(lang_, title));
        EXPECT_EQ(s.HeaderBand()->isVisible(), newStyle_);
        if (newStyle_) {
            EXPECT_EQ(s.HeaderTitle()->text(), text);
            EXPECT_EQ(s.HeaderSubtitle()->text(), DialogString(texts::Text(lang_, subtitle)));
            EXPECT_EQ(s.HeaderSubtitle()->alignment() & Qt::AlignVertical_Mask, Qt::AlignTop);
            return;
        }
        TemplatePage* page = s.Page(index);
        auto* own = qobject_cast<QLabel*>(page->Control(ctl::kOldStyleTitle));
        ASSERT_NE(own, nullptr);
        EXPECT_EQ(own->text(), text);
        // 20 pixels is the character cell, leading included; the title stays
        // inside its control, clear of the subtitle.
        EXPECT_TRUE(own->font().bold());
        EXPECT_NEAR(QFontMetrics(own->font()).height(), 19, 1);
        EXPECT_LE(own->geometry().bottom(), page->Units().Y(17));
        ExpectTemplateText(s, index, -1, 9001);
        // The sunken line runs across the whole page.
        for (QFrame* line : page->findChildren<QFrame*>()) {
            if (line->frameShape() == QFrame::HLine) {
                EXPECT_EQ(line->width(), page->width());
            }
        }
    }

    std::string lang_;
    bool newStyle_ = true;
};

TEST_P(WizardWalk, FromWelcomeToFinishAndBackToTheSearch) {
    const Walk& c = GetParam();
    // The entry's own choice: the user's language from the environment, the
    // first of LC_ALL, LC_MESSAGES and LANG that is set winning.
    for (auto [name, value] : {std::pair{"LC_ALL", c.lcAll}, {"LC_MESSAGES", c.lcMessages}}) {
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    setenv("LANG", c.lang, 1);
    texts::SelectLanguage(texts::LanguageForLocale(PosixSystem().UserLanguage()));
    lang_ = c.catalog;
    newStyle_ = c.newStyle;
    ASSERT_EQ(texts::SelectedLanguage(), lang_);
    testing::SimulatedWizard w(c.newStyle);
    const auto text = [&](int id) { return DialogString(texts::Text(lang_, id)); };
    const std::string shot = std::string("wizard-") + (c.newStyle ? "new" : "old") +
                             (lang_ == "en-US" ? "" : "-" + lang_) + "-";
    WizardSheet& s = *w.sheet;
    s.Start();
    s.show();
    s.activateWindow();

    // Welcome: the watermark in the new style, the page's own picture in the old.
    Settle();
    EXPECT_EQ(s.windowTitle(), text(13));
    EXPECT_EQ(s.Watermark()->isVisible(), c.newStyle);
    EXPECT_FALSE(s.HeaderBand()->isVisible());
    ExpectTemplateText(s, 0, 1020);
    EXPECT_EQ(s.NextButton()->text(), text(9102));
    EXPECT_EQ(s.CancelButton()->text(), text(9104));
    const QSize size = s.size();
    Shoot(s, shot + "1-welcome", "bNC");

    // Port choice.
    s.NextButton()->click();
    EXPECT_EQ(s.BackButton()->text(), text(9101));
    ExpectHeader(s, 1, 11, 12);
    for (int id : {1064, 1065, 1049}) ExpectTemplateText(s, 1, id);
    Shoot(s, shot + "2-port", "BNC");
    EXPECT_EQ(s.size(), size);
    ControlOf<QAbstractButton>(s, 1, 1065)->click();
    auto* list = ControlOf<QListWidget>(s, 1, 1048);
    ASSERT_EQ(list->count(), 1);
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());  // one entry fits
    list->setCurrentRow(0);
    Shoot(s, shot + "3-port-chosen", "BNC");

    // Search: only Back while it runs; the modem is found on COM1.
    w.peer.Hold(true);
    s.NextButton()->click();
    EXPECT_FALSE(w.settings.searchAllPorts);
    ExpectHeader(s, 2, 17, 18);
    Shoot(s, shot + "4-search-running", "BnC");
    w.peer.Hold(false);
    ASSERT_TRUE(Await([&] { return !w.search.Searching(); })) << w.Log();
    EXPECT_EQ(Shown(ControlOf(s, 2, 1022)), text(54).toStdString());
    EXPECT_EQ(ControlOf<QLineEdit>(s, 2, 1030)->text(), "NUBO 56K-PRO");
    for (int id : {1025, 1035, 1062, 1063, 1041, 1066}) ExpectTemplateText(s, 2, id);
    auto* dialTest = ControlOf<QAbstractButton>(s, 2, 1035);
    ASSERT_TRUE(dialTest->isVisible());
    Shoot(s, shot + "5-search-found", "BNC");

    // A test call to a number of our own, chosen with the arrow key, without
    // waiting for the dial tone.
    dialTest->click();
    ControlOf<QAbstractButton>(s, 2, 1066)->click();
    auto* own = ControlOf<QLineEdit>(s, 2, 1038);
    ControlOf(s, 2, 1062)->setFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(ControlOf(s, 2, 1062), &down);
    Settle();
    EXPECT_TRUE(ControlOf<QAbstractButton>(s, 2, 1063)->isChecked());
    EXPECT_EQ(s.focusWidget(), own);
    ExpectTemplateText(s, 2, 1039);
    // Typed as a user types it: a field left read-only takes no keys.
    for (const char digit : std::string("0123")) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_0 + (digit - '0'), Qt::NoModifier, QString(digit));
        QApplication::sendEvent(own, &key);
    }
    Shoot(s, shot + "6-search-test-call", "BNC");

    // Tests: the rows in the language; nothing on the page is a tab stop.
    w.peer.Hold(true);
    s.NextButton()->click();
    EXPECT_EQ(w.settings.phoneNumber, "0123");
    EXPECT_TRUE(w.settings.noDialTone);
    EXPECT_EQ(s.windowTitle(), text(19));
    ExpectHeader(s, 3, 20, 21);
    ExpectTemplateText(s, 3, -1, 9004);
    EXPECT_EQ(s.FinishButton()->text(), text(9103));
    std::vector<std::string> rows;
    for (const RowState& row : w.test.ResultList().Snapshot()) rows.push_back(row.text);
    EXPECT_EQ(rows, (std::vector<std::string>{texts::Text(lang_, 46), texts::Text(lang_, 47),
                                              texts::Text(lang_, 48), texts::Text(lang_, 49),
                                              texts::Text(lang_, 60)}));
    for (QWidget* control : s.Page(3)->findChildren<QWidget*>()) {
        EXPECT_FALSE(control->focusPolicy() & Qt::TabFocus) << control->metaObject()->className();
    }
    Shoot(s, shot + "7-tests-running", "bfC");
    w.peer.Hold(false);
    ASSERT_TRUE(Await([&] { return !w.test.Testing(); })) << w.Log();
    EXPECT_EQ(Shown(ControlOf(s, 3, 1022)), text(73).toStdString());
    Shoot(s, shot + "8-tests-done", "BFC");
    EXPECT_EQ(s.size(), size);

    // Back to the search: the dial-test controls wait for the new search, then
    // come back as they were; the tests run anew on fresh rows.
    w.peer.Hold(true);
    s.BackButton()->click();
    ASSERT_EQ(s.CurrentIndex(), 2);
    EXPECT_FALSE(dialTest->isVisible());
    EXPECT_EQ(Shown(ControlOf(s, 2, 1022)), "");
    w.peer.Hold(false);
    ASSERT_TRUE(Await([&] { return s.NextButton()->isEnabled(); }));
    EXPECT_TRUE(dialTest->isChecked());
    EXPECT_TRUE(own->isVisible());
    EXPECT_EQ(own->text(), "0123");
    s.NextButton()->click();
    ASSERT_TRUE(Await([&] { return s.FinishButton()->isEnabled(); }));
    EXPECT_EQ(w.test.ResultList().Count(), 5);

    s.FinishButton()->click();
    EXPECT_FALSE(s.Cancelled());
    EXPECT_EQ(w.settings.exitCode, 0);
    const std::string log = w.Log();
    EXPECT_NE(log.find("Command send to the modem for this test : ATX3DT0123"), std::string::npos);
    EXPECT_NE(log.rfind("END OF THE MODEM TESTS"), log.find("END OF THE MODEM TESTS")) << log;
}

INSTANTIATE_TEST_SUITE_P(Environment, WizardWalk,
                         ::testing::Values(Walk{true, nullptr, nullptr, "C", "en-US"},
                                           Walk{false, "C", "ru_RU.UTF-8", "de_DE.UTF-8", "en-US"},
                                           Walk{true, nullptr, "de_DE.UTF-8", "ru_RU.UTF-8", "de"},
                                           Walk{false, "ru_RU.UTF-8", nullptr, "de_DE.UTF-8",
                                                "ru"}),
                         [](const ::testing::TestParamInfo<Walk>& param) {
                             return std::string(param.param.newStyle ? "New" : "Old") +
                                    (param.param.catalog[0] == 'e' ? "En" : param.param.catalog);
                         });

// A described modem without a telephony name: the search waits for the box,
// and the wizard's Cancel, still usable, closes the box and ends the run.
TEST(WizardMessageBox, CancelClosesTheBoxAndEndsTheRun) {
    testing::EnsureQtApplication();
    const std::string description =
        std::regex_replace(testing::ReadFile(NUBO_SOURCE_DIR "/res/data/nubotest.ini"),
                           std::regex("ModemTapiName=NUBO 56K-PRO\n"), "");
    testing::SimulatedWizard w(true, true, description);
    WizardSheet& s = *w.sheet;
    s.SetMessageBoxesShown(true);
    s.Start();
    s.show();
    ASSERT_TRUE(Await([&] { return s.MessageBox() && s.MessageBox()->isVisible(); }));
    EXPECT_FALSE(s.MessageBox()->isModal());
    Shoot(s, "wizard-message-box", "BnC");
    s.CancelButton()->click();
    EXPECT_TRUE(s.Cancelled());
    EXPECT_FALSE(w.search.Searching());
    EXPECT_TRUE(!s.MessageBox() || !s.MessageBox()->isVisible());
    EXPECT_EQ(w.Log().find("START OF THE MODEM TESTS"), std::string::npos) << w.Log();
}

}  // namespace
}  // namespace nubo
