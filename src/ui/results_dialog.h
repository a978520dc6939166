#pragma once
// The results dialog shown at the end of a session: duration, totals, overall accuracy and one
// row per character, worst first. It only reads the tally and keeps nothing after it closes.
// It comes up while the learner may still be typing the last group: keys pressed in its first
// second are ignored, so that the copy's own space or Enter does not close it unseen.

#include <wx/dialog.h>

#include <chrono>
#include <cstdint>

class wxListCtrl;
struct ScoreTally;

class CResultsDialog : public wxDialog {
public:
    static constexpr int IDC_DURATION = 2013;
    static constexpr int IDC_CORRECT_TOTAL = 2014;
    static constexpr int IDC_WRONG_TOTAL = 2015;
    static constexpr int IDC_ACCURACY = 2017;
    static constexpr int IDC_CHARACTER_LIST = 2036;

    // How long after it is shown the dialog ignores the keyboard; a click on OK always counts.
    static constexpr std::chrono::milliseconds kKeyGuard{1000};

    // seconds: the whole seconds the session played. The tally must outlive the dialog.
    CResultsDialog(wxWindow* parent, const ScoreTally* tally, int seconds);

private:
    void OnCharHook(wxKeyEvent& event);

    void FillTotals();
    void FillCharacterList();

    const ScoreTally* m_pTally;
    int32_t m_nSeconds;
    wxListCtrl* m_pList = nullptr;
    std::chrono::steady_clock::time_point m_shownAt;
};
