// Set-string parsing. The input is a stored set string. Each option is on when its marker
// byte (the first byte it contributes to a set string) is present; the result is refused (the
// defaults) when two same-sounding options are on or fewer than two characters result. An
// accepted set round-trips through both orders of its set string, and the Koch-ordered string
// is a permutation of the fixed-order one.
#include <algorithm>
#include <string>

#include "fuzz_support.h"

namespace {

// Pairs sharing one Morse pattern (kept here as the oracle's own list).
constexpr CharFlag kSameSounding[][2] = {
    {CF_AE, CF_A_UML},  {CF_O_SLASH, CF_O_UML}, {CF_A_RING, CF_A_GRAVE}, {CF_BT, CF_TV},
    {CF_BT, CF_EQUALS}, {CF_TV, CF_EQUALS},     {CF_SK, CF_VA},          {CF_AR, CF_PLUS},
};

// The byte whose presence turns the option on: the first it contributes to a set string.
char MarkerOf(int flag) {
    CharacterSet only;
    std::fill(std::begin(only.m_flags), std::end(only.m_flags), false);
    only.m_flags[flag] = true;
    return only.BuildSetString(false).at(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    CharacterSet candidate;
    for (int f = 0; f < CF_COUNT; ++f)
        candidate.m_flags[f] = input.find(MarkerOf(f)) != std::string::npos;
    bool acceptable = candidate.BuildSetString(true).size() >= 2;
    for (const auto& pair : kSameSounding)
        if (candidate.m_flags[pair[0]] && candidate.m_flags[pair[1]]) acceptable = false;

    CharacterSet parsed;
    std::fill(std::begin(parsed.m_flags), std::end(parsed.m_flags), true);  // all overwritten
    parsed.ParseSetString(input);
    FUZZ_CHECK(parsed == (acceptable ? candidate : CharacterSet()));

    const std::string fixed = parsed.BuildSetString(false);
    const std::string koch = parsed.BuildSetString(true);
    FUZZ_CHECK(std::is_permutation(fixed.begin(), fixed.end(), koch.begin(), koch.end()));
    for (const std::string& stored : {fixed, koch}) {
        CharacterSet again;
        again.ParseSetString(stored);
        FUZZ_CHECK(again == parsed);
    }
    return 0;
}
