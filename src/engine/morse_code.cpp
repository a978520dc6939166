#include "engine/morse_code.h"

#include <array>

#include "content/codepage.h"

namespace {

using CodeTable = std::array<const char*, 256>;

constexpr CodeTable MakeCodeTable() {
    CodeTable t{};
    // Prosign codes: one byte each inside the program (1 stands for both parentheses,
    // 2 for "ch"; 3, 4 and 5 sound alike, as do 6 and 7, and 8 and 9).
    t[1] = "-.--.-";
    t[2] = "----";
    t[3] = "-...-";
    t[4] = "-...-";
    t[5] = "-...-";
    t[6] = "...-.-";
    t[7] = "...-.-";
    t[8] = ".-.-.";
    t[9] = ".-.-.";
    t[10] = ".-...";
    t[11] = "-.-..-..";
    t[12] = "-.--.";
    t[13] = "...---...";
    t[14] = "-.-.-";
    t[15] = "........";

    constexpr const char* kLetters[26] = {".-",   "-...", "-.-.", "-..",  ".",    "..-.", "--.",
                                          "....", "..",   ".---", "-.-",  ".-..", "--",   "-.",
                                          "---",  ".--.", "--.-", ".-.",  "...",  "-",    "..-",
                                          "...-", ".--",  "-..-", "-.--", "--.."};
    for (int i = 0; i < 26; ++i) t['a' + i] = kLetters[i];

    constexpr const char* kDigits[10] = {"-----", ".----", "..---", "...--", "....-",
                                         ".....", "-....", "--...", "---..", "----."};
    for (int i = 0; i < 10; ++i) t['0' + i] = kDigits[i];

    t[' '] = " ";  // a word space, no element
    t['!'] = "-.-.--";
    t['"'] = ".-..-.";
    t['\''] = ".----.";
    t['('] = "-.--.-";
    t[')'] = "-.--.-";
    t['+'] = ".-.-.";
    t[','] = "--..--";
    t['-'] = "-....-";
    t['.'] = ".-.-.-";
    t['/'] = "-..-.";
    t[':'] = "---...";
    t[';'] = "-.-.-.";
    t['='] = "-...-";
    t['?'] = "..--..";
    t['@'] = ".--.-.";
    t['_'] = "..--.-";

    // Accented letters at their Latin-1 byte values.
    t[0xDF] = "...--..";  // sharp s
    t[0xE0] = ".--.-";    // a grave
    t[0xE4] = ".-.-";     // a umlaut
    t[0xE5] = ".--.-";    // a ring
    t[0xE6] = ".-.-";     // ae
    t[0xE9] = "..-..";    // e acute
    t[0xF0] = "..--.";    // eth
    t[0xF6] = "---.";     // o umlaut
    t[0xF8] = "---.";     // o slash
    t[0xFC] = "..--";     // u umlaut
    t[0xFE] = ".--..";    // thorn
    return t;
}

constexpr CodeTable kCodeTable = MakeCodeTable();

}  // namespace

std::string LookupMorseCode(unsigned char ch) {
    const char* pattern = kCodeTable[codepage::ToLower(ch)];
    return pattern ? std::string(pattern) : std::string();
}
