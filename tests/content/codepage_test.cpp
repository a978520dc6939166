#include "content/codepage.h"

#include <gtest/gtest.h>

using namespace codepage;

TEST(Codepage, CaseMappingFollowsWindows1252NotTheCLocale) {
    EXPECT_EQ(ToLower('A'), 'a');
    EXPECT_EQ(ToUpper('z'), 'Z');
    EXPECT_EQ(ToLower(0xC4), 0xE4);                               // Ä -> ä
    EXPECT_EQ(ToUpper(0xE9), 0xC9);                               // é -> É
    EXPECT_EQ(ToUpper(0xDF), 0xDF);                               // ß has no capital
    EXPECT_EQ(ToLower(0xD7), 0xD7);                               // × is no letter
    EXPECT_EQ(ToUpper(0xF7), 0xF7);                               // ÷ is no letter
    EXPECT_EQ(ToUpper(0xFF), 0x9F);                               // ÿ -> Ÿ
    EXPECT_EQ(ToLower(0x8A), 0x9A);                               // Š -> š
    for (int c = 1; c <= 16; ++c) EXPECT_EQ(ToLower(c), c) << c;  // prosign codes untouched
    EXPECT_TRUE(IsAlpha(0xDF));
    EXPECT_FALSE(IsAlpha('@'));
    EXPECT_TRUE(IsAlnum('7'));
    EXPECT_TRUE(IsSpace('\r'));
    EXPECT_FALSE(IsSpace(0xA0));
}

TEST(Codepage, Utf8RoundTripsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
    EXPECT_EQ(ToUtf8("\xE4"), "\xC3\xA4");                                                // ä
    EXPECT_EQ(ToUtf8("\x80"), "\xE2\x82\xAC");                                            // €
    EXPECT_EQ(FromUtf8("\xE4\xB8\xAD"), std::string(1, static_cast<char>(kUnmappable)));  // 中
}

TEST(Codepage, TextFilesAreDecodedAsUtf8OnlyWhenValid) {
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"
                             "B\xC3\xA4r"),
              "B\xE4r");                                // UTF-8 with BOM
    EXPECT_EQ(DecodeTextFile("B\xC3\xA4r"), "B\xE4r");  // UTF-8 without BOM
    EXPECT_EQ(DecodeTextFile("B\xE4r"), "B\xE4r");      // already Windows-1252
    EXPECT_EQ(DecodeTextFile("\xC0\x80"), "\xC0\x80");  // overlong: not UTF-8
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));          // surrogate
    EXPECT_EQ(DecodeTextFile(""), "");
}

TEST(Codepage, RepairKeepsWellFormedSequencesAndTakesTheRestAsWindows1252) {
    const std::string chinese = "\xE6\x96\x87\xE6\xB3\x89";  // 文泉
    EXPECT_EQ(RepairUtf8(chinese + "=ok\n"), chinese + "=ok\n");
    // 0x80 and 0x9F are the euro sign and Y with diaeresis, not C1 controls.
    EXPECT_EQ(RepairUtf8("a\x80" + chinese + "\x9F"), "a\xE2\x82\xAC" + chinese + "\xC5\xB8");
    // A sequence cut short, a surrogate and an overlong form: each byte on its own.
    EXPECT_EQ(RepairUtf8("\xE6\x96x"), "\xC3\xA6\xE2\x80\x93x");
    EXPECT_EQ(RepairUtf8("\xC0\x80"), "\xC3\x80\xE2\x82\xAC");
    for (const std::string& damaged : {std::string("\xFF\xFE"), std::string("\xED\xA0\x80")}) {
        EXPECT_TRUE(IsValidUtf8(RepairUtf8(damaged)));
        EXPECT_EQ(FromUtf8(RepairUtf8(damaged)), damaged);
    }
}
