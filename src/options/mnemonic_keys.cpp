#include "options/mnemonic_keys.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

wxUniChar MnemonicOf(const wxString& label) {
    for (size_t i = 0; i + 1 < label.length(); ++i) {
        if (label[i] != '&') continue;
        if (label[i + 1] == '&') {
            ++i;
            continue;
        }
        return wxString(label[i + 1]).Upper()[0];
    }
    return 0;
}

namespace {

void Collect(wxWindow* window, std::vector<wxWindow*>& out) {
    for (wxWindow* child : window->GetChildren()) {
        if (child->IsTopLevel()) continue;
        out.push_back(child);
        Collect(child, out);
    }
}

bool IsLabel(const wxWindow* window) {
    return dynamic_cast<const wxStaticText*>(window) || dynamic_cast<const wxStaticBox*>(window);
}

bool CanTakeFocus(const wxWindow* window) {
    return !IsLabel(window) && window->IsEnabled() && window->AcceptsFocus();
}

}  // namespace

std::vector<wxWindow*> WindowsInTabOrder(wxWindow* root) {
    std::vector<wxWindow*> windows;
    Collect(root, windows);
    return windows;
}

wxWindow* MnemonicTarget(const std::vector<wxWindow*>& windows, wxUniChar letter) {
    const auto match = std::find_if(windows.begin(), windows.end(), [letter](wxWindow* window) {
        return MnemonicOf(window->GetLabel()) == letter &&
               (IsLabel(window) || dynamic_cast<wxCheckBox*>(window) || dynamic_cast<wxButton*>(window));
    });
    if (match == windows.end()) return nullptr;
    if (!IsLabel(*match)) return *match;
    // A label names what follows it: the next window that can hold the focus. The group's
    // fields are the static box's children, so they follow the box in this order too.
    const auto next = std::find_if(match + 1, windows.end(), CanTakeFocus);
    return next == windows.end() ? nullptr : *next;
}

bool FollowMnemonic(const std::vector<wxWindow*>& windows, wxUniChar letter) {
    wxWindow* target = MnemonicTarget(windows, letter);
    if (!target || !target->IsEnabled()) return false;
    target->SetFocus();
    if (auto* box = dynamic_cast<wxCheckBox*>(target)) {
        box->SetValue(!box->GetValue());
        wxCommandEvent toggled(wxEVT_CHECKBOX, box->GetId());
        toggled.SetEventObject(box);
        toggled.SetInt(box->GetValue() ? 1 : 0);
        box->ProcessWindowEvent(toggled);
    } else if (auto* button = dynamic_cast<wxButton*>(target)) {
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
    } else if (auto* field = dynamic_cast<wxTextCtrl*>(target)) {
        // As on every desktop: a field reached by its letter is ready to be typed over.
        field->SelectAll();
    }
    return true;
}
