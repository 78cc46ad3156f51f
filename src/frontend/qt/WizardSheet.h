// The wizard sheet: a small dialog of our own (stacked pages, header band or
// watermark, Back/Next/Finish/Cancel driven by the pages' button flags).
// Lives on the UI thread; its WizardHost methods may be called from a worker.
#pragma once
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QVBoxLayout>

#include <vector>

#include "frontend/qt/UiDispatcher.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace nubo {

class TemplatePage;

class WizardSheet : public QDialog, public WizardHost {
public:
    WizardSheet(std::vector<WizardPage*> pages, bool newStyle, bool lowColour,
                const std::string& helpFile = {});
    ~WizardSheet() override;

    // Shows the first page and runs modally; true when it ended by Cancel.
    bool RunModal();
    // Shows the first page without running modally (tests drive the sheet).
    void Start();
    bool Cancelled() const { return cancelled_; }
    int CurrentIndex() const { return current_; }
    TemplatePage* Page(int index) const;
    QPushButton* BackButton() const { return back_; }
    QPushButton* NextButton() const { return next_; }
    QPushButton* FinishButton() const { return finish_; }
    QPushButton* CancelButton() const { return cancel_; }
    QLabel* HeaderTitle() const { return headerTitle_; }
    QLabel* HeaderSubtitle() const { return headerSubtitle_; }
    QWidget* HeaderBand() const { return header_; }
    QLabel* Watermark() const { return watermark_; }
    UiDispatcher& Dispatcher() { return dispatcher_; }

    void SetWizardButtons(unsigned flags) override;
    void PressButton(WizardButton button) override;
    void EndWizard(int result) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    bool RunOnUi(std::function<void()> fn) override;
    void PostToUi(std::function<void()> fn) override;
    void CloseWorkerCalls() override;
    void OpenWorkerCalls() override { dispatcher_.Open(); }

    void reject() override;  // Cancel, Escape and the close box

    // Without a display nobody could acknowledge a message box, so its text
    // goes to stderr instead; tests on the offscreen platform put it up anyway.
    void SetMessageBoxesShown(bool shown) { boxesShown_ = shown; }
    QWidget* MessageBox() const { return messageBox_; }

private:
    void AddHeader(QVBoxLayout& outer);
    void AddBody(QVBoxLayout& outer, const std::string& helpFile);
    void AddButtons(QVBoxLayout& outer);
    void ShowPage(int index);
    void ApplyButtons(unsigned flags);
    void Press(WizardButton button);
    void Finish(bool cancelled);

    std::vector<WizardPage*> pages_;
    std::vector<TemplatePage*> widgets_;
    std::vector<bool> created_;
    bool newStyle_;
    int current_ = -1;
    bool cancelled_ = false;
    bool finished_ = false;
    UiDispatcher dispatcher_;
    bool boxesShown_;
    QPointer<QWidget> messageBox_;
    QImage watermarkPicture_;
    QImage headerPicture_;
    QWidget* header_ = nullptr;
    QFrame* headerLine_ = nullptr;
    QLabel* headerTitle_ = nullptr;
    QLabel* headerSubtitle_ = nullptr;
    QLabel* watermark_ = nullptr;
    QWidget* body_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* finish_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace nubo
