#pragma once
// Alt + the underlined letter of a label. GTK only follows a label's mnemonic to a widget the
// label was told about, which wx never does, so on the option pages Alt+S would type "s" into
// the field in front. The sheet looks the letter up itself: a field's label moves the focus to
// the field after it, a group's caption to the group's first field, a check box or a button acts
// as if clicked.
#include <wx/string.h>
#include <wx/window.h>

#include <vector>

// The letter after the single "&" of a label, upper-cased; 0 when it has none ("&&" is a
// literal ampersand).
wxUniChar MnemonicOf(const wxString& label);

// The windows under root, depth first, in the order they were created (which is the tab order).
std::vector<wxWindow*> WindowsInTabOrder(wxWindow* root);

// The window the given letter leads to among windows (as WindowsInTabOrder gives them): the
// field after a matching static label, the first field of a matching group, or the matching
// check box or button itself. Null when no label carries the letter.
wxWindow* MnemonicTarget(const std::vector<wxWindow*>& windows, wxUniChar letter);

// Focuses the target, or clicks it when it is a check box or a button. Returns false when the
// letter leads nowhere.
bool FollowMnemonic(const std::vector<wxWindow*>& windows, wxUniChar letter);
