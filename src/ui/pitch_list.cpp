#include "ui/pitch_list.h"

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
