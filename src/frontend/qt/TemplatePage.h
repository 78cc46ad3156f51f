// A page's widgets, placed from its dialog template in dialog units of the
// template font, and the page's DialogItems over them. Created on the UI thread;
// DialogItems calls may come from a worker and are carried over by the dispatcher.
#pragma once
#include <QFont>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

#include "frontend/qt/UiDispatcher.h"
#include "ui/DialogTemplates.h"
#include "wizard/DialogItems.h"

class QButtonGroup;

namespace nubo {

// Dialog-unit conversion of a font as the platform's dialog manager does it.
struct DialogUnits {
    int baseX = 6;
    int baseY = 13;
    int X(int du) const { return (du * baseX + 2) / 4; }
    int Y(int du) const { return (du * baseY + 4) / 8; }
    static DialogUnits ForFont(const QFont& font);
};

// The template font ("MS Sans Serif" 8 pt) and the title faces, mapped to the
// metric-compatible fonts a Linux desktop has.
void InstallFontSubstitutes();
QFont TemplateFont();

class TemplatePage : public QWidget, public DialogItems {
public:
    TemplatePage(const DialogTemplate& dialog, UiDispatcher& dispatcher, QWidget* parent);

    QWidget* Control(int id) const;
    QSize PixelSize() const { return pixelSize_; }
    const DialogUnits& Units() const { return units_; }
    // Called on the UI thread for a click or a user's change of selection.
    void SetCommandHandler(std::function<void(int)> handler) { onCommand_ = std::move(handler); }
    // Pop-up help for a control on a right click, F1 or the title bar's help
    // button; a control without a topic, or a topic without text, shows nothing.
    void SetHelp(const std::map<int, int>& controlTopics, const std::map<int, std::string>& topics);
    // The help text a help request on this control would show (empty: none).
    QString HelpText(QWidget* control) const;

    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) override;
    void Show(int id, bool show) override;
    void Enable(int id, bool enable) override;
    bool IsEnabled(int id) override;
    void Check(int id, bool checked) override;
    bool IsChecked(int id) override;
    void SetReadOnly(int id, bool readOnly) override;
    void ListReset(int id) override;
    int ListAdd(int id, const std::string& text) override;
    int ListCount(int id) override;
    void ListSelect(int id, int index) override;
    int ListSelectedIndex(int id) override;
    std::string ListSelectedText(int id) override;
    void Focus(int id) override;
    void SetTitleFont(int id, const TitleFont& font) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void AddPicture(const ControlTemplate& c);
    void AddLine(const ControlTemplate& c, int dialogWidth);
    void AddControl(const ControlTemplate& c, const QString& text, QButtonGroup*& group);
    void Command(int id);

    UiDispatcher& dispatcher_;
    DialogUnits units_;
    QSize pixelSize_;
    std::map<int, QWidget*> controls_;
    std::vector<QWidget*> fullWidthLines_;
    std::function<void(int)> onCommand_;
    bool programmatic_ = false;
    std::map<QWidget*, QString> help_;  // selection changes made by the program send no command
};

// Dialog texts use CR and CR LF for line breaks; the widgets want LF.
QString DialogString(const std::string& text);

}  // namespace nubo
