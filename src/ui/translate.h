#pragma once
// Interface texts are written in the source as UTF-8 Simplified Chinese, and those texts are the
// message ids of the translation catalogs. wx's own _() would build the wxString with the C
// library's locale, which garbles UTF-8 under the C locale, so the UI target defines
// WXINTL_NO_GETTEXT_MACRO and these take its place: same names, same keywords for xgettext
// (--keyword=_ --keyword=wxPLURAL:1,2).

#include <wx/string.h>
#include <wx/translation.h>

#define _(s) wxGetTranslation(wxString::FromUTF8(s))
#define wxPLURAL(sing, plur, n) \
    wxGetTranslation(wxString::FromUTF8(sing), wxString::FromUTF8(plur), (n))
