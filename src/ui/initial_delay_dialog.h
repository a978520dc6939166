#pragma once
// The countdown before a session ("前置延时"), also the progress window of a recording: a
// centred label, a smooth progress bar and a Cancel button. The object exists before its window:
// the window appears at the first progress update after the show delay has passed, disables its
// owner while it is up and stays above the other windows. Cancel (also Enter, Escape and the
// close box) only sets the cancelled flag; the caller decides when to Close.

#include <wx/dialog.h>
#include <wx/string.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <chrono>
#include <memory>

class wxGauge;
class wxStaticText;

class CInitialDelayDialog {
public:
    // showDelayMs: how long after construction the window may appear; 0 shows it at once.
    CInitialDelayDialog(const wxString& label, int showDelayMs);
    ~CInitialDelayDialog();
    CInitialDelayDialog(const CInitialDelayDialog&) = delete;
    CInitialDelayDialog& operator=(const CInitialDelayDialog&) = delete;

    // Shows the window once the show time has come, then sets the bar to percent (0..100) and,
    // when text is given, replaces the label.
    void SetProgress(int percent, const wxString& text = wxString());
    // Marks the dialog cancelled, enables the owner again, refreshes the command states and
    // destroys the window.
    void Close();

    bool IsCancelled() const { return m_bCancelled; }
    // The window, once shown (null before and after).
    wxDialog* Window() const { return m_pWindow.get(); }

private:
    bool CreateWindow();

    bool m_bCancelled = false;
    wxWeakRef<wxWindow> m_pOwner;
    std::chrono::steady_clock::time_point m_showTime;
    bool m_bShowPending = true;
    wxString m_strLabel;
    wxWeakRef<wxDialog> m_pWindow;  // also cleared if the owner takes it down
    wxStaticText* m_pLabel = nullptr;
    wxGauge* m_pProgress = nullptr;
    // Cleared when the window goes, so its handlers stop writing into this object.
    std::shared_ptr<bool> m_alive;
};
