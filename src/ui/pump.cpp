#include "ui/pump.h"

#include <wx/app.h>
#include <wx/evtloop.h>

namespace {

// A window that keeps asking for idle time would otherwise hold the caller here forever; the
// callers loop anyway, so they get the rest on their next call.
constexpr int kMaxIdleSteps = 16;
constexpr int kMaxDispatches = 1000;

}  // namespace

void PumpPendingMessages() {
    wxEventLoopBase* const loop = wxEventLoopBase::GetActive();
    if (loop == nullptr || wxTheApp == nullptr) return;
    int dispatched = 0;
    int idleSteps = 0;
    for (;;) {
        if (dispatched < kMaxDispatches && loop->Pending() && loop->Dispatch()) {
            ++dispatched;
            continue;
        }
        // The idle step: queued wx events (the playback thread's marshalled calls among them),
        // then the idle handlers. The queued events must be run here: asking the GTK loop
        // whether anything is pending removes wx's own idle source, which would otherwise
        // have run them.
        wxTheApp->ProcessPendingEvents();
        if (!wxTheApp->ProcessIdle() || ++idleSteps >= kMaxIdleSteps) break;
    }
}

void WaitForNextMessage(int timeoutMs) {
    wxEventLoopBase* const loop = wxEventLoopBase::GetActive();
    if (loop == nullptr) return;
    loop->DispatchTimeout(static_cast<unsigned long>(timeoutMs));
}
