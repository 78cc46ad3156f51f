// The wizard sheet.
#include "frontend/qt/WizardSheet.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <iostream>

#include "frontend/qt/Pictures.h"
#include "frontend/qt/ResultListView.h"
#include "frontend/qt/TemplatePage.h"
#include "ui/DialogTemplates.h"
#include "ui/HelpFile.h"
#include "ui/Pages.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

// Texts of the sheet's own buttons in the catalogs.
constexpr int kBackText = 9101;
constexpr int kNextText = 9102;
constexpr int kFinishText = 9103;
constexpr int kCancelText = 9104;

QString Str(int id) {
    return DialogString(texts::Text(id));
}

}  // namespace

WizardSheet::WizardSheet(std::vector<WizardPage*> pages, bool newStyle, bool lowColour,
                         const std::string& helpFile)
    : pages_(std::move(pages)),
      created_(pages_.size(), false),
      newStyle_(newStyle),
      boxesShown_(QGuiApplication::platformName() != QLatin1String("offscreen")) {
    setFont(TemplateFont());
    // The help pop-ups speak in the dialog's font, not the toolkit's own.
    QApplication::setFont(font(), "QWhatsThat");
    // Context help sits in the title bar; there is no Help button.
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
    const QColor window = palette().color(QPalette::Base);
    if (newStyle_) {
        auto compose = [&](const SheetPicture& p) {
            return ComposeBitmap(LoadPicture(p.Id(lowColour)), p.width, p.height, p.x, p.y, window);
        };
        watermarkPicture_ = compose(kWatermark);
        headerPicture_ = compose(kHeader);
    }

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 8);
    outer->setSpacing(0);

    AddHeader(*outer);
    AddBody(*outer, helpFile);
    AddButtons(*outer);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(back_, &QPushButton::clicked, this, [this] { Press(WizardButton::Back); });
    connect(next_, &QPushButton::clicked, this, [this] { Press(WizardButton::Next); });
    connect(finish_, &QPushButton::clicked, this, [this] { Press(WizardButton::Finish); });
    connect(cancel_, &QPushButton::clicked, this, [this] { Press(WizardButton::Cancel); });
    ApplyButtons(0);
}

// The new style's band across the top: picture, title, subtitle, line.
void WizardSheet::AddHeader(QVBoxLayout& outer) {
    header_ = new QLabel(this);
    static_cast<QLabel*>(header_)->setPixmap(QPixmap::fromImage(headerPicture_));
    header_->setFixedSize(kHeader.width, kHeader.height);
    headerTitle_ = new QLabel(header_);
    QFont bold = font();
    bold.setBold(true);
    headerTitle_->setFont(bold);
    headerTitle_->setGeometry(21, 8, 410, 16);
    headerSubtitle_ = new QLabel(header_);
    headerSubtitle_->setWordWrap(true);
    // One line or two, the subtitle starts at the same place on every page.
    headerSubtitle_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    headerSubtitle_->setGeometry(41, 24, 400, 32);
    headerLine_ = new QFrame(this);
    headerLine_->setFrameShape(QFrame::HLine);
    headerLine_->setFrameShadow(QFrame::Sunken);
    outer.addWidget(header_);
    outer.addWidget(headerLine_);
    header_->setVisible(newStyle_);
    headerLine_->setVisible(newStyle_);
}

// The pages, stacked, and the new style's watermark beside the welcome page.
void WizardSheet::AddBody(QVBoxLayout& outer, const std::string& helpFile) {
    body_ = new QWidget(this);
    auto* body = body_;
    stack_ = new QStackedWidget(body);
    watermark_ = new QLabel(body);
    watermark_->setPixmap(QPixmap::fromImage(watermarkPicture_));
    watermark_->setGeometry(0, 0, kWatermark.width, kWatermark.height);
    watermark_->hide();
    outer.addWidget(body);

    QSize area(kHeader.width, 0);
    const std::map<int, std::string> topics = LoadHelpFile(helpFile);
    for (WizardPage* page : pages_) {
        const DialogTemplate* tpl = FindTemplate(page->Ids().templateId);
        static const DialogTemplate kEmpty{0, 317, 193, {}};
        auto* w = new TemplatePage(tpl ? *tpl : kEmpty, dispatcher_, stack_);
        w->SetHelp(page->HelpMap(), topics);
        widgets_.push_back(w);
        stack_->addWidget(w);
        area = area.expandedTo(w->PixelSize() + QSize(newStyle_ ? 0 : 16, 0));
    }
    // Inner new-style pages sit below the header band, inside the same height
    // as the welcome page's watermark.
    const int height = newStyle_ ? kWatermark.height : area.height() + 12;
    body->setFixedSize(area.width(), height);
    stack_->setGeometry(0, 0, area.width(), height);
}

// The line above the buttons, and Back, Next, Finish and Cancel.
void WizardSheet::AddButtons(QVBoxLayout& outer) {
    auto* bottomLine = new QFrame(this);
    bottomLine->setFrameShape(QFrame::HLine);
    bottomLine->setFrameShadow(QFrame::Sunken);
    outer.addWidget(bottomLine);
    outer.addSpacing(8);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->addStretch();
    back_ = new QPushButton(Str(kBackText), this);
    next_ = new QPushButton(Str(kNextText), this);
    finish_ = new QPushButton(Str(kFinishText), this);
    cancel_ = new QPushButton(Str(kCancelText), this);
    for (QPushButton* b : {back_, next_, finish_, cancel_}) {
        b->setFixedSize(75, 23);
        b->setAutoDefault(false);
    }
    buttons->addWidget(back_);
    buttons->addSpacing(0);
    buttons->addWidget(next_);
    buttons->addWidget(finish_);
    buttons->addSpacing(8);
    buttons->addWidget(cancel_);
    outer.addLayout(buttons);
    finish_->hide();
}

WizardSheet::~WizardSheet() {
    if (!finished_) Finish(true);
}

TemplatePage* WizardSheet::Page(int index) const {
    return index >= 0 && index < static_cast<int>(widgets_.size()) ? widgets_[index] : nullptr;
}

void WizardSheet::Start() {
    if (current_ < 0 && !pages_.empty()) ShowPage(0);
}

bool WizardSheet::RunModal() {
    Start();
    if (!finished_) exec();
    return cancelled_;
}

void WizardSheet::ShowPage(int index) {
    current_ = index;
    WizardPage* page = pages_[index];
    TemplatePage* w = widgets_[index];
    const bool hideHeader = newStyle_ && page->HidesHeader();
    header_->setVisible(newStyle_ && !hideHeader);
    headerLine_->setVisible(newStyle_ && !hideHeader);
    if (newStyle_) {
        // The sheet keeps its size: the header band takes its height from the page area.
        const int height =
            hideHeader ? kWatermark.height
                       : kWatermark.height - kHeader.height - headerLine_->sizeHint().height();
        body_->setFixedHeight(height);
        stack_->setGeometry(0, 0, body_->width(), height);
    }
    watermark_->setVisible(hideHeader);
    if (hideHeader) watermark_->lower();
    stack_->setCurrentWidget(w);
    if (newStyle_) {
        headerTitle_->setText(Str(page->Ids().titleId));
        headerSubtitle_->setText(Str(page->Ids().subtitleId));
    }
    setWindowTitle(Str(page->Ids().captionId));
    if (!created_[index]) {
        created_[index] = true;
        page->Attach(*w, *this);
        w->SetCommandHandler([page](int id) { page->OnCommand(id); });
        page->OnCreate();
        if (auto* test = dynamic_cast<CTestP*>(page)) {
            // The result list is no template control: the page places it in pixels.
            const CTestP::Rect r = test->ResultListRect();
            auto* list = new ResultListView(test->ResultList(), w);
            list->setObjectName(QStringLiteral("resultList"));
            list->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
            list->show();
        }
    }
    page->OnSetActive();
}

void WizardSheet::ApplyButtons(unsigned flags) {
    QWidget* focused = focusWidget();
    back_->setEnabled(flags & kWizBack);
    const bool finishMode = flags & (kWizFinish | kWizDisabledFinish);
    next_->setVisible(!finishMode);
    next_->setEnabled(flags & kWizNext);
    finish_->setVisible(finishMode);
    finish_->setEnabled(flags & kWizFinish);
    QPushButton* primary = finishMode ? finish_ : next_;
    primary->setDefault(primary->isEnabled());
    // A disabled button cannot keep the focus, and the focus that had to fall
    // back on Cancel must come off it again: Enter is not meant to cancel.
    const bool onButtons = focused == nullptr || focused == back_ || focused == next_ ||
                           focused == finish_ || focused == cancel_;
    if (onButtons || !focused->isEnabled() || !focused->isVisible()) {
        if (primary->isEnabled())
            primary->setFocus();
        else if (back_->isEnabled())
            back_->setFocus();
        else
            cancel_->setFocus();
    }
}

void WizardSheet::SetWizardButtons(unsigned flags) {
    // On the UI thread at once: a second click or Return that waits behind the
    // one that brought the page must meet this page's buttons.
    if (dispatcher_.OnUiThread()) {
        ApplyButtons(flags);
    } else {
        dispatcher_.Post([this, flags] { ApplyButtons(flags); });
    }
}

void WizardSheet::PressButton(WizardButton button) {
    dispatcher_.Send([this, button] { Press(button); });
}

bool WizardSheet::RunOnUi(std::function<void()> fn) {
    return dispatcher_.Send(std::move(fn));
}

void WizardSheet::PostToUi(std::function<void()> fn) {
    dispatcher_.Post(std::move(fn));
}

void WizardSheet::EndWizard(int /*result*/) {
    if (dispatcher_.OnUiThread()) {
        dispatcher_.Post([this] { Finish(false); });
    } else {
        dispatcher_.Send([this] { Finish(false); });
    }
}

void WizardSheet::ShowMessageBox(const std::string& text, const std::string& caption) {
    if (!boxesShown_) {
        std::cerr << caption << ": " << text << std::endl;
        return;
    }
    // The box blocks only the worker that asked for it: the sheet stays
    // usable, and its Cancel closes the box along with the run.
    dispatcher_.SendAndWait([this, text, caption](std::function<void()> done) {
        auto* box = new QMessageBox(QMessageBox::Information, QString::fromStdString(caption),
                                    DialogString(text), QMessageBox::Ok, this);
        box->setWindowModality(Qt::NonModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QMessageBox::finished, box, [done] { done(); });
        messageBox_ = box;
        box->show();
    });
}

void WizardSheet::CloseWorkerCalls() {
    dispatcher_.Close();
    if (messageBox_) messageBox_->close();
}

void WizardSheet::Press(WizardButton button) {
    if (finished_ || current_ < 0) return;
    const int count = static_cast<int>(pages_.size());
    switch (button) {
        case WizardButton::Back:
            if (current_ > 0 && pages_[current_]->OnWizardBack()) ShowPage(current_ - 1);
            break;
        case WizardButton::Next:
            if (current_ + 1 < count && pages_[current_]->OnWizardNext()) ShowPage(current_ + 1);
            break;
        case WizardButton::Finish:
            Finish(false);
            break;
        case WizardButton::Cancel:
            Finish(true);
            break;
    }
}

void WizardSheet::reject() {
    Press(WizardButton::Cancel);
}

void WizardSheet::Finish(bool cancelled) {
    if (finished_) return;
    finished_ = true;
    cancelled_ = cancelled;
    // Every page stops its worker (joined, or left behind when still blocked
    // after a bounded wait) before the sheet may go away.
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (created_[i]) pages_[i]->OnClose();
    }
    CloseWorkerCalls();
    done(cancelled ? QDialog::Rejected : QDialog::Accepted);
}

}  // namespace nubo
