#include "scoring/results_rows.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "content/codepage.h"
#include "content/text_prep.h"
#include "scoring/score_tally.h"

namespace {

// Each line is one punctuation byte followed at once by its name, in the order the names are
// looked up (the first occurrence of a byte wins).
constexpr std::string_view kPunctuationNames =
    " 词间隙\n"
    ".句点\n"
    ",逗号\n"
    "/斜线\n"
    "?问号\n"
    "'撇号\n"
    "!叹号\n"
    ":冒号\n"
    ";分号\n"
    "-连字符\n"
    "_下划线\n"
    "\"引号\n"
    "(括号\n"
    ")括号";

// Code 1 stands for both parentheses in the tally.
constexpr unsigned char kParenthesesCode = 1;
// Bytes below this are prosign codes and control bytes; from 128 up the accented letters.
constexpr unsigned char kFirstNamedByte = 16;
constexpr unsigned char kLastNamedByte = 127;

}  // namespace

double AccuracyPercent(int32_t correct, int32_t wrong) {
    if (correct == 0 && wrong == 0) return 100.0;
    // In double throughout, so that large counts cannot overflow the multiplication.
    return static_cast<double>(correct) * 100.0 /
           (static_cast<double>(correct) + static_cast<double>(wrong));
}

std::vector<ResultRow> BuildResultRows(const ScoreTally& tally) {
    std::vector<ResultRow> rows;
    std::vector<double> accuracies;
    // 0 is no character and 255 is never listed.
    for (int b = 1; b <= 254; ++b) {
        const int32_t correct = tally.correct[b];
        const int32_t wrong = tally.wrong[b];
        if (correct == 0 && wrong == 0) continue;
        const double accuracy = AccuracyPercent(correct, wrong);
        const auto at = std::upper_bound(accuracies.begin(), accuracies.end(), accuracy);
        const auto index = at - accuracies.begin();
        accuracies.insert(at, accuracy);
        rows.insert(rows.begin() + index, ResultRow{static_cast<unsigned char>(b), correct, wrong});
    }
    return rows;
}

std::string DurationText(int32_t seconds) {
    const int32_t minutes = seconds / 60;
    const int32_t rest = seconds % 60;
    std::string minutesPart;
    std::string secondsPart;
    if (minutes != 0) minutesPart = std::to_string(minutes) + " m";
    if (rest != 0) secondsPart = std::to_string(rest) + " s";
    if (!minutesPart.empty()) return minutesPart + " " + secondsPart;
    return secondsPart;
}

std::string AccuracyText(double percent) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, percent, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr) + "%";
}

std::string ResultCharacterText(unsigned char ch) {
    if (ch == kParenthesesCode) return "( )";
    return ProsignDisplayText(ch);
}

std::string CharacterComment(unsigned char ch) {
    if (ch == kParenthesesCode) ch = '(';
    if (ch < kFirstNamedByte || ch > kLastNamedByte || codepage::IsAlnum(ch)) return {};
    const auto at = kPunctuationNames.find(static_cast<char>(ch));
    if (at == std::string_view::npos) return {};
    const auto end = kPunctuationNames.find('\n', at + 1);
    return std::string(kPunctuationNames.substr(
        at + 1, end == std::string_view::npos ? std::string_view::npos : end - at - 1));
}
