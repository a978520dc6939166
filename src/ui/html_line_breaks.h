#pragma once
// Line breaks inside Chinese text for wxHtmlWindow, which otherwise breaks lines only at
// whitespace and so lets a paragraph written without spaces run past the window's right edge.

#include <wx/string.h>

#include <vector>

class wxHtmlWindow;

// The pieces of `text` (text without whitespace) between which a line may break: before and
// after every ideograph, kana, full-width sign and Chinese quote, except before closing
// punctuation ("，", "。", "）", "」", "”", ...) and after opening punctuation ("（", "「", "“", ...).
// Runs of Latin letters and digits stay whole; a no-break space holds its neighbours together.
// The pieces joined give `text`.
std::vector<wxString> LineBreakPieces(const wxString& text);

// Rewrites a page's source so that its Chinese text can wrap: every run of non-blank text that
// holds Chinese is marked for the handler below, and a line end between two Chinese characters
// is dropped instead of showing as a space. Titles, preformatted text and tags stay as they are.
wxString MarkBreakableText(const wxString& page);

// Makes `window` break lines inside Chinese text from its next page on, without visible gaps:
// each piece of a marked run becomes a word of its own that may start a line.
void AllowLineBreaksInChineseText(wxHtmlWindow& window);
