#pragma once
// One row per stored option: its profile key, the field it lives in, its default, its range and
// the label its page names it by. The profile exchange, the load clamps, the option pages'
// checks, control ranges and Default buttons all read these rows, so adding an option is one
// row here plus its control on a page.
//
// Rules that join two options (the word speed up to the character speed, the longest group at
// least the shortest, "Characters used" up to the size of the set, a usable "Source") are not
// rows; CSettings applies them after a load and the general page checks them as it reads.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "content/charset.h"
#include "engine/relaxed_atomic.h"

class CSettings;

// Text the program keeps in Windows-1252 and the store in UTF-8.
struct Cp1252Text {
    std::string* text;
};

// Where a row's value lives. The alternative is the option's type: a number, a switch (stored
// as 0 or 1, any non-zero value reads as on), UTF-8 text, Windows-1252 text, or the character set
// (stored as its set string in fixed order).
using OptionField = std::variant<RelaxedAtomic<int32_t>*, int*, RelaxedAtomic<bool>*, bool*,
                                 std::string*, Cp1252Text, CharacterSet*>;

// Which page's Default button resets a row. Rows of no page are kept by every Default button.
enum class OptionPage { None, General, Volume, CharacterSet };

struct OptionRow {
    const char* key;  // in section "Settings"
    OptionPage page;
    OptionField (*field)(CSettings&);
    int32_t defaultNumber;    // numbers; switches 0 or 1
    const char* defaultText;  // text; the character set's default is its own
    int32_t low, high;        // numbers, inclusive; a load brings stored values into this range
    const char* label;        // UTF-8, names the option in its page's messages; "" when unused
};

// A stored text longer than this is damaged, since no real value reaches it: the longest real
// value is a file path, and Linux caps a path at 4,096 bytes.
constexpr size_t kMaxStoredTextBytes = 4096;

// Every row, in the order the profile is exchanged.
std::span<const OptionRow> OptionRows();
// The row of a key; every key the program uses has one (an unknown key is a programming error
// and aborts).
const OptionRow& OptionRowOf(const std::string& key);
