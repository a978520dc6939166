#include "history/text_alignment.h"

#include <algorithm>
#include <map>
#include <utility>

#include "content/codepage.h"
#include "content/text_prep.h"
#include "scoring/results_rows.h"

namespace {

using Symbols = std::vector<unsigned char>;

// Below this many table cells a part is aligned with the whole table and its backtrace;
// larger parts are split in two (Hirschberg), so memory never grows with the product.
constexpr size_t kFullTableCells = 1 << 16;

enum class Step : unsigned char { Diagonal, Missing, Extra };

// The last row of the edit-distance table of a[0, n) against every prefix of b[0, m), read
// forwards, or of the reversed parts when reverse is set.
std::vector<int32_t> LastRow(const unsigned char* a, size_t n, const unsigned char* b, size_t m,
                             bool reverse) {
    std::vector<int32_t> row(m + 1);
    for (size_t j = 0; j <= m; ++j) row[j] = static_cast<int32_t>(j);
    for (size_t i = 1; i <= n; ++i) {
        const unsigned char ai = reverse ? a[n - i] : a[i - 1];
        int32_t diagonal = row[0];
        row[0] = static_cast<int32_t>(i);
        for (size_t j = 1; j <= m; ++j) {
            const unsigned char bj = reverse ? b[m - j] : b[j - 1];
            const int32_t up = row[j];
            row[j] = std::min({diagonal + (ai == bj ? 0 : 1), up + 1, row[j - 1] + 1});
            diagonal = up;
        }
    }
    return row;
}

class Aligner {
public:
    Aligner(const Symbols& a, const Symbols& b, std::vector<Step>& steps)
        : m_a(a), m_b(b), m_steps(steps) {}

    void Align(size_t a0, size_t a1, size_t b0, size_t b1) {
        const size_t n = a1 - a0;
        const size_t m = b1 - b0;
        if (n == 0 || m == 0 || (n + 1) * (m + 1) <= kFullTableCells || n == 1) {
            AlignByTable(a0, a1, b0, b1);
            return;
        }
        // Split a in the middle and b where the two halves' costs add up least.
        const size_t mid = a0 + n / 2;
        const std::vector<int32_t> front = LastRow(&m_a[a0], mid - a0, &m_b[b0], m, false);
        const std::vector<int32_t> back = LastRow(&m_a[mid], a1 - mid, &m_b[b0], m, true);
        size_t split = 0;
        int32_t best = front[0] + back[m];
        for (size_t j = 1; j <= m; ++j) {
            if (front[j] + back[m - j] < best) {
                best = front[j] + back[m - j];
                split = j;
            }
        }
        Align(a0, mid, b0, b0 + split);
        Align(mid, a1, b0 + split, b1);
    }

private:
    void AlignByTable(size_t a0, size_t a1, size_t b0, size_t b1) {
        const size_t n = a1 - a0;
        const size_t m = b1 - b0;
        const size_t width = m + 1;
        std::vector<int32_t> cost((n + 1) * width);
        for (size_t j = 0; j <= m; ++j) cost[j] = static_cast<int32_t>(j);
        for (size_t i = 1; i <= n; ++i) {
            cost[i * width] = static_cast<int32_t>(i);
            for (size_t j = 1; j <= m; ++j) {
                const int32_t same = m_a[a0 + i - 1] == m_b[b0 + j - 1] ? 0 : 1;
                cost[i * width + j] = std::min({cost[(i - 1) * width + j - 1] + same,
                                                cost[(i - 1) * width + j] + 1,
                                                cost[i * width + j - 1] + 1});
            }
        }
        // Backwards from the end; a pair of characters is preferred to leaving one out.
        std::vector<Step> reversed;
        size_t i = n;
        size_t j = m;
        while (i > 0 || j > 0) {
            const int32_t here = cost[i * width + j];
            if (i > 0 && j > 0 &&
                here == cost[(i - 1) * width + j - 1] +
                            (m_a[a0 + i - 1] == m_b[b0 + j - 1] ? 0 : 1)) {
                reversed.push_back(Step::Diagonal);
                --i;
                --j;
            } else if (i > 0 && here == cost[(i - 1) * width + j] + 1) {
                reversed.push_back(Step::Missing);
                --i;
            } else {
                reversed.push_back(Step::Extra);
                --j;
            }
        }
        m_steps.insert(m_steps.end(), reversed.rbegin(), reversed.rend());
    }

    const Symbols& m_a;
    const Symbols& m_b;
    std::vector<Step>& m_steps;
};

Symbols Bytes(const std::vector<TextSymbol>& symbols) {
    Symbols bytes;
    bytes.reserve(symbols.size());
    for (const TextSymbol& s : symbols) bytes.push_back(s.ch);
    return bytes;
}

}  // namespace

std::vector<TextSymbol> ScoredSymbols(const std::string& text) {
    // White space becomes a plain space before the escapes are read: a line break typed in the
    // copy is a gap, not the prosign that shares its byte value.
    std::string work = text;
    for (char& c : work)
        if (codepage::IsSpace(static_cast<unsigned char>(c))) c = ' ';
    codepage::MakeUpper(work);
    ParseProsignEscapes(work);
    MapBrackets(work);

    std::vector<TextSymbol> symbols;
    size_t start = 0;  // first raw byte of the symbol being read (an escape's fillers included)
    bool inEscape = false;
    for (size_t i = 0; i < work.size(); ++i) {
        const auto ch = static_cast<unsigned char>(work[i]);
        if (ch == FILLER_BYTE) {
            if (!inEscape) start = i;
            inEscape = true;
            continue;
        }
        const size_t first = inEscape ? start : i;
        inEscape = false;
        if (ch == ' ') {
            if (!symbols.empty() && symbols.back().ch == ' ') {
                symbols.back().length = static_cast<uint32_t>(i + 1 - symbols.back().start);
                continue;
            }
            if (symbols.empty()) continue;  // leading white space
        }
        symbols.push_back({ch, static_cast<uint32_t>(first), static_cast<uint32_t>(i + 1 - first)});
    }
    if (!symbols.empty() && symbols.back().ch == ' ') symbols.pop_back();
    return symbols;
}

double TextAlignment::AccuracyPercent() const {
    return ::AccuracyPercent(correct, wrong + missing + extra);
}

std::vector<Confusion> TextAlignment::Confusions() const {
    std::map<std::pair<unsigned char, unsigned char>, int32_t> counts;
    for (const AlignedPair& p : pairs) {
        if (p.mark != AlignmentMark::Wrong) continue;
        const unsigned char s = sent[static_cast<size_t>(p.sent)].ch;
        const unsigned char c = copy[static_cast<size_t>(p.copy)].ch;
        if (s == ' ' || c == ' ') continue;
        ++counts[{s, c}];
    }
    std::vector<Confusion> confusions;
    for (const auto& [key, count] : counts) confusions.push_back({key.first, key.second, count});
    // The map gives ascending (sent, copied); a stable sort keeps that order within a count.
    std::stable_sort(confusions.begin(), confusions.end(),
                     [](const Confusion& x, const Confusion& y) { return x.count > y.count; });
    return confusions;
}

TextAlignment AlignTexts(const std::string& sentText, const std::string& copyText) {
    TextAlignment result;
    result.sent = ScoredSymbols(sentText);
    result.copy = ScoredSymbols(copyText);
    const Symbols a = Bytes(result.sent);
    const Symbols b = Bytes(result.copy);

    // The common head and tail pair up as they are; only the middle needs the search.
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;

    std::vector<Step> steps(head, Step::Diagonal);
    Aligner(a, b, steps).Align(head, a.size() - tail, head, b.size() - tail);
    steps.insert(steps.end(), tail, Step::Diagonal);

    int32_t i = 0;
    int32_t j = 0;
    result.pairs.reserve(steps.size());
    for (Step step : steps) {
        switch (step) {
            case Step::Diagonal: {
                const bool same = a[static_cast<size_t>(i)] == b[static_cast<size_t>(j)];
                result.pairs.push_back({same ? AlignmentMark::Correct : AlignmentMark::Wrong, i++, j++});
                ++(same ? result.correct : result.wrong);
                break;
            }
            case Step::Missing:
                result.pairs.push_back({AlignmentMark::Missing, i++, -1});
                ++result.missing;
                break;
            case Step::Extra:
                result.pairs.push_back({AlignmentMark::Extra, -1, j++});
                ++result.extra;
                break;
        }
    }
    return result;
}
