#pragma once
// The pitches offered in the drop-down lists of the control bar and the general page, in Hz:
// 400, 450, ..., 1200 (17 items). Any keyable pitch may still be typed.

#include <wx/arrstr.h>

class wxComboBox;

wxArrayString PitchListChoices();
// Gives combo the pitch list and shows pitch in its field, without a change notification.
void FillPitchCombo(wxComboBox& combo, int pitch);
