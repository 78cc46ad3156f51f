// Every text of every language against the room its control gives it, in the
// fonts the Qt front end draws them with (offscreen): dialog texts in their
// template controls, header texts in the header band, button texts in the
// sheet's buttons, and the texts the pages put into fields and the result list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <functional>

#include "frontend/qt/TemplatePage.h"
#include "frontend/qt/UiDispatcher.h"
#include "frontend/qt/WizardSheet.h"
#include "support/QtApp.h"
#include "ui/DialogTemplates.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

// The title fonts the pages ask for (welcome title; old-style page titles).
const TitleFont kWelcomeTitleFont{"Verdana", 20, 700};
const TitleFont kOldStyleTitleFont{"MS Shell Dlg", 20, 700};
// The result list's rows start at x 25 of a list 399 pixels wide in both
// styles; the row under way is bold.
constexpr int kResultListWidth = 430 - 31;
constexpr int kResultTextX = 25;

// Where a text is shown: its font, its width and how many lines it may take.
struct Room {
    QFont font;
    int width = 0;
    int lines = 1;
};

QSize Wrapped(const QFont& font, const QString& text, int width) {
    return QFontMetrics(font)
        .boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text)
        .size();
}

// Lines a wrapped text takes. The layout's line box may be a pixel taller than
// the font's height, so they are counted in the layout's own line height.
int Lines(const QFont& font, const QString& text, int width) {
    const int line = Wrapped(font, QStringLiteral("A"), width).height();
    return (Wrapped(font, text, width).height() + line / 2) / line;
}

// Lines a control of this height holds, counted as the dialog manager counts
// them: whole character cells of the font, at least one.
int LinesIn(const QFont& font, int height) {
    return std::max(1, height / QFontMetrics(font).height());
}

int Width(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

// Empty when text fits; else what is wrong. A one-line text may be as wide as
// the English one of the same place: the substitute font is a shade wider than
// the one the templates were laid out in, and the English text is the measure
// of what the layout accepts.
std::string Misfit(const Room& room, const QString& text, const QString& english) {
    if (room.lines == 1) {
        if (text.contains(QLatin1Char('\n'))) return "line break in a one-line place";
        const int width = std::max(room.width, Width(room.font, english));
        const int need = Width(room.font, text);
        if (need > width) {
            return "needs " + std::to_string(need) + " px, has " + std::to_string(width);
        }
        return {};
    }
    if (Wrapped(room.font, text, room.width).width() > room.width) {
        return "a word is wider than " + std::to_string(room.width) + " px";
    }
    const int lines = Lines(room.font, text, room.width);
    if (lines > room.lines) {
        return "needs " + std::to_string(lines) + " lines, has " + std::to_string(room.lines);
    }
    return {};
}

class TextFit : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::EnsureQtApplication(); }
    void TearDown() override { texts::SelectLanguage("en-US"); }

    // Measures the text of every language at one place; text(lang) gives it.
    void Expect(const std::string& where, const Room& room,
                const std::function<std::string(const std::string&)>& text) {
        const QString english = DialogString(text("en-US"));
        for (const std::string& lang : texts::Languages()) {
            const QString s = DialogString(text(lang));
            if (s.isEmpty()) continue;
            ++measured_;
            const std::string why = Misfit(room, s, english);
            EXPECT_EQ(why, "") << lang << " " << where << ": \"" << s.toStdString() << "\"";
        }
    }
    // The same for the strings with these ids, all in one room.
    void ExpectStrings(const std::string& where, const Room& room, std::initializer_list<int> ids) {
        for (int id : ids) {
            Expect(where + " " + std::to_string(id), room,
                   [id](const std::string& lang) { return texts::Text(lang, id); });
        }
    }
    int measured_ = 0;
};

// Room below a title down to the next control beneath it: a title in a large
// font grows downwards and may take that room, but no more.
int RoomBelow(const DialogTemplate& dialog, const ControlTemplate& title, const DialogUnits& du) {
    int bottom = dialog.height;
    for (const ControlTemplate& c : dialog.controls) {
        const bool beside = c.x < title.x + title.w && title.x < c.x + c.w;
        if (&c != &title && beside && c.y > title.y) bottom = std::min(bottom, c.y);
    }
    return du.Y(bottom) - du.Y(title.y);
}

TEST_F(TextFit, TemplateFontIsTheMetricCompatibleFace) {
    // Every measurement below is meaningless in a fallback face.
    EXPECT_EQ(QFontInfo(TemplateFont()).family(), "Liberation Sans");
    const DialogUnits du = DialogUnits::ForFont(TemplateFont());
    EXPECT_EQ(du.X(4), du.baseX);
    EXPECT_GT(du.baseY, 10);
}

TEST_F(TextFit, DialogTextsFitTheirControls) {
    UiDispatcher dispatcher;
    const DialogUnits du = DialogUnits::ForFont(TemplateFont());
    for (const DialogTemplate& dialog : AllTemplates()) {
        TemplatePage page(dialog, dispatcher, nullptr);
        for (const ControlTemplate& c : dialog.controls) {
            Room room{TemplateFont(), du.X(c.w), 1};
            switch (c.kind) {
                case ControlKind::Title: {
                    // Measured in the font the page gives the title.
                    page.SetTitleFont(
                        c.id, c.id == ctl::kOldStyleTitle ? kOldStyleTitleFont : kWelcomeTitleFont);
                    room.font = page.Control(c.id)->font();
                    room.lines = LinesIn(room.font, RoomBelow(dialog, c, du));
                    break;
                }
                case ControlKind::Static:
                    room.lines = LinesIn(room.font, du.Y(c.h));
                    break;
                case ControlKind::CheckBox:
                case ControlKind::RadioButton:
                case ControlKind::AutoRadioButton: {
                    // Option buttons and check boxes never wrap; the mark takes its share.
                    QWidget* button = page.Control(c.id);
                    ASSERT_NE(button, nullptr);
                    QStyle* style = button->style();
                    const bool check = c.kind == ControlKind::CheckBox;
                    room.width -= style->pixelMetric(check ? QStyle::PM_IndicatorWidth
                                                           : QStyle::PM_ExclusiveIndicatorWidth,
                                                     nullptr, button) +
                                  style->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing
                                                           : QStyle::PM_RadioButtonLabelSpacing,
                                                     nullptr, button);
                    break;
                }
                default:
                    EXPECT_EQ(texts::DialogText("en-US", dialog.id, c.textKey), "")
                        << dialog.id << "/" << c.textKey << " shows no text";
                    continue;
            }
            Expect(std::to_string(dialog.id) + "/" + std::to_string(c.textKey), room,
                   [&](const std::string& lang) {
                       return texts::DialogText(lang, dialog.id, c.textKey);
                   });
        }
    }
    EXPECT_GT(measured_, 40 * 14);
}

TEST_F(TextFit, HeaderAndButtonTextsFitTheSheet) {
    WizardSheet sheet({}, true, false);
    QLabel* title = sheet.HeaderTitle();
    QLabel* subtitle = sheet.HeaderSubtitle();
    ExpectStrings("header title", Room{title->font(), title->width(), 1}, {11, 17, 20});
    ExpectStrings(
        "header subtitle",
        Room{subtitle->font(), subtitle->width(), LinesIn(subtitle->font(), subtitle->height())},
        {12, 18, 21});
    for (QPushButton* button :
         {sheet.BackButton(), sheet.NextButton(), sheet.FinishButton(), sheet.CancelButton()}) {
        ASSERT_EQ(button->width(), 75);
    }
    QStyleOptionButton option;
    option.initFrom(sheet.NextButton());
    option.rect = sheet.NextButton()->rect();
    const int room =
        sheet.style()
            ->subElementRect(QStyle::SE_PushButtonContents, &option, sheet.NextButton())
            .width();
    const Room buttonRoom{sheet.NextButton()->font(), room, 1};
    for (int id : {9101, 9102, 9103, 9104}) {
        // The mnemonic is underlined, not shown.
        Expect("button " + std::to_string(id), buttonRoom, [id](const std::string& lang) {
            std::string text = texts::Text(lang, id);
            std::erase(text, '&');
            return text;
        });
    }
}

TEST_F(TextFit, TextsThePagesSetFitTheirFields) {
    UiDispatcher dispatcher;
    QFont bold = TemplateFont();
    bold.setBold(true);
    for (int templateId : {129, 170}) {
        TemplatePage page(*FindTemplate(templateId), dispatcher, nullptr);
        const Room status{TemplateFont(), page.Control(1022)->width(), 1};
        ExpectStrings("status line", status, {51, 53, 54, 91});
        // Why the one port searched did not open, after its name.
        for (int id : {9201, 9202, 9204}) {
            Expect("status line " + std::to_string(id), status,
                   [id](const std::string& lang) { return "COM10: " + texts::Text(lang, id); });
        }
        auto* modem = qobject_cast<QLineEdit*>(page.Control(1030));
        ASSERT_NE(modem, nullptr);
        // The edit's frame and its two-pixel inner margin on each side.
        const int frame = modem->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, modem);
        ExpectStrings("modem field", Room{TemplateFont(), modem->width() - 2 * frame - 4, 1},
                      {50, 52});
    }
    for (int templateId : {134, 171}) {
        TemplatePage page(*FindTemplate(templateId), dispatcher, nullptr);
        QWidget* result = page.Control(1022);
        ExpectStrings(
            "result field",
            Room{TemplateFont(), result->width(), LinesIn(TemplateFont(), result->height())},
            {73, 74});
    }
    ExpectStrings("result row", Room{bold, kResultListWidth - kResultTextX, 1},
                  {46, 47, 48, 49, 60});
}

}  // namespace
}  // namespace nubo
