#pragma once
// Layout of the code table panel without a window: where the second row (strip) or column
// (tall table) begins, the panel's preferred width, what each cell shows and whether it is
// active or framed, the cell rectangles and the bars of a character's Morse pattern. Pixel
// sizes come from the panel's font, measured by the window that uses this.

#include <string>
#include <vector>

// A rectangle in client pixels; right and bottom are exclusive.
struct CellRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const CellRect&) const = default;
};

// Cell sizes measured once from the bold font.
struct CodeTableMetrics {
    int narrowCell = 0;  // width of "W" + 1: a one-character cell
    int wideCell = 0;    // width of "SOS" + 1: a cell of several characters
    int rowHeight = 0;   // height of "W" * 6 / 5: one row of the tall table
};

// What the panel reads from the settings at each paint.
struct CodeTableInputs {
    std::string setString;         // enabled characters in fixed order (lower case)
    std::string activeCharacters;  // the lesson: GetActiveCharacters()
    int source = 0;                // "Source" bits
    int charactersUsed = 0;
    bool practiceMode = false;
};

struct CodeTableCell {
    unsigned char ch = 0;  // the shown character, upper-cased; reported when clicked
    std::string text;      // Windows-1252 text drawn in the cell, backslashes removed
    bool wide = false;     // the text had more than one character (a wide cell in the strip)
    bool parenthesis = false;
    bool prosign = false;  // drawn with a line over it
    bool active = false;   // used by the current practice: black and bold, else grey
    bool framed = false;   // the newest character of the Koch lesson
};

// Index of the first character of the second row or column in the fixed-order set string.
// Letters, accented letters and "@" form the first group, the digits and the rest the second;
// without letters the first group ends after the "9". 0 (everything in the second group) when
// only the letters are enabled or neither letters nor a "9" are.
int CodeTableSplit(const std::string& setString);

// Width the panel wants: the tall table two wide cells plus room for the patterns; the strip its
// longer row plus margins (10 for an empty set).
int CodeTablePreferredWidth(const std::string& setString, bool vertical,
                            const CodeTableMetrics& metrics);

// Height the tall table needs to show every row of its longer column, margins included (the
// strip fits any height and is not asked).
int CodeTableTallHeight(const std::string& setString, const CodeTableMetrics& metrics);

std::vector<CodeTableCell> BuildCodeTableCells(const CodeTableInputs& inputs);

// One rectangle per cell inside a client area of the given size, the second group beginning at
// split: the strip in two rows of cells side by side, the tall table in two columns of rows.
std::vector<CellRect> LayoutCodeTableCells(const std::vector<CodeTableCell>& cells, int split,
                                           bool vertical, int clientWidth, int clientHeight,
                                           const CodeTableMetrics& metrics);

// Index of the first cell holding the point, or -1.
int HitTestCodeTable(const std::vector<CellRect>& cells, int x, int y);

// The bars of a Morse pattern ("." and "-") to the right of a tall-table cell: a dot is 3 by 3
// pixels, a dash 9 by 3, 3 pixels apart, vertically centred in the cell.
std::vector<CellRect> MorseBars(const std::string& pattern, const CellRect& cell,
                                const CodeTableMetrics& metrics);
