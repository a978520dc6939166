#pragma once
// What the results dialog shows, worked out from a session's tally without any window: the
// per-character rows in their order and the texts of the duration, accuracy and comment fields.

#include <cstdint>
#include <string>
#include <vector>

struct ScoreTally;

struct ResultRow {
    unsigned char ch;
    int32_t correct;
    int32_t wrong;
};

// Percentage of correct copy; 100 when nothing was scored at all.
double AccuracyPercent(int32_t correct, int32_t wrong);

// One row per byte 1 to 254 with a non-zero count, lowest accuracy first. A row goes before the
// first row with a strictly higher accuracy, so equal accuracies stay in ascending byte order
// (the generator weights weak characters in the same order).
std::vector<ResultRow> BuildResultRows(const ScoreTally& tally);

// "3 m 20 s", "59 s"; whole minutes keep a trailing space ("3 m "), 0 seconds give "".
std::string DurationText(int32_t seconds);

// One decimal and a percent sign, "70.0%", independent of the C locale.
std::string AccuracyText(double percent);

// The character column (Windows-1252): "( )" for code 1, the parentheses scored as one
// character; otherwise the byte's display text ("\SK" for a prosign code).
std::string ResultCharacterText(unsigned char ch);

// The comment column (UTF-8): the name of a punctuation mark or the space, "" for letters,
// digits, prosign codes and bytes from 128 up. Code 1 is named as "(".
std::string CharacterComment(unsigned char ch);
