#include "content/code_table_layout.h"

#include <algorithm>
#include <string_view>

#include "content/codepage.h"
#include "content/practice_source.h"
#include "content/text_prep.h"

namespace {

// The accented letters and "@", which follow the letters in the first group.
constexpr std::string_view kFirstGroupExtras = "\xE6\xF8\xE5\xE4\xF6\xFC\xDF\xE9\xE0\xFE\xF0@";
constexpr size_t kLetterCount = 26;

// Room beside the two character cells of the tall table for the longest patterns (SOS, nine
// elements, is 60 pixels) and the gaps around them.
constexpr int kVerticalPatternRoom = 158;
// Left and right margin of the strip, 5 pixels each.
constexpr int kStripMargins = 10;
constexpr int kMargin = 5;

// Morse bars: element height, dot and dash widths and the gap between elements, in pixels; the
// first bar starts this far right of the character's text cell.
constexpr int kBarHeight = 3;
constexpr int kDotWidth = 3;
constexpr int kDashWidth = 9;
constexpr int kBarGap = 3;
constexpr int kBarIndent = 4;

constexpr unsigned char kParenthesesCode = 1;

}  // namespace

int CodeTableSplit(const std::string& setString) {
    if (setString.empty() || setString[0] != 'a') {
        const auto nine = setString.find('9');
        return nine == std::string::npos ? 0 : static_cast<int>(nine) + 1;
    }
    if (setString.size() <= kLetterCount) return 0;
    size_t end = kLetterCount;
    while (end < setString.size() && kFirstGroupExtras.find(setString[end]) != std::string::npos)
        ++end;
    return static_cast<int>(end);
}

int CodeTablePreferredWidth(const std::string& setString, bool vertical,
                            const CodeTableMetrics& metrics) {
    if (vertical) return 2 * metrics.wideCell + kVerticalPatternRoom;
    if (setString.empty()) return kStripMargins;
    const size_t split = static_cast<size_t>(CodeTableSplit(setString));
    int rows[2] = {0, 0};
    for (size_t i = 0; i < setString.size(); ++i) {
        const auto ch = static_cast<unsigned char>(setString[i]);
        // Prosign codes and the accented letters are counted wide.
        const bool narrow = ch >= 16 && ch <= 127;
        rows[i < split ? 0 : 1] += narrow ? metrics.narrowCell : metrics.wideCell;
    }
    return std::max(rows[0], rows[1]) + kStripMargins;
}

int CodeTableTallHeight(const std::string& setString, const CodeTableMetrics& metrics) {
    const int split = CodeTableSplit(setString);
    const int rest = static_cast<int>(setString.size()) - split;
    return std::max(split, rest) * metrics.rowHeight + 2 * kMargin;
}

std::vector<CodeTableCell> BuildCodeTableCells(const CodeTableInputs& inputs) {
    std::string shown = inputs.setString;
    codepage::MakeUpper(shown);
    std::string active = inputs.activeCharacters;
    codepage::MakeUpper(active);

    // Only the Koch and the specified-set sources practise a subset of the set.
    const bool subset = inputs.source == SOURCE_KOCH || inputs.source == SOURCE_CHARSET;
    // The newest Koch character is marked while learning, from the third character on.
    const bool markNewest =
        inputs.source == SOURCE_KOCH && inputs.charactersUsed > 2 && !inputs.practiceMode;

    std::vector<CodeTableCell> cells;
    cells.reserve(shown.size());
    for (const char c : shown) {
        CodeTableCell cell;
        cell.ch = static_cast<unsigned char>(c);
        cell.parenthesis = cell.ch == kParenthesesCode;
        std::string text = cell.parenthesis ? std::string("( )") : ProsignDisplayText(cell.ch);
        cell.prosign = !text.empty() && text[0] == '\\';
        cell.wide = text.size() != 1;
        std::erase(text, '\\');
        cell.text = std::move(text);
        cell.active = !subset || active.find(c) != std::string::npos;
        cell.framed = markNewest && cell.active && !active.empty() && c == active.back();
        cells.push_back(std::move(cell));
    }
    return cells;
}

std::vector<CellRect> LayoutCodeTableCells(const std::vector<CodeTableCell>& cells, int split,
                                           bool vertical, int clientWidth, int clientHeight,
                                           const CodeTableMetrics& metrics) {
    // The strip keeps a margin left and right, the tall table at top and bottom.
    const CellRect area = vertical ? CellRect{0, kMargin, clientWidth, clientHeight - kMargin}
                                   : CellRect{kMargin, 0, clientWidth - kMargin, clientHeight};
    // The current group: a row of the strip or a column of the tall table, and the next cell's
    // corner in it.
    CellRect group = vertical ? CellRect{area.left, area.top, area.right / 2, area.bottom}
                              : CellRect{area.left, area.top, area.right, area.bottom / 2};
    int x = area.left;
    int y = area.top;

    std::vector<CellRect> rects;
    rects.reserve(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        if (static_cast<int>(i) == split) {
            if (vertical) {
                group = CellRect{group.right, area.top, area.right, area.bottom};
                y = area.top;
            } else {
                group = CellRect{area.left, group.bottom, area.right, area.bottom};
                x = area.left;
            }
        }
        CellRect cell;
        if (vertical) {
            cell = CellRect{group.left, y, group.right, y + metrics.rowHeight};
            y = cell.bottom;
        } else {
            const int width = cells[i].wide ? metrics.wideCell : metrics.narrowCell;
            cell = CellRect{x, group.top, x + width, group.bottom};
            x = cell.right;
        }
        rects.push_back(cell);
    }
    return rects;
}

int HitTestCodeTable(const std::vector<CellRect>& cells, int x, int y) {
    for (size_t i = 0; i < cells.size(); ++i)
        if (cells[i].Contains(x, y)) return static_cast<int>(i);
    return -1;
}

std::vector<CellRect> MorseBars(const std::string& pattern, const CellRect& cell,
                                const CodeTableMetrics& metrics) {
    std::vector<CellRect> bars;
    int x = cell.left + metrics.wideCell + kBarIndent;
    const int top = cell.top + (cell.Height() - kBarHeight) / 2;
    for (const char element : pattern) {
        if (element != '.' && element != '-') continue;
        const int width = element == '.' ? kDotWidth : kDashWidth;
        bars.push_back(CellRect{x, top, x + width, top + kBarHeight});
        x += width + kBarGap;
    }
    return bars;
}
