#include "settings/options_validation.h"

#include <algorithm>

namespace {

// The range of one field, given the values read before it (all present when this is called).
FieldRange RangeOf(GeneralField field, const GeneralValues& v) {
    const FieldRange speed = v.wpm ? kWpmSpeedRange : kCpmSpeedRange;
    switch (field) {
        case GeneralField::CharSpeed:
            return speed;
        case GeneralField::WordSpeed:
            return {speed.low, *v[GeneralField::CharSpeed]};
        case GeneralField::Pitch:
            return {400, 2500};
        case GeneralField::CharactersUsed:
            return {2, v.setSize};
        case GeneralField::MinWordLength:
            return {2, 10};
        case GeneralField::MaxWordLength:
            return {std::max(4, *v[GeneralField::MinWordLength]), 10};
        case GeneralField::ProsignSpacing:
            return {1, 5};
        case GeneralField::SessionDuration:
            return {1, 60};
        case GeneralField::InitialDelay:
        case GeneralField::EndDelay:
            return {0, 10};
    }
    return {0, 0};
}

}  // namespace

std::optional<GeneralProblem> FindGeneralProblem(const GeneralValues& values) {
    for (int i = 0; i < kGeneralFieldCount; ++i) {
        const auto field = static_cast<GeneralField>(i);
        if (!values[field]) return GeneralProblem{field, true, {0, 0}};
        const FieldRange range = RangeOf(field, values);
        if (!range.Contains(*values[field])) return GeneralProblem{field, false, range};
    }
    return std::nullopt;
}
