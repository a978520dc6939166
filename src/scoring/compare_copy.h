#pragma once
// Scores the learner's copy against the sent text, incrementally on every change of the copy
// pane while a session runs and once more, finally, when it has ended.
//
// Both texts are the panes' full Windows-1252 texts; the tally's offsets mark how much of each
// has been scored, and only the rest is looked at. Case is ignored, a prosign escape ("\SK")
// counts as one character, "(" and ")" count as the same character, and the learner may copy
// up to 20 characters behind the sender (older sent characters are written off as wrong).

#include <cstddef>
#include <functional>
#include <string>

#include "scoring/score_tally.h"

// A pane's text as the comparison reads it: its length, and any range of its Windows-1252
// bytes. An incremental comparison reads only the unscored end and a few bytes before it, so
// a keystroke costs what is pending, not what the panes hold.
class ComparedText {
public:
    virtual ~ComparedText() = default;
    virtual size_t Length() const = 0;
    // Bytes [from, to), with from <= to <= Length().
    virtual std::string Range(size_t from, size_t to) const = 0;
};

// A text held in a string.
class StringText : public ComparedText {
public:
    explicit StringText(const std::string& text) : m_text(text) {}
    size_t Length() const override { return m_text.size(); }
    std::string Range(size_t from, size_t to) const override;

private:
    const std::string& m_text;
};

// Updates the tally from the unscored rest of both texts. Returns whether the copy text is
// non-empty (for the final comparison: once trailing white space is removed).
bool CompareCopy(ScoreTally& tally, const ComparedText& copyText, const ComparedText& sentText,
                 bool final);
bool CompareCopy(ScoreTally& tally, const std::string& copyText, const std::string& sentText,
                 bool final);

// Receives one diagnostic line per alignment search ("<n> CMatch used\n"). Silent (no hook)
// by default; an empty function switches it off again. Set it before comparisons run.
void SetCompareTraceHook(std::function<void(const std::string&)> hook);
