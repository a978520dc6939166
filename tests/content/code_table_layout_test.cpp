#include "content/code_table_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "content/charset.h"
#include "settings/settings.h"

namespace {

constexpr CodeTableMetrics kMetrics{10, 30, 12};
const std::string kLetters = "abcdefghijklmnopqrstuvwxyz";

std::string Marked(const CodeTableInputs& inputs, bool CodeTableCell::*flag) {
    std::string result;
    for (const auto& cell : BuildCodeTableCells(inputs))
        if (cell.*flag) result += static_cast<char>(cell.ch);
    return result;
}

CodeTableInputs KochLesson(int charactersUsed) {
    const CharacterSet set;
    return {set.BuildSetString(false), set.BuildSetString(true).substr(0, charactersUsed),
            SOURCE_KOCH, charactersUsed, false};
}

}  // namespace

TEST(CodeTableLayoutTest, SplitAndPreferredWidth) {
    const std::string set = kLetters + "@0123456789.,/?\x05\x09\x06";
    EXPECT_EQ(CodeTableSplit(set), 27);
    EXPECT_EQ(CodeTableSplit(kLetters + "\xE4\xFC@0123456789"), 29);
    EXPECT_EQ(CodeTableSplit(kLetters), 0);  // only letters: all in the second row
    EXPECT_EQ(CodeTableSplit("@0123456789.,"), 11);
    EXPECT_EQ(CodeTableSplit(".,/?"), 0);

    // The longer row: 27 narrow cells, or 14 narrow and 3 wide (prosign codes) ones.
    EXPECT_EQ(CodeTablePreferredWidth(set, false, {10, 30, 12}), 27 * 10 + 10);
    EXPECT_EQ(CodeTablePreferredWidth(set, false, {10, 100, 12}), 14 * 10 + 3 * 100 + 10);
    EXPECT_EQ(CodeTablePreferredWidth("", false, kMetrics), 10);
    EXPECT_EQ(CodeTablePreferredWidth(set, true, kMetrics), 2 * 30 + 158);
}

TEST(CodeTableLayoutTest, TallHeightHoldsEveryRowOfTheLongerColumn) {
    const CodeTableMetrics metrics{10, 30, 12};
    for (const std::string& set :
         {kLetters + "@0123456789.,/?\x05\x09\x06", kLetters, std::string("0123456789.,/?"),
          kLetters + "0123456789.,/?=+-:;'\"()!$&_\x01\x02\x03\x04\x05\x06\x07\x08"}) {
        SCOPED_TRACE(set);
        const auto cells = BuildCodeTableCells({set, "", SOURCE_WORDS, 2, false});
        const int height = CodeTableTallHeight(set, metrics);
        // Laid out in exactly that height, the last row ends one margin (5) above the bottom.
        const auto rects = LayoutCodeTableCells(cells, CodeTableSplit(set), true, 200, height,
                                                metrics);
        int bottom = 0;
        for (const CellRect& rect : rects) bottom = std::max(bottom, rect.bottom);
        EXPECT_EQ(bottom + 5, height);
    }
    EXPECT_EQ(CodeTableTallHeight("", metrics), 10);
}

TEST(CodeTableLayoutTest, CellTexts) {
    const auto cells = BuildCodeTableCells({"a\x01\x05\x06", "", SOURCE_WORDS, 2, false});
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].text, "A");
    EXPECT_FALSE(cells[0].wide);
    EXPECT_EQ(cells[1].text, "( )");
    EXPECT_TRUE(cells[1].parenthesis && cells[1].wide && !cells[1].prosign);
    EXPECT_EQ(cells[2].text, "=");
    EXPECT_FALSE(cells[2].wide || cells[2].prosign);
    EXPECT_EQ(cells[3].text, "SK");
    EXPECT_TRUE(cells[3].wide && cells[3].prosign);
}

TEST(CodeTableLayoutTest, ActiveAndNewestCharacters) {
    // The default set's Koch order begins "kmrsu".
    EXPECT_EQ(Marked(KochLesson(5), &CodeTableCell::active), "KMRSU");
    EXPECT_EQ(Marked(KochLesson(5), &CodeTableCell::framed), "U");
    EXPECT_EQ(Marked(KochLesson(3), &CodeTableCell::framed), "R");
    EXPECT_EQ(Marked(KochLesson(2), &CodeTableCell::framed), "");
    auto inputs = KochLesson(5);
    inputs.practiceMode = true;
    EXPECT_EQ(Marked(inputs, &CodeTableCell::framed), "");

    inputs = KochLesson(5);
    for (const int source : {SOURCE_WORDS, SOURCE_KOCH | SOURCE_WORDS}) {
        inputs.source = source;
        EXPECT_EQ(Marked(inputs, &CodeTableCell::active).size(), inputs.setString.size());
        EXPECT_EQ(Marked(inputs, &CodeTableCell::framed), "");
    }
    inputs.source = SOURCE_CHARSET;
    inputs.activeCharacters = "qa9q";
    EXPECT_EQ(Marked(inputs, &CodeTableCell::active), "AQ9");
    EXPECT_EQ(Marked(inputs, &CodeTableCell::framed), "");
}

TEST(CodeTableLayoutTest, StripRowsAndHitTest) {
    const std::string set = kLetters + "0123456789\x06";
    const auto cells = BuildCodeTableCells({set, "", SOURCE_WORDS, 2, false});
    const auto rects = LayoutCodeTableCells(cells, CodeTableSplit(set), false, 400, 40, kMetrics);
    ASSERT_EQ(rects.size(), cells.size());
    EXPECT_EQ(rects[0], (CellRect{5, 0, 15, 20}));
    EXPECT_EQ(rects[26], (CellRect{5, 20, 15, 40}));     // "0" starts the second row
    EXPECT_EQ(rects[36], (CellRect{105, 20, 135, 40}));  // "SK" in a wide cell

    EXPECT_EQ(HitTestCodeTable(rects, 15, 5), 1);
    EXPECT_EQ(HitTestCodeTable(rects, 134, 39), 36);
    EXPECT_EQ(HitTestCodeTable(rects, 2, 5), -1);     // margin
    EXPECT_EQ(HitTestCodeTable(rects, 300, 30), -1);  // right of the short second row

    const auto lettersOnly = BuildCodeTableCells({kLetters, "", SOURCE_WORDS, 2, false});
    for (const auto& rect : LayoutCodeTableCells(lettersOnly, 0, false, 300, 40, kMetrics))
        EXPECT_EQ(rect.top, 20);
}

TEST(CodeTableLayoutTest, TallTableColumnsAndBars) {
    const auto cells = BuildCodeTableCells({"ab0", "", SOURCE_WORDS, 2, false});
    const auto rects = LayoutCodeTableCells(cells, 2, true, 218, 600, kMetrics);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[1], (CellRect{0, 17, 109, 29}));
    EXPECT_EQ(rects[2], (CellRect{109, 5, 218, 17}));

    // "A": a 3 by 3 square and a 9 by 3 bar 3 pixels apart, right of the text, centred.
    const auto bars = MorseBars(".-", rects[0], kMetrics);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0], (CellRect{34, 9, 37, 12}));
    EXPECT_EQ(bars[1], (CellRect{40, 9, 49, 12}));
}
