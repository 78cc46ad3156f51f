// A page's widgets placed from its dialog template, and its DialogItems.
#include "frontend/qt/TemplatePage.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRadioButton>
#include <QWhatsThis>

#include "frontend/qt/Pictures.h"
#include "wizard/Texts.h"

namespace nubo {

DialogUnits DialogUnits::ForFont(const QFont& font) {
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, fm.height()};
}

void InstallFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Shell Dlg"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
}

QFont TemplateFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);  // 8 points at 96 dots per inch
    return font;
}

QString DialogString(const std::string& text) {
    QString s = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

namespace {

// The platform's sorted boxes order without regard to case.
int SortedPosition(const QStringList& items, const QString& text) {
    int pos = 0;
    while (pos < items.size() && QString::compare(items[pos], text, Qt::CaseInsensitive) <= 0) {
        ++pos;
    }
    return pos;
}

QStringList Items(QWidget* w) {
    QStringList items;
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    }
    return items;
}

}  // namespace

TemplatePage::TemplatePage(const DialogTemplate& dialog, UiDispatcher& dispatcher, QWidget* parent)
    : QWidget(parent), dispatcher_(dispatcher) {
    setFont(TemplateFont());
    units_ = DialogUnits::ForFont(font());
    pixelSize_ = QSize(units_.X(dialog.width), units_.Y(dialog.height));
    resize(pixelSize_);
    QButtonGroup* group = nullptr;
    for (const ControlTemplate& c : dialog.controls) {
        if (c.kind == ControlKind::Picture) {
            AddPicture(c);
        } else if (c.kind == ControlKind::EtchedLine) {
            AddLine(c, dialog.width);
        } else {
            AddControl(c, DialogString(texts::DialogText(dialog.id, c.textKey)), group);
        }
    }
}

void TemplatePage::AddPicture(const ControlTemplate& c) {
    auto* label = new QLabel(this);
    const QImage picture = LoadPicture(c.textKey);
    label->setPixmap(QPixmap::fromImage(picture));
    label->setGeometry(units_.X(c.x), units_.Y(c.y), picture.width(), picture.height());
    label->setVisible(c.visible);
    if (c.id > 0) controls_[c.id] = label;
}

void TemplatePage::AddLine(const ControlTemplate& c, int dialogWidth) {
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(units_.X(c.x), units_.Y(c.y), units_.X(c.w), 2);
    // A line drawn to the template's edge runs across the whole
    // page, however wide the sheet makes it.
    if (c.x + c.w >= dialogWidth - 1) fullWidthLines_.push_back(line);
}

// A control that the page's user works with; radio buttons join the group
// that the last first-in-group button started.
void TemplatePage::AddControl(const ControlTemplate& c, const QString& text, QButtonGroup*& group) {
    QWidget* w = nullptr;
    switch (c.kind) {
        case ControlKind::Static:
        case ControlKind::Title: {
            auto* label = new QLabel(text, this);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = label;
            break;
        }
        case ControlKind::RadioButton:
        case ControlKind::AutoRadioButton: {
            auto* radio = new QRadioButton(text, this);
            // Plain option buttons are checked by the program, not by the click.
            radio->setAutoExclusive(false);
            if (c.kind == ControlKind::AutoRadioButton) {
                if (c.firstInGroup || !group) {
                    group = new QButtonGroup(this);
                    group->setExclusive(true);
                }
                group->addButton(radio);
            }
            w = radio;
            break;
        }
        case ControlKind::CheckBox:
            w = new QCheckBox(text, this);
            break;
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(text, this);
            edit->setReadOnly(c.readOnly);
            w = edit;
            break;
        }
        case ControlKind::ListBox: {
            auto* list = new QListWidget(this);
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            const int id = c.id;
            connect(list, &QListWidget::currentRowChanged, this, [this, id](int) {
                if (!programmatic_) Command(id);
            });
            w = list;
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(this);
            const int id = c.id;
            connect(combo, &QComboBox::activated, this, [this, id](int) { Command(id); });
            w = combo;
            break;
        }
        case ControlKind::GroupBox:
            w = new QGroupBox(text, this);
            break;
        case ControlKind::Picture:
        case ControlKind::EtchedLine:
            return;  // AddPicture, AddLine
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const int id = c.id;
        connect(button, &QAbstractButton::clicked, this, [this, id] { Command(id); });
    }
    // A drop-down list's template height is its dropped height; closed it is one line.
    const int h = c.kind == ControlKind::ComboBox ? std::min(c.h, 14) : c.h;
    w->setGeometry(units_.X(c.x), units_.Y(c.y), units_.X(c.w), units_.Y(h));
    w->setVisible(c.visible);
    w->setEnabled(c.enabled);
    if (c.id > 0) controls_[c.id] = w;
}

void TemplatePage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* line : fullWidthLines_) line->resize(width() - line->x(), line->height());
}

void TemplatePage::SetHelp(const std::map<int, int>& controlTopics,
                           const std::map<int, std::string>& topics) {
    for (const auto& [id, topic] : controlTopics) {
        QWidget* w = Control(id);
        auto it = topics.find(topic);
        if (!w || it == topics.end() || it->second.empty()) continue;
        help_[w] = DialogString(it->second);
        w->installEventFilter(this);
    }
}

QString TemplatePage::HelpText(QWidget* control) const {
    auto it = help_.find(control);
    return it == help_.end() ? QString() : it->second;
}

bool TemplatePage::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    const QString text = HelpText(w);
    if (text.isEmpty()) return QWidget::eventFilter(watched, event);
    QPoint at;
    switch (event->type()) {
        case QEvent::ContextMenu:
            at = static_cast<QContextMenuEvent*>(event)->globalPos();
            break;
        case QEvent::WhatsThis:
            at = static_cast<QHelpEvent*>(event)->globalPos();
            break;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) {
                return QWidget::eventFilter(watched, event);
            }
            at = w->mapToGlobal(QPoint(w->width() / 2, w->height()));
            break;
        default:
            return QWidget::eventFilter(watched, event);
    }
    QWhatsThis::showText(at, text, w);
    return true;
}

QWidget* TemplatePage::Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void TemplatePage::Command(int id) {
    if (onCommand_) onCommand_(id);
}

void TemplatePage::SetText(int id, const std::string& text) {
    dispatcher_.OnUi([&] {
        const QString s = DialogString(text);
        QWidget* w = Control(id);
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(s);
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->setText(s);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(s);
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            box->setTitle(s);
    });
}

std::string TemplatePage::GetText(int id) {
    return dispatcher_.OnUi([&] {
        QWidget* w = Control(id);
        QString s;
        if (auto* label = qobject_cast<QLabel*>(w))
            s = label->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            s = edit->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            s = button->text();
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            s = combo->currentText();
        return s.toStdString();
    });
}

void TemplatePage::Show(int id, bool show) {
    dispatcher_.OnUi([&] {
        if (QWidget* w = Control(id)) w->setVisible(show);
    });
}

void TemplatePage::Enable(int id, bool enable) {
    dispatcher_.OnUi([&] {
        if (QWidget* w = Control(id)) w->setEnabled(enable);
    });
}

bool TemplatePage::IsEnabled(int id) {
    return dispatcher_.OnUi([&] {
        QWidget* w = Control(id);
        return w && w->isEnabled();
    });
}

void TemplatePage::Check(int id, bool checked) {
    dispatcher_.OnUi([&] {
        if (auto* b = qobject_cast<QAbstractButton*>(Control(id))) b->setChecked(checked);
    });
}

bool TemplatePage::IsChecked(int id) {
    return dispatcher_.OnUi([&] {
        auto* b = qobject_cast<QAbstractButton*>(Control(id));
        return b && b->isChecked();
    });
}

void TemplatePage::SetReadOnly(int id, bool readOnly) {
    dispatcher_.OnUi([&] {
        if (auto* edit = qobject_cast<QLineEdit*>(Control(id))) edit->setReadOnly(readOnly);
    });
}

void TemplatePage::ListReset(int id) {
    dispatcher_.OnUi([&] {
        programmatic_ = true;
        if (auto* list = qobject_cast<QListWidget*>(Control(id))) list->clear();
        if (auto* combo = qobject_cast<QComboBox*>(Control(id))) combo->clear();
        programmatic_ = false;
    });
}

int TemplatePage::ListAdd(int id, const std::string& text) {
    return dispatcher_.OnUi([&] {
        QWidget* w = Control(id);
        const QString s = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
        const int pos = SortedPosition(Items(w), s);
        programmatic_ = true;
        if (auto* list = qobject_cast<QListWidget*>(w)) list->insertItem(pos, s);
        if (auto* combo = qobject_cast<QComboBox*>(w)) combo->insertItem(pos, s);
        programmatic_ = false;
        return w ? pos : -1;
    });
}

int TemplatePage::ListCount(int id) {
    return dispatcher_.OnUi([&] { return static_cast<int>(Items(Control(id)).size()); });
}

void TemplatePage::ListSelect(int id, int index) {
    dispatcher_.OnUi([&] {
        programmatic_ = true;
        if (auto* list = qobject_cast<QListWidget*>(Control(id))) list->setCurrentRow(index);
        if (auto* combo = qobject_cast<QComboBox*>(Control(id))) combo->setCurrentIndex(index);
        programmatic_ = false;
    });
}

int TemplatePage::ListSelectedIndex(int id) {
    return dispatcher_.OnUi([&] {
        if (auto* list = qobject_cast<QListWidget*>(Control(id))) {
            return list->currentItem() && list->currentItem()->isSelected() ? list->currentRow()
                                                                            : -1;
        }
        if (auto* combo = qobject_cast<QComboBox*>(Control(id))) return combo->currentIndex();
        return -1;
    });
}

std::string TemplatePage::ListSelectedText(int id) {
    const int index = ListSelectedIndex(id);
    if (index < 0) return {};
    return dispatcher_.OnUi([&] {
        const QStringList items = Items(Control(id));
        return index < items.size() ? items[index].toStdString() : std::string();
    });
}

void TemplatePage::Focus(int id) {
    dispatcher_.OnUi([&] {
        QPointer<QWidget> w = Control(id);
        if (!w) return;
        w->setFocus();
        // An option chosen with an arrow key takes the focus itself once its
        // click has been handled: hand it on after that.
        QMetaObject::invokeMethod(
            this,
            [w] {
                if (w && w->isVisible()) w->setFocus();
            },
            Qt::QueuedConnection);
    });
}

void TemplatePage::SetTitleFont(int id, const TitleFont& titleFont) {
    dispatcher_.OnUi([&] {
        QWidget* w = Control(id);
        if (!w) return;
        QFont f(QString::fromStdString(titleFont.face));
        // The height asked for is the character cell's, leading included, as
        // the platform's font request means it; Qt's pixel size is the em.
        f.setPixelSize(titleFont.pixelHeight);
        const int cell = QFontMetrics(f).height();
        if (cell > titleFont.pixelHeight) {
            f.setPixelSize(std::max(1, titleFont.pixelHeight * titleFont.pixelHeight / cell));
        }
        f.setWeight(titleFont.weight >= 700 ? QFont::Bold : QFont::Normal);
        w->setFont(f);
        // A title in a large font may need more lines than its template height
        // holds: it grows downwards into free room, never over the control
        // beneath it (the old-style title is clipped to its own control).
        if (auto* label = qobject_cast<QLabel*>(w)) {
            int bottom = height();
            const QRect g = label->geometry();
            for (QWidget* other : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const QRect o = other->geometry();
                const bool beside = o.left() <= g.right() && g.left() <= o.right();
                if (other != label && beside && o.top() > g.top())
                    bottom = std::min(bottom, o.top());
            }
            const int needed = std::min(label->heightForWidth(label->width()), bottom - g.top());
            if (needed > label->height()) label->resize(label->width(), needed);
        }
    });
}

}  // namespace nubo
