#pragma once
// Writes the profile soon after the settings or the window's place change, so that a program
// that is killed loses at most the last second of changes. Twice a second the live state is
// written into a snapshot; once it differs from what was last saved and has stayed the same
// for one look (the learner has let go of the slider), it is saved.

#include <wx/timer.h>

#include <functional>

#include "settings/profile_snapshot.h"

class CProfileAutosave {
public:
    static constexpr int kLookIntervalMs = 500;

    // write: writes the whole live profile into a store; save: writes it to the profile file.
    CProfileAutosave(std::function<void(ProfileStore&)> write, std::function<void()> save);
    // Records the live state as saved (after start-up's load, or after any save).
    void MarkSaved();

private:
    void Look();
    ProfileSnapshot Take() const;

    std::function<void(ProfileStore&)> m_write;
    std::function<void()> m_save;
    ProfileSnapshot m_saved;
    ProfileSnapshot m_lastLook;
    wxTimer m_timer;
};
