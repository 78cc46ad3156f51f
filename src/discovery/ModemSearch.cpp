// The search worker and its owner. The owner keeps two searches from running
// at once, keeps a search off its page once the page is left, and never lets
// a worker outlive the page's way to the UI.
#include "discovery/ModemSearch.h"

#include <deque>

#include "discovery/PortList.h"
#include "serial/PortFailureText.h"
#include "wizard/Texts.h"

namespace nubo {

namespace {

// Texts of the search page.
constexpr int kNoModemField = 50;
constexpr int kNoModemStatus = 51;
constexpr int kNotCompatibleField = 52;
constexpr int kNotCompatibleStatus = 53;
constexpr int kPressNextStatus = 54;
constexpr int kBeingTestedStatus = 91;

// The page as one search sees it: each call reaches the page on the UI thread,
// and only while the page is the active page and this search its newest.
class PageBoundView : public SearchView {
public:
    PageBoundView(SearchView& page, const PageWorker::Link& link, bool& reported)
        : page_(page), link_(link), reported_(reported) {}
    void ShowPort(const std::string& text) override {
        link_.OnPage([&] { page_.ShowPort(text); });
    }
    void ShowModem(const std::string& text) override {
        link_.OnPage([&] { page_.ShowModem(text); });
    }
    void ShowStatus(const std::string& text) override {
        link_.OnPage([&] { page_.ShowStatus(text); });
    }
    void ShowDialTestControls() override {
        link_.OnPage([&] { page_.ShowDialTestControls(); });
    }
    void SetWizardButtons(unsigned flags) override {
        link_.PostOnPage([page = &page_, reported = &reported_, flags] {
            *reported = true;
            page->SetWizardButtons(flags);
        });
    }
    void PressNext() override {
        link_.OnPage([&] {
            reported_ = true;
            page_.PressNext();
        });
    }

private:
    SearchView& page_;
    const PageWorker::Link& link_;
    bool& reported_;  // the UI thread's
};

// Ends the search the way every unusable outcome does.
int ReportFailure(SearchContext& c, int fieldText, const std::string& status) {
    c.view.ShowModem(texts::Text(fieldText));
    c.view.ShowStatus(status);
    c.view.SetWizardButtons(kWizBack);
    if (c.settings.automaticMode) c.view.PressNext();
    return 0;
}

}  // namespace

int ModemSearchThread(SearchContext c, CancelToken* cancel) {
    auto cancelled = [cancel] { return cancel != nullptr && cancel->Raised(); };
    RunSettings& settings = c.settings;

    if (c.ini.Load() == -1) settings.Log("ERROR               : .INI File not found !");
    const IdentifyCommands commands = ReadIdentifyCommands(c.ini);
    c.modem.firmware.clear();
    settings.report.ports.clear();
    settings.report.modem.reset();
    // When the one port searched did not even open, the status line says why
    // instead of "no modem"; the log keeps its lines.
    PortFailure openFailure;
    int tried = 0;
    // The run report keeps what each port did, in the order tried.
    auto identify = [&](const std::string& name) {
        PortAttempt attempt;
        attempt.name = name;
        const bool identified = IdentifyModem(c.line, name, commands, c.modem, cancel, &attempt);
        attempt.identified = identified;
        openFailure = attempt.openFailure;
        ++tried;
        if (!cancelled()) settings.report.ports.push_back(attempt);
        return identified;
    };

    bool found = false;
    if (settings.port.empty() || settings.searchAllPorts) {
        std::deque<std::string> queue;
        for (std::string& name : ReadPortList(c.ports)) queue.push_back(std::move(name));
        std::string last;
        while (!queue.empty() && !found) {
            if (cancelled()) return 0;
            last = queue.front();
            queue.pop_front();
            c.view.ShowPort(last);
            found = identify(last);
            if (cancelled()) return 0;
            settings.Log("Automat. port scan  : " + last);
        }
        settings.port = last;
    } else {
        settings.Log("Scanning Port       : " + settings.port);
        c.view.ShowPort(settings.port);
        found = identify(settings.port);
        if (cancelled()) return 0;
    }

    if (!found) {
        settings.exitCode = exitcode::kNoModem;
        settings.Log("ERROR - No modem has been detected !");
        const bool unopened = tried == 1 && openFailure.kind != PortFailureKind::None &&
                              openFailure.kind != PortFailureKind::Other;
        return ReportFailure(
            c, kNoModemField,
            unopened ? DescribePortFailure(settings.port, openFailure, texts::SelectedLanguage())
                     : texts::Text(kNoModemStatus));
    }

    settings.exitCode = exitcode::kFound;
    settings.report.modem.emplace();
    settings.report.modem->port = settings.port;
    settings.report.modem->model = c.modem.modelName;
    settings.report.modem->firmware = c.modem.firmware;
    // The line is formed as C text: a name ends at its first NUL.
    settings.Log("Detected modem      : " + std::string(c.modem.modelName.c_str()) + " (" +
                 std::string(settings.port.c_str()) + ")");
    const bool described = LoadModemDescription(c.ini, c.modem.modelName, c.modem.firmware,
                                                c.commands, settings, c.host);
    if (cancelled()) return 0;
    if (!described) {
        settings.exitCode = exitcode::kNotDescribed;
        return ReportFailure(c, kNotCompatibleField, texts::Text(kNotCompatibleStatus));
    }

    c.view.ShowPort(settings.port);
    c.view.ShowModem(c.modem.modelName);
    if (!settings.automaticMode) c.view.ShowDialTestControls();
    c.view.ShowStatus(texts::Text(kPressNextStatus));
    c.view.SetWizardButtons(kWizBack | kWizNext);
    if (settings.automaticMode) {
        c.view.ShowStatus(texts::Text(kBeingTestedStatus));
        c.view.PressNext();
    }
    return 1;
}

void ModemSearch::Start(const SearchContext& context) {
    reported_ = false;
    worker_.Start([context, reported = &reported_](const PageWorker::Link& link) {
        PageBoundView view(context.view, link, *reported);
        ModemSearchThread({context.settings, context.ini, context.ports, context.line,
                           context.modem, context.commands, context.host, view},
                          link.Cancel());
    });
}

}  // namespace nubo
