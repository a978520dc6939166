#include "ui/profile_autosave.h"

#include <utility>

CProfileAutosave::CProfileAutosave(std::function<void(ProfileStore&)> write,
                                   std::function<void()> save)
    : m_write(std::move(write)), m_save(std::move(save)) {
    MarkSaved();
    m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Look(); });
    m_timer.Start(kLookIntervalMs);
}

ProfileSnapshot CProfileAutosave::Take() const {
    ProfileSnapshot snapshot;
    m_write(snapshot);
    return snapshot;
}

void CProfileAutosave::MarkSaved() {
    m_saved = Take();
    m_lastLook = m_saved;
}

void CProfileAutosave::Look() {
    ProfileSnapshot now = Take();
    const bool settled = now == m_lastLook;
    m_lastLook = std::move(now);
    if (settled && !(m_lastLook == m_saved)) m_save();
}
