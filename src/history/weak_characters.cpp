#include "history/weak_characters.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "content/codepage.h"
#include "content/random.h"

namespace {

// At most this many confused pairs are drilled at a time, and a pair counts once it was
// confused at least twice (once may be a slip).
constexpr size_t kMaxPairs = 5;
constexpr int32_t kMinPairCount = 2;
// A character needs this many sent copies before its accuracy says anything.
constexpr int32_t kMinSamples = 3;

std::mutex g_planLock;
WeakCharacterPlan g_plan;

bool IsProsignCode(unsigned char ch) {
    return ch >= 1 && ch <= 15;
}

// The tally and the alignment count upper-cased bytes; the lesson holds the lower-case ones.
unsigned char TallyByte(char lessonChar) {
    return codepage::ToUpper(static_cast<unsigned char>(lessonChar));
}

}  // namespace

WeakCharacterPlan PlanWeakCharacters(const std::vector<SessionRecord>& sessions,
                                     const std::string& lesson) {
    std::map<unsigned char, char> lessonOf;  // tally byte -> lesson byte
    for (char c : lesson) lessonOf.emplace(TallyByte(c), c);

    std::map<unsigned char, std::pair<int64_t, int64_t>> counts;  // correct, wrong
    std::map<std::pair<unsigned char, unsigned char>, int64_t> confused;
    for (const SessionRecord& s : sessions) {
        for (const CharacterCounts& c : s.characters) {
            if (!lessonOf.count(c.ch)) continue;
            counts[c.ch].first += c.correct;
            counts[c.ch].second += c.wrong;
        }
        for (const Confusion& c : s.confusions) {
            if (lessonOf.count(c.sent) && lessonOf.count(c.copied)) confused[{c.sent, c.copied}] += c.count;
        }
    }

    struct Weak {
        char ch;
        double accuracy;
        size_t order;  // place in the lesson, for equal accuracies
    };
    std::vector<Weak> weak;
    for (size_t i = 0; i < lesson.size(); ++i) {
        const auto at = counts.find(TallyByte(lesson[i]));
        if (at == counts.end() || lesson.find(lesson[i]) != i) continue;
        const auto [correct, wrong] = at->second;
        if (correct + wrong < kMinSamples) continue;
        const double accuracy = 100.0 * static_cast<double>(correct) / static_cast<double>(correct + wrong);
        if (accuracy < kWeakCharacterAccuracyPercent) weak.push_back({lesson[i], accuracy, i});
    }
    std::stable_sort(weak.begin(), weak.end(),
                     [](const Weak& x, const Weak& y) { return x.accuracy < y.accuracy; });

    WeakCharacterPlan plan;
    // The share of errors decides the copies: a character missed half the time gets half a
    // lesson's worth of extra copies (at least one).
    const double n = static_cast<double>(lesson.size());
    for (const Weak& w : weak) {
        const auto copies = std::max<size_t>(1, static_cast<size_t>(std::ceil(n * (100.0 - w.accuracy) / 100.0)));
        plan.extraCopies.append(copies, w.ch);
    }

    std::vector<std::pair<std::pair<unsigned char, unsigned char>, int64_t>> byCount(confused.begin(),
                                                                                  confused.end());
    std::stable_sort(byCount.begin(), byCount.end(),
                     [](const auto& x, const auto& y) { return x.second > y.second; });
    for (const auto& [pair, count] : byCount) {
        if (plan.pairs.size() == kMaxPairs || count < kMinPairCount) break;
        if (IsProsignCode(pair.first) || IsProsignCode(pair.second)) continue;  // sent alone
        const char a = lessonOf[pair.first];
        const char b = lessonOf[pair.second];
        plan.pairs.emplace_back(a, b);
        // The character heard in place of the sent one is drilled too.
        for (char c : {a, b})
            if (plan.extraCopies.find(c) == std::string::npos) plan.extraCopies += c;
    }
    return plan;
}

void SetWeakCharacterPlan(WeakCharacterPlan plan) {
    std::lock_guard lock(g_planLock);
    g_plan = std::move(plan);
}

WeakCharacterPlan WeakCharacterPlanInForce() {
    std::lock_guard lock(g_planLock);
    return g_plan;
}

std::string PlaceConfusedPair(std::string group, const std::string& pool,
                              const std::vector<std::pair<char, char>>& pairs) {
    std::vector<std::pair<char, char>> usable;
    for (const auto& p : pairs)
        if (pool.find(p.first) != std::string::npos && pool.find(p.second) != std::string::npos)
            usable.push_back(p);
    if (usable.empty() || group.size() < 3) return group;
    const size_t length = group.size() - 1;  // without the closing space
    for (size_t i = 0; i < length; ++i) {
        const auto ch = static_cast<unsigned char>(group[i]);
        if (IsProsignCode(ch) || ch == '(' || ch == ')') return group;
    }
    if (NextRandom() % 2 != 0) return group;
    const auto& [a, b] = usable[static_cast<size_t>(NextRandom()) % usable.size()];
    const size_t at = static_cast<size_t>(NextRandom()) % (length - 1);
    const bool swapped = NextRandom() % 2 != 0;
    group[at] = swapped ? b : a;
    group[at + 1] = swapped ? a : b;
    return group;
}
