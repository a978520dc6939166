#include "content/text_prep.h"

#include <cstring>
#include <iterator>
#include <mutex>
#include <numeric>

#include "content/charset.h"
#include "content/codepage.h"
#include "settings/settings.h"

namespace {

struct Escape {
    const char* letters;  // upper case
    unsigned char code;
};

// Tried in this order; SOS only when no two-letter escape matches.
constexpr Escape kEscapes[] = {
    {"BT", 3},  {"TV", 4},  {"SK", 6},  {"VA", 7},  {"AR", 8},
    {"AS", 10}, {"CL", 11}, {"KA", 14}, {"KN", 12}, {"SOS", 13},
};

// Display texts of the codes 1 to 14; every other byte shows as itself.
constexpr const char* kDisplayTexts[] = {"(",    "ch", "\\BT", "\\TV", "=",    "\\SK",  "\\VA",
                                         "\\AR", "+",  "\\AS", "\\CL", "\\KN", "\\SOS", "\\KA"};

// Accented letters with a two-letter form, in the order they are replaced.
struct TwoLetterForm {
    unsigned char letter;
    const char* form;
};
constexpr TwoLetterForm kTransliterations[] = {
    {0xE6, "ae"}, {0xF8, "oe"}, {0xE5, "aa"}, {0xE4, "ae"},
    {0xF6, "oe"}, {0xFC, "ue"}, {0xDF, "ss"},
};

using ByteTable = std::array<bool, 256>;
using ByteMap = std::array<unsigned char, 256>;

ByteTable MembersOf(const std::string& bytes) {
    ByteTable table{};
    for (char ch : bytes) table[static_cast<unsigned char>(ch)] = true;
    return table;
}

bool MatchesEscape(const std::string& text, std::size_t pos, const char* letters) {
    const std::size_t n = std::strlen(letters);
    if (text.size() - pos < n) return false;
    for (std::size_t k = 0; k < n; ++k)
        if (codepage::ToUpper(static_cast<unsigned char>(text[pos + k])) !=
            static_cast<unsigned char>(letters[k]))
            return false;
    return true;
}

// Overwrites each escape with fillers and its code, leaving the length unchanged.
void RecogniseEscapes(std::string& text) {
    std::size_t p = text.find('\\');
    while (p != std::string::npos) {
        std::size_t next = p + 1;
        for (const Escape& escape : kEscapes) {
            if (!MatchesEscape(text, p + 1, escape.letters)) continue;
            const std::size_t n = std::strlen(escape.letters);
            std::memset(&text[p], FILLER_BYTE, n);
            text[p + n] = static_cast<char>(escape.code);
            next = p + n + 1;
            break;
        }
        p = text.find('\\', next);
    }
}

// The same-sounding forms rewritten to the enabled variant of each group, as one byte map: the
// successive "every x becomes y" rules composed, so the text is walked once.
ByteMap VariantMapFromLiveSettings() {
    bool bt, tv, equals, va, ar, plus;
    {
        std::lock_guard lock(g_settingsLock);
        const bool* flags = g_settings.m_charSet.m_flags;
        bt = flags[CF_BT], tv = flags[CF_TV], equals = flags[CF_EQUALS];
        va = flags[CF_VA], ar = flags[CF_AR], plus = flags[CF_PLUS];
    }
    ByteMap map;
    std::iota(map.begin(), map.end(), 0);
    auto rule = [&map](unsigned char from, unsigned char to) {
        for (unsigned char& m : map)
            if (m == from) m = to;
    };
    if (bt) {
        rule(4, 3), rule('=', 3);
    } else if (tv) {
        rule(3, 4), rule('=', 4);
    } else {
        rule(3, 5), rule(4, 5);
    }
    if (va)
        rule(6, 7);
    else
        rule(7, 6);
    if (ar)
        rule('+', 8);
    else
        rule(8, 9);
    if (equals) rule('=', 5);
    if (plus) rule('+', 9);
    return map;
}

void ApplyMap(std::string& text, const ByteMap& map) {
    for (char& ch : text) ch = static_cast<char>(map[static_cast<unsigned char>(ch)]);
}

// Replaces every `from` by `to` (a two-letter form) in one pass, copying the runs between
// occurrences whole.
void ReplaceByte(std::string& text, unsigned char from, const std::string& to) {
    std::size_t hit = text.find(static_cast<char>(from));
    if (hit == std::string::npos) return;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t pos = 0;
    for (; hit != std::string::npos; hit = text.find(static_cast<char>(from), pos)) {
        out.append(text, pos, hit - pos);
        out += to;
        pos = hit + 1;
    }
    out.append(text, pos);
    text.swap(out);
}

bool IsAsciiAlnum(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string ProsignDisplayText(unsigned char ch) {
    if (ch >= 1 && ch <= std::size(kDisplayTexts)) return kDisplayTexts[ch - 1];
    return std::string(1, static_cast<char>(ch));
}

void ParseProsignEscapes(std::string& text) {
    RecogniseEscapes(text);
    ApplyMap(text, VariantMapFromLiveSettings());
}

void MapBrackets(std::string& text) {
    for (char& ch : text)
        if (ch == '(' || ch == ')') ch = 1;
}

std::string NormaliseCharacterList(const std::string& text) {
    // Typed control bytes are no prosign codes, although tab, LF and CR share their values with
    // codes 9, 10 and 13: only escapes select prosigns.
    std::string list;
    list.reserve(text.size());
    for (char ch : text)
        if (static_cast<unsigned char>(ch) > FILLER_BYTE) list += ch;
    ParseProsignEscapes(list);
    const ByteTable inKoch = MembersOf(GetKochAlphabet());
    // Fillers go with the other bytes outside the alphabet.
    std::string out;
    for (char ch : list) {
        const unsigned char c = codepage::ToLower(static_cast<unsigned char>(ch));
        if (inKoch[c] || c == '(' || c == ')') out += static_cast<char>(c);
    }
    return out;
}

void Transliterate(std::string& text, bool letterEnabled, unsigned char letter,
                   const char* twoLetterForm) {
    if (letterEnabled) return;
    std::string form = twoLetterForm;
    ReplaceByte(text, letter, form);
    const unsigned char upper = codepage::ToUpper(letter);
    if (upper == letter || form.empty()) return;  // ß has no capital in the code page
    form[0] = static_cast<char>(codepage::ToUpper(static_cast<unsigned char>(form[0])));
    ReplaceByte(text, upper, form);
}

TextFilter::TextFilter(const std::string& kochAlphabet, const std::string& setString)
    : m_variants(VariantMapFromLiveSettings()) {
    const ByteTable inKoch = MembersOf(kochAlphabet);
    const ByteTable inSet = MembersOf(setString);
    const bool parentheses = inSet[1];  // code 1 stands for both parentheses

    for (int b = 0; b < 256; ++b) {
        const unsigned char c = codepage::ToLower(static_cast<unsigned char>(b));
        // Screening looks at the lower-case form but keeps the byte as it is.
        if (c > FILLER_BYTE && !codepage::IsSpace(c))
            m_keepOnScreening[b] =
                IsAsciiAlnum(c) || std::strchr("+=()\\^", c) != nullptr || inKoch[c];
        // A character the set does not enable is dropped in both cases: a learner who has not
        // enabled é (or the letters at all) must not hear É (or "H") from a capital.
        if (c != ' ' && !inSet[c] && !(parentheses && (c == '(' || c == ')'))) m_drop[b] = true;
    }
    m_drop[FILLER_BYTE] = true;

    for (std::size_t i = 0; i < std::size(kTransliterations); ++i)
        m_transliterate[i] = !inSet[kTransliterations[i].letter];
}

TextFilter TextFilter::ForLiveSettings() {
    std::string setString;
    {
        std::lock_guard lock(g_settingsLock);
        setString = g_settings.m_charSet.BuildSetString(false);
    }
    return TextFilter(GetKochAlphabet(), setString);
}

void TextFilter::Apply(std::string& text) const {
    for (char& ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (!m_keepOnScreening[b])
            ch = ' ';
        else if (b == '^')
            ch = '\\';
    }

    RecogniseEscapes(text);
    ApplyMap(text, m_variants);

    for (std::size_t i = 0; i < std::size(kTransliterations); ++i)
        Transliterate(text, !m_transliterate[i], kTransliterations[i].letter,
                      kTransliterations[i].form);

    // Drop rejected bytes and fillers, collapse runs of spaces and trim, in one pass.
    std::size_t out = 0;
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (m_drop[b]) continue;
        if (b == ' ' && (out == 0 || text[out - 1] == ' ')) continue;
        text[out++] = ch;
    }
    if (out > 0 && text[out - 1] == ' ') --out;
    text.resize(out);
}

void FilterText(std::string& text, const std::string& kochAlphabet, const std::string& setString) {
    TextFilter(kochAlphabet, setString).Apply(text);
}

void PrepareText(std::string& text) {
    TextFilter::ForLiveSettings().Apply(text);
}
