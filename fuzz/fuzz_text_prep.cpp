// Practice-text preparation. The first bytes choose the live character set, the rest is the
// text. Whatever the text, the prepared result holds no filler, no run of two spaces, no space
// at either end, and only bytes the set allows: a byte whose lower-case form is in the set
// string (capitals of enabled letters), a parenthesis when the set holds code 1, or a space.
#include <string>

#include "content/codepage.h"
#include "content/text_prep.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::size_t used = TakeLiveCharacterSet(data, size);
    const std::string input(reinterpret_cast<const char*>(data) + used, size - used);

    std::string setString;
    {
        std::lock_guard lock(g_settingsLock);
        setString = g_settings.m_charSet.BuildSetString(false);
    }
    bool inSet[256] = {};
    for (char ch : setString) inSet[static_cast<unsigned char>(ch)] = true;

    std::string prepared = input;
    PrepareText(prepared);

    FUZZ_CHECK(prepared.find(static_cast<char>(FILLER_BYTE)) == std::string::npos);
    FUZZ_CHECK(prepared.find("  ") == std::string::npos);
    FUZZ_CHECK(prepared.empty() || (prepared.front() != ' ' && prepared.back() != ' '));
    for (char ch : prepared) {
        const auto b = static_cast<unsigned char>(ch);
        const bool allowed =
            b == ' ' || inSet[codepage::ToLower(b)] || (inSet[1] && (b == '(' || b == ')'));
        FUZZ_CHECK(allowed);
    }

    // The explicit form with the same alphabet and set string gives the same text.
    std::string filtered = input;
    FilterText(filtered, GetKochAlphabet(), setString);
    FUZZ_CHECK(filtered == prepared);
    return 0;
}
