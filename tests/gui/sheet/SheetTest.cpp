// The wizard sheet on Qt's offscreen platform: context help and the
// sixteen-colour pictures. The walk through the pages, with its buttons,
// headers and worker calls, is the wizard test's.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QLabel>

#include "frontend/qt/Pictures.h"
#include "support/QtApp.h"

namespace nubo {
namespace {

TEST(SheetTest, ContextHelpPopsUpForMappedControlsOnly) {
    testing::EnsureQtApplication();
    testing::SimulatedWizard w(true);
    const std::string help = w.dir.Write("nubotest.HLP", "100 All ports help\n101 \n");
    WizardSheet s({&w.welcome, &w.port}, true, false, help);
    s.Start();
    s.show();
    // The page's buttons apply at once, not once the queue is served: a second
    // click that waited behind the one that changed the page meets them.
    EXPECT_TRUE(s.NextButton()->isEnabled());
    s.NextButton()->click();
    testing::Settle();
    TemplatePage* page = s.Page(1);
    EXPECT_EQ(page->HelpText(page->Control(1064)), "All ports help");
    EXPECT_EQ(page->HelpText(page->Control(1065)), "");  // topic without text
    EXPECT_EQ(page->HelpText(page->Control(1048)), "");  // topic not in the file
    QWidget* option = page->Control(1064);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            option->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(option, &click);
    testing::Settle();
    QWidget* popup = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && QString(top->metaObject()->className()) == "QWhatsThat")
            popup = top;
    }
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->font(), page->font());
    testing::Shoot(s, "sheet-new-port-help", "BNC");
}

TEST(SheetTest, SixteenColourDisplaysGetTheSixteenColourWatermark) {
    testing::EnsureQtApplication();
    for (bool low : {false, true}) {
        testing::SimulatedWizard w(true);
        WizardSheet s({&w.welcome}, true, low);
        const QImage shown = s.Watermark()->pixmap().toImage();
        const QImage picture = LoadPicture(low ? 142 : 148);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(shown.size(), QSize(503, 313));
        EXPECT_EQ(shown.pixel(5, 5), picture.pixel(5, 5)) << low;
        EXPECT_EQ(shown.pixel(100, 300), picture.pixel(100, 300)) << low;
        // Right of the picture the canvas has the window colour.
        EXPECT_EQ(QColor(shown.pixel(300, 5)), s.palette().color(QPalette::Base));
    }
    EXPECT_NE(LoadPicture(142).pixel(5, 5), LoadPicture(148).pixel(5, 5));
}

}  // namespace
}  // namespace nubo
