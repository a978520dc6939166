#include "ui/html_line_breaks.h"

#include <wx/html/htmlcell.h>
#include <wx/html/htmlpars.h>
#include <wx/html/htmlproc.h>
#include <wx/html/htmlwin.h>
#include <wx/html/winpars.h>

#include <algorithm>

namespace {

const wxUniChar kNoBreakSpace(0x00A0);
// The element that marks a run of breakable text; the handler below turns it into pieces.
constexpr const char* kMarkTag = "breakable";

// Ideographs, kana, bopomofo and the full-width signs: characters that sit in text without
// spaces and between which lines may break.
bool IsWide(wxUniChar c) {
    const wxUint32 u = c.GetValue();
    return (u >= 0x2E80 && u <= 0x33FF) ||  // radicals, CJK signs and punctuation, kana, bopomofo
           (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) ||
           (u >= 0xF900 && u <= 0xFAFF) ||  // compatibility ideographs
           (u >= 0xFE30 && u <= 0xFE4F) ||  // compatibility forms (vertical punctuation)
           (u >= 0xFF00 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6) ||  // full-width forms
           (u >= 0x20000 && u <= 0x3FFFF);
}

// Signs that must not begin a line: they belong to what precedes them.
bool IsClosing(wxUniChar c) {
    static const wxString kClosing = wxString::FromUTF8("，。、；：？！）」』》〉】〕］｝．…’”,.;:?!)]}%");
    return kClosing.find(c) != wxString::npos;
}

// Signs that must not end a line: they belong to what follows them.
bool IsOpening(wxUniChar c) {
    static const wxString kOpening = wxString::FromUTF8("（「『《〈【〔［｛‘“([{");
    return kOpening.find(c) != wxString::npos;
}


// The characters the HTML parser treats as blanks; nothing else ends a word for it.
bool IsBlank(wxUniChar c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Quotes, ellipsis and dash as Chinese text uses them: not wide by themselves, but a line end
// between one of them and a Chinese character is no space either.
bool IsChineseSide(wxUniChar c) {
    static const wxString kMarks = wxString::FromUTF8("‘’“”…—");
    return IsWide(c) || kMarks.find(c) != wxString::npos;
}

bool BreakAllowedBetween(wxUniChar before, wxUniChar after) {
    if (before == kNoBreakSpace || after == kNoBreakSpace) return false;
    if (IsClosing(after) || IsOpening(before)) return false;
    // The Chinese dash "——" is one sign written with two characters.
    if (before == after && before == wxUniChar(0x2014)) return false;
    return IsChineseSide(before) || IsChineseSide(after);
}

// The index just past the tag or comment that starts at `at` (a '<').
size_t TagEnd(const wxString& page, size_t at) {
    if (page.compare(at, 4, "<!--") == 0) {
        const size_t close = page.find("-->", at + 4);
        return close == wxString::npos ? page.length() : close + 3;
    }
    wxUniChar quote = 0;
    for (size_t i = at + 1; i < page.length(); ++i) {
        const wxUniChar c = page[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return page.length();
}

// The lower-case name of the tag `tag` ("<pre ...>" gives "pre", "</pre>" gives "/pre").
wxString TagName(const wxString& tag) {
    size_t end = 1;
    if (end < tag.length() && tag[end] == '/') ++end;
    while (end < tag.length() && (wxIsalnum(tag[end]) || tag[end] == '-')) ++end;
    return tag.substr(1, end - 1).Lower();
}

// Elements whose text is shown as written, or not shown in the page at all.
bool KeepsItsText(const wxString& name) {
    return name == "title" || name == "pre" || name == "script" || name == "style" ||
           name == "textarea";
}

// The first character of text at or after `at`, past any tags; 0 at the end of the page.
wxUniChar NextTextCharacter(const wxString& page, size_t at) {
    while (at < page.length() && page[at] == '<') at = TagEnd(page, at);
    return at < page.length() ? page[at] : wxUniChar(0);
}

// A piece of marked text: a word that may start a line unless it opens with closing
// punctuation, whatever the word before it ends with.
class CPieceCell : public wxHtmlWordCell {
public:
    CPieceCell(const wxString& piece, const wxDC& dc, bool lineMayStartHere)
        : wxHtmlWordCell(piece, dc) {
        m_allowLinebreak = lineMayStartHere;
    }
};

class CBreakableTextHandler : public wxHtmlWinTagHandler {
public:
    wxString GetSupportedTags() override { return wxString(kMarkTag).Upper(); }

    bool HandleTag(const wxHtmlTag& tag) override {
        wxString text = m_WParser->GetEntitiesParser()->Parse(m_WParser->GetInnerSource(tag));
        // Drawn as a space, as the parser draws it in any other word.
        text.Replace(wxString(kNoBreakSpace), " ");
        for (const wxString& piece : LineBreakPieces(text)) {
            auto* cell = new CPieceCell(piece, *m_WParser->GetDC(), !IsClosing(piece[0]));
            m_WParser->ApplyStateToCell(cell);
            m_WParser->GetContainer()->InsertCell(cell);
        }
        // A blank after the run is a space of its own, not part of one before it.
        m_WParser->StopCollapsingSpaces();
        return true;
    }
};

class CBreakableTextProcessor : public wxHtmlProcessor {
public:
    wxString Process(const wxString& text) const override { return MarkBreakableText(text); }
};

}  // namespace

std::vector<wxString> LineBreakPieces(const wxString& text) {
    std::vector<wxString> pieces;
    wxString piece;
    wxUniChar previous = 0;
    for (const wxUniChar c : text) {
        if (!piece.empty() && BreakAllowedBetween(previous, c)) {
            pieces.push_back(piece);
            piece.clear();
        }
        piece += c;
        previous = c;
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

wxString MarkBreakableText(const wxString& page) {
    const wxString open = wxString("<") + kMarkTag + ">";
    const wxString close = wxString("</") + kMarkTag + ">";
    wxString out;
    out.reserve(page.length() + page.length() / 4);
    wxString keptUntil;          // the closing tag of an element whose text stays as it is
    wxUniChar lastText = 0;      // the last character of text before `i`, 0 after a blank
    size_t i = 0;
    while (i < page.length()) {
        if (page[i] == '<') {
            const size_t end = TagEnd(page, i);
            const wxString tag = page.substr(i, end - i);
            const wxString name = TagName(tag);
            if (keptUntil.empty() && KeepsItsText(name))
                keptUntil = "/" + name;
            else if (name == keptUntil)
                keptUntil.clear();
            out += tag;
            i = end;
            continue;
        }
        const size_t textEnd = std::min(page.find('<', i), page.length());
        if (!keptUntil.empty()) {
            out += page.substr(i, textEnd - i);
            i = textEnd;
            continue;
        }
        while (i < textEnd) {
            size_t end = i;
            if (IsBlank(page[i])) {
                bool lineEnd = false;
                for (; end < textEnd && IsBlank(page[end]); ++end)
                    lineEnd |= page[end] == '\n' || page[end] == '\r';
                // A source line broken inside Chinese text: the two lines join without a space.
                const wxUniChar next = NextTextCharacter(page, end);
                const bool join = lineEnd && lastText != 0 && next != 0 && IsChineseSide(lastText) &&
                                  IsChineseSide(next) && (IsWide(lastText) || IsWide(next));
                if (!join) {
                    out += page.substr(i, end - i);
                    lastText = 0;
                }
            } else {
                bool wide = false;
                for (; end < textEnd && !IsBlank(page[end]); ++end) wide |= IsWide(page[end]);
                const wxString run = page.substr(i, end - i);
                out += wide ? open + run + close : run;
                lastText = page[end - 1];
            }
            i = end;
        }
    }
    return out;
}

void AllowLineBreaksInChineseText(wxHtmlWindow& window) {
    // Both are owned by the window (the handler by its parser) from here on.
    window.AddProcessor(new CBreakableTextProcessor);
    window.GetParser()->AddTagHandler(new CBreakableTextHandler);
}
