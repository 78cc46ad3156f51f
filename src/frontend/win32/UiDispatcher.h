// Carries calls from worker threads out on the UI thread through a message
// window of that thread.
#pragma once
#include <windows.h>

#include "wizard/WorkerCalls.h"

namespace nubo {

class UiDispatcher : public WorkerCalls {
public:
    UiDispatcher();  // on the UI thread
    ~UiDispatcher() override;

protected:
    void WakeUi() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND window_ = nullptr;
};

}  // namespace nubo
