// The modem search: one worker per activation of the search page. It finds
// the modem on one port or on every listed port, looks it up in the modem
// description file and reports to the log, the exit code and the page.
// ModemSearch is owned by the page and driven from the UI thread only.
#pragma once
#include <atomic>

#include "config/IniFile.h"
#include "config/ModemDescription.h"
#include "discovery/IdentifyModem.h"
#include "platform/PortSource.h"
#include "run/RunSettings.h"
#include "wizard/PageWorker.h"
#include "wizard/SearchView.h"

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

    // The page became active: a new search on a worker of its own, once the
    // search before it (cancelled now) has ended. Its calls to the page reach
    // the page only while the page is active and this is its newest search.
    void Start(const SearchContext& context);
    // The page was left: the search goes on and logs, but shows nothing more.
    void Leave() { worker_.Leave(); }
    // Cancels the running search, closes its way to the page and waits for it
    // (a bounded while). Before the page goes away this must have been called.
    void Stop() { worker_.Stop(); }
    bool Running() const { return worker_.Running(); }
    // The newest search has shown its outcome on the page: its buttons, or its
    // press of Next. UI thread.
    bool Reported() const { return reported_; }

private:
    bool reported_ = false;
    PageWorker worker_;
};

}  // namespace nubo
