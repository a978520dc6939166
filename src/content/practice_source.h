#pragma once
// The practice sources, as bits of the option "Source": the first seven and SOURCE_LINE_FILE are
// exclusive; the three vocabulary bits combine with each other only. A header of its own so that
// the parts that only tell sources apart need not see the settings.

constexpr int SOURCE_KOCH = 0x001;
constexpr int SOURCE_CHARSET = 0x002;
constexpr int SOURCE_TEXT_FILE = 0x004;
constexpr int SOURCE_TYPED_TEXT = 0x008;
constexpr int SOURCE_QSO_PLAIN = 0x010;  // reserved: never offered
constexpr int SOURCE_QSO_REAL = 0x020;   // reserved: never offered
// Groups of the Koch lesson weighted by the learner's history ("弱项练习"); a bit no earlier
// profile holds.
constexpr int SOURCE_WEAK_CHARACTERS = 0x040;
constexpr int SOURCE_WORDS = 0x100;
constexpr int SOURCE_ABBREVIATIONS = 0x200;
constexpr int SOURCE_Q_CODES = 0x400;
constexpr int SOURCE_LINE_FILE = 0x800;
constexpr int SOURCE_VOCABULARY_MASK = 0x700;
// Sources whose session needs a fixed text (or lines) prepared before it starts.
constexpr int SOURCE_FIXED_TEXT_MASK = 0x83C;
constexpr int SOURCE_TEXT_KIND_MASK = 0x3C;

// Every exclusive source is one bit of its own, outside the vocabulary bits, and the masks
// select exactly the sources they are meant to.
constexpr bool SourceBitsAreDistinct() {
    const int exclusive[] = {
        SOURCE_KOCH,      SOURCE_CHARSET,  SOURCE_TEXT_FILE,       SOURCE_TYPED_TEXT,
        SOURCE_QSO_PLAIN, SOURCE_QSO_REAL, SOURCE_WEAK_CHARACTERS, SOURCE_LINE_FILE};
    int seen = SOURCE_VOCABULARY_MASK;
    for (int bit : exclusive) {
        if (bit == 0 || (bit & (bit - 1)) != 0 || (seen & bit) != 0) return false;
        seen |= bit;
    }
    return (SOURCE_WORDS | SOURCE_ABBREVIATIONS | SOURCE_Q_CODES) == SOURCE_VOCABULARY_MASK &&
           SOURCE_FIXED_TEXT_MASK == (SOURCE_TEXT_FILE | SOURCE_TYPED_TEXT | SOURCE_QSO_PLAIN |
                                      SOURCE_QSO_REAL | SOURCE_LINE_FILE) &&
           SOURCE_TEXT_KIND_MASK ==
               (SOURCE_TEXT_FILE | SOURCE_TYPED_TEXT | SOURCE_QSO_PLAIN | SOURCE_QSO_REAL);
}
static_assert(SourceBitsAreDistinct());
