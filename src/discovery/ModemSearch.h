// The modem search: one worker per activation of the search page. It finds
// the modem on one port or on every listed port, looks it up in the modem
// description file and reports to the log, the exit code and the page.
// ModemSearch is owned by the page and driven from the UI thread only.
#pragma once
#include <atomic>
#include <thread>

#include "config/IniFile.h"
#include "config/ModemDescription.h"
#include "discovery/IdentifyModem.h"
#include "discovery/SearchView.h"
#include "log/RunSettings.h"
#include "platform/PageWorker.h"
#include "platform/PortSource.h"

namespace nubo {

// Everything one search reads and writes. The records are shared with the
// rest of the program without a lock: only Back is offered while a search
// runs, and two searches never run at once.
struct SearchContext {
    RunSettings& settings;
    CIniFile& ini;
    PortSource& ports;
    SerialLine line;
    DetectedModem& modem;
    ModemCommandSet& commands;
    WizardHost& host;  // the lookup's message box
    SearchView& view;
};

// One whole search. 1 when a described modem was found, else 0. A raised
// cancel flag ends it after the current request without reporting anything.
int ModemSearchThread(SearchContext context, CancelToken* cancel = nullptr);

class ModemSearch {
public:
    explicit ModemSearch(WizardHost& host) : worker_(host) {}
    ModemSearch(const ModemSearch&) = delete;
    ModemSearch& operator=(const ModemSearch&) = delete;

    // Stops a search that still runs, then starts a new one.
    void Start(const SearchContext& context);
    // Cancels the running search, closes its way to the page and waits for it
    // to end. Before the page goes away this must have been called.
    void Stop();
    bool Running() const { return worker_.Running(); }

private:
    PageWorker worker_;
};

}  // namespace nubo
