#include "settings/options_validation.h"

#include <algorithm>

namespace {

// One word is five characters.
constexpr int kCharactersPerWord = 5;

// The range of one field, given the values read before it (all present when this is called).
FieldRange RangeOf(GeneralField field, const GeneralValues& v) {
    const FieldRange own = OwnRange(field, v.wpm);
    switch (field) {
        case GeneralField::WordSpeed:
            return {own.low, *v[GeneralField::CharSpeed]};
        case GeneralField::CharactersUsed:
            return {own.low, v.setSize};
        case GeneralField::MaxWordLength:
            return {std::max(own.low, *v[GeneralField::MinWordLength]), own.high};
        default:
            return own;
    }
}

}  // namespace

const OptionRow& RowOf(GeneralField field) {
    static const char* const kKeys[kGeneralFieldCount] = {
        "Char speed",      "Word speed",      "Pitch",           "Characters used",
        "Min word length", "Max word length", "Prosign spacing", "Session duration",
        "Initial delay",   "End delay",
    };
    return OptionRowOf(kKeys[static_cast<int>(field)]);
}

FieldRange OwnRange(GeneralField field, bool wpm) {
    const OptionRow& row = RowOf(field);
    const bool speed = field == GeneralField::CharSpeed || field == GeneralField::WordSpeed;
    if (speed && wpm) return {row.low / kCharactersPerWord, row.high / kCharactersPerWord};
    return {row.low, row.high};
}

std::optional<GeneralProblem> FindGeneralProblem(const GeneralValues& values) {
    for (int i = 0; i < kGeneralFieldCount; ++i) {
        const auto field = static_cast<GeneralField>(i);
        if (!values[field]) return GeneralProblem{field, true, {0, 0}};
        const FieldRange range = RangeOf(field, values);
        if (!range.Contains(*values[field])) return GeneralProblem{field, false, range};
    }
    return std::nullopt;
}
