#pragma once
// The sent text and the copy aligned as wholes: an edit-distance alignment of the two texts
// that marks every sent character as copied right, copied as another character, or missing,
// and every copied character nobody sent as extra. Unlike the live score it has no window: a
// learner who copied far behind the sender is scored fairly here.

#include <cstdint>
#include <string>
#include <vector>

#include "history/session_record.h"

// One character as the alignment compares it, and where it stands in the raw pane text.
struct TextSymbol {
    unsigned char ch = 0;  // upper case; a prosign code; 1 for both parentheses; ' ' for a gap
    uint32_t start = 0;    // first raw byte (the backslash of an escape)
    uint32_t length = 0;   // raw bytes it covers
};

// The characters of a pane text (Windows-1252) compared the way the live score compares them
// (case ignored, an escape such as "\SK" one character, "(" and ")" the same), except that every
// run of white space (line breaks included) is one word gap and white space at either end is
// left out.
std::vector<TextSymbol> ScoredSymbols(const std::string& text);

enum class AlignmentMark {
    Correct,  // copied as sent
    Wrong,    // copied as another character (a confusion)
    Missing,  // sent, not copied
    Extra,    // copied, not sent
};

struct AlignedPair {
    AlignmentMark mark = AlignmentMark::Correct;
    int32_t sent = -1;  // index into TextAlignment::sent; -1 for an extra character
    int32_t copy = -1;  // index into TextAlignment::copy; -1 for a missing character
};

struct TextAlignment {
    std::vector<TextSymbol> sent;
    std::vector<TextSymbol> copy;
    std::vector<AlignedPair> pairs;  // in text order; every symbol of both texts once
    int32_t correct = 0;
    int32_t wrong = 0;
    int32_t missing = 0;
    int32_t extra = 0;

    // correct / (correct + wrong + missing + extra), as the live score counts extra copy as
    // wrong; 100 when both texts are empty.
    double AccuracyPercent() const;
    // Sent character -> copied character for every wrong pair, most frequent first (then by
    // sent, then copied byte). Word gaps are spacing, not recognition, and are left out.
    std::vector<Confusion> Confusions() const;
};

// A minimal edit script (each substitution, omission and insertion costs one) between the
// scored symbols of the two texts. Memory stays linear in the texts' lengths.
TextAlignment AlignTexts(const std::string& sentText, const std::string& copyText);
