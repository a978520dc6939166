#include "history/history_stats.h"

#include <algorithm>
#include <map>
#include <set>

#include "content/codepage.h"
#include "scoring/results_rows.h"

namespace {

// The sessions [first, last) counted from the newest: 0 is the newest one.
template <typename F>
void ForNewest(const std::vector<SessionRecord>& sessions, size_t first, size_t last, F&& f) {
    const size_t n = sessions.size();
    for (size_t k = first; k < last && k < n; ++k) f(sessions[n - 1 - k]);
}

}  // namespace

std::vector<AccuracyPoint> AccuracyOverTime(const std::vector<SessionRecord>& sessions) {
    std::vector<AccuracyPoint> points;
    points.reserve(sessions.size());
    for (const SessionRecord& s : sessions)
        points.push_back({s.id, s.startUtcSeconds, s.accuracyPercent, s.source, s.lessonSize});
    return points;
}

double CharacterProgress::AccuracyPercent() const {
    return ::AccuracyPercent(correct, wrong);
}

double CharacterProgress::EarlierAccuracyPercent() const {
    return ::AccuracyPercent(earlierCorrect, earlierWrong);
}

double CharacterProgress::ChangePercent() const {
    if (!HasData() || !HasEarlierData()) return 0.0;
    return AccuracyPercent() - EarlierAccuracyPercent();
}

std::vector<CharacterProgress> CharacterAccuracy(const std::vector<SessionRecord>& sessions,
                                                 const std::string& lesson, size_t recent) {
    std::vector<CharacterProgress> rows;
    std::map<unsigned char, size_t> rowOf;  // tally byte -> row
    for (char c : lesson) {
        const unsigned char tallyByte = codepage::ToUpper(static_cast<unsigned char>(c));
        if (rowOf.emplace(tallyByte, rows.size()).second)
            rows.push_back({static_cast<unsigned char>(c)});
    }
    const auto add = [&](bool earlier) {
        return [&, earlier](const SessionRecord& s) {
            for (const CharacterCounts& c : s.characters) {
                const auto at = rowOf.find(c.ch);
                if (at == rowOf.end()) continue;
                CharacterProgress& row = rows[at->second];
                (earlier ? row.earlierCorrect : row.correct) += c.correct;
                (earlier ? row.earlierWrong : row.wrong) += c.wrong;
            }
        };
    };
    ForNewest(sessions, 0, recent, add(false));
    ForNewest(sessions, recent, 2 * recent, add(true));

    std::stable_sort(rows.begin(), rows.end(),
                     [](const CharacterProgress& x, const CharacterProgress& y) {
                         if (x.HasData() != y.HasData()) return x.HasData();
                         return x.HasData() && x.AccuracyPercent() < y.AccuracyPercent();
                     });
    return rows;
}

std::vector<Confusion> ConfusionMatrix::Strongest(size_t n) const {
    std::vector<Confusion> cells;
    for (size_t r = 0; r < sent.size(); ++r)
        for (size_t c = 0; c < copied.size(); ++c)
            if (At(r, c) > 0) cells.push_back({sent[r], copied[c], At(r, c)});
    std::stable_sort(cells.begin(), cells.end(),
                     [](const Confusion& x, const Confusion& y) { return x.count > y.count; });
    if (cells.size() > n) cells.resize(n);
    return cells;
}

ConfusionMatrix BuildConfusionMatrix(const std::vector<SessionRecord>& sessions, size_t recent) {
    std::map<std::pair<unsigned char, unsigned char>, int32_t> cells;
    std::set<unsigned char> rows;
    std::set<unsigned char> columns;
    ForNewest(sessions, 0, recent, [&](const SessionRecord& s) {
        for (const Confusion& c : s.confusions) {
            cells[{c.sent, c.copied}] += c.count;
            rows.insert(c.sent);
            columns.insert(c.copied);
        }
    });
    ConfusionMatrix matrix;
    matrix.sent.assign(rows.begin(), rows.end());
    matrix.copied.assign(columns.begin(), columns.end());
    matrix.counts.assign(matrix.sent.size() * matrix.copied.size(), 0);
    for (const auto& [key, count] : cells) {
        const size_t r = static_cast<size_t>(
            std::lower_bound(matrix.sent.begin(), matrix.sent.end(), key.first) - matrix.sent.begin());
        const size_t c = static_cast<size_t>(
            std::lower_bound(matrix.copied.begin(), matrix.copied.end(), key.second) -
            matrix.copied.begin());
        matrix.counts[r * matrix.copied.size() + c] = count;
    }
    return matrix;
}
