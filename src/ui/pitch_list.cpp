#include "ui/pitch_list.h"

#include <wx/combobox.h>
#include <wx/string.h>

namespace {

constexpr int kPitchListFirst = 400;
constexpr int kPitchListLast = 1200;
constexpr int kPitchListStep = 50;

}  // namespace

wxArrayString PitchListChoices() {
    wxArrayString items;
    for (int hz = kPitchListFirst; hz <= kPitchListLast; hz += kPitchListStep)
        items.Add(wxString::Format("%d", hz));
    return items;
}

void FillPitchCombo(wxComboBox& combo, int pitch) {
    const wxArrayString items = PitchListChoices();
    // The list never changes; rebuilding it while it is dropped down would close it.
    if (combo.GetStrings() != items) combo.Set(items);
    combo.ChangeValue(wxString::Format("%d", pitch));
}
