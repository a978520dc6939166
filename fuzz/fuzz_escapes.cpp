// Prosign escapes and typed character lists. The first bytes choose the live character set
// (it decides which written form of each same-sounding group escapes turn into), the rest is
// the text. Escape parsing keeps the length; a normalised character list holds only Koch
// alphabet bytes in lower case and parentheses.
#include <string>

#include "content/codepage.h"
#include "content/text_prep.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::size_t used = TakeLiveCharacterSet(data, size);
    const std::string input(reinterpret_cast<const char*>(data) + used, size - used);

    std::string parsed = input;
    ParseProsignEscapes(parsed);
    FUZZ_CHECK(parsed.size() == input.size());
    // Bytes outside escapes are left alone except for the same-sounding forms.
    for (std::size_t i = 0; i < input.size(); ++i) {
        const auto in = static_cast<unsigned char>(input[i]);
        if (input.find('\\') == std::string::npos && in > 15 && in != '=' && in != '+')
            FUZZ_CHECK(parsed[i] == input[i]);
    }

    const std::string koch = GetKochAlphabet();
    const std::string list = NormaliseCharacterList(input);
    FUZZ_CHECK(list.size() <= input.size());
    for (char ch : list) {
        const auto b = static_cast<unsigned char>(ch);
        FUZZ_CHECK(koch.find(ch) != std::string::npos || ch == '(' || ch == ')');
        FUZZ_CHECK(codepage::ToLower(b) == b);
    }
    return 0;
}
