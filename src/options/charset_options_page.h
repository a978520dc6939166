#pragma once
// The character-set page "Koch 字符集设置": one check box per character or prosign the learner
// may practise. Signs that share one Morse code exclude each other, and the set must hold at
// least two characters.

#include <array>
#include <vector>

#include "content/charset.h"
#include "options/options_sheet.h"

class wxCheckBox;

class CCharSetOptionsDialog : public COptionsPage {
public:
    // The boxes are ids 4000 to 4038, in the order of the page (not of the flags).
    static constexpr int IDC_FIRST_CHARACTER = 4000;
    static constexpr int kBoxCount = 39;
    static_assert(kBoxCount == CF_COUNT);

    CCharSetOptionsDialog(wxWindow* book, COptionsSheet& sheet);

    bool TransferDataToWindow() override;
    // Stores the 39 flags into the working copy; refuses a set of fewer than two characters.
    bool TransferDataFromWindow() override;
    // Besides copying the working copy into the live settings, keeps the live "Characters used"
    // within the new set. Holds the settings lock throughout.
    void OnApply() override;

    // Default: the default character set; nothing else changes.
    void ResetToDefaults();

    // The character-set flag a box stands for.
    static CharFlag FlagOfBox(int id);
    // The other boxes that exclude the given one (empty when it belongs to no group).
    static std::vector<int> ExclusivePartners(int id);

private:
    void OnBoxClicked(wxCommandEvent& event);

    std::array<wxCheckBox*, kBoxCount> m_boxes{};
};
