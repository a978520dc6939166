#pragma once
// The numeric fields of the general options page and their ranges, checked in the order the page
// reads them. Later bounds depend on earlier values: the word speed may not exceed the character
// speed just read, and the longest group may not be shorter than the shortest one (nor than 4).

#include <array>
#include <optional>

#include "settings/option_table.h"

enum class GeneralField {
    CharSpeed,  // in the unit shown on the page
    WordSpeed,  // in the unit shown on the page
    Pitch,      // Hz
    CharactersUsed,
    MinWordLength,
    MaxWordLength,
    ProsignSpacing,
    SessionDuration,  // minutes
    InitialDelay,     // seconds
    EndDelay,         // seconds
};
constexpr int kGeneralFieldCount = 10;

// The values as typed on the page. A field holds nullopt when its text is no whole number.
struct GeneralValues {
    bool wpm = true;  // the unit chosen on the page, which the speeds are taken in
    int setSize = 0;  // characters in the working character set
    std::array<std::optional<int>, kGeneralFieldCount> fields{};

    std::optional<int>& operator[](GeneralField f) { return fields[static_cast<int>(f)]; }
    const std::optional<int>& operator[](GeneralField f) const {
        return fields[static_cast<int>(f)];
    }
};

struct FieldRange {
    int low;
    int high;  // inclusive
    bool Contains(int value) const { return value >= low && value <= high; }
};

// The first field, in reading order, that is no number or lies outside its range.
struct GeneralProblem {
    GeneralField field;
    bool notANumber;
    FieldRange range;  // meaningful when !notANumber
};

std::optional<GeneralProblem> FindGeneralProblem(const GeneralValues& values);

// The option table's row behind a field, which gives its range, default and label.
const OptionRow& RowOf(GeneralField field);
// A field's own range (from its row) in the unit shown: a speed in words per minute is its
// range in characters per minute divided by five.
FieldRange OwnRange(GeneralField field, bool wpm);
