#include "content/generator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "content/codepage.h"
#include "content/random.h"
#include "content/text_sources.h"
#include "content/vocabulary.h"
#include "history/weak_characters.h"
#include "scoring/score_tally.h"
#include "settings/settings.h"

namespace {

// Below this accuracy (in percent) a character counts as weak and gets extra copies.
constexpr double kWeakAccuracy = 90.0;
// Bound on group lengths read from the settings. The options page allows 2 to 10; the bound
// only keeps an absurd stored value from building a huge group.
constexpr int kLongestGroup = 100;
// Code of the parentheses among the prosign codes 1 to 15.
constexpr unsigned char kBracketCode = 1;

bool IsProsignCode(unsigned char ch) {
    return ch >= 1 && ch <= 15;
}

// Extra copies for a pool of n characters: ceil(n * share) - 1, computed in double.
size_t ExtraCopies(size_t n, double share) {
    return static_cast<size_t>(std::ceil(static_cast<double>(n) * share)) - 1;
}

struct TallyEntry {
    unsigned char m_ch;
    double m_dAccuracy;  // percent correct
};

// The characters of the session's tally, by ascending accuracy; equal accuracies keep
// ascending byte order.
std::vector<TallyEntry> CharactersByAccuracy(const ScoreTally& tally) {
    std::vector<TallyEntry> entries;
    for (int ch = 1; ch <= 254; ++ch) {
        // Each count is read once: the interface thread may be updating them.
        const int32_t good = tally.correct[ch];
        const int32_t bad = tally.wrong[ch];
        if (good == 0 && bad == 0) continue;
        const double accuracy = good * 100.0 / (static_cast<double>(good) + bad);
        const auto place = std::upper_bound(
            entries.begin(), entries.end(), accuracy,
            [](double value, const TallyEntry& entry) { return value < entry.m_dAccuracy; });
        entries.insert(place, {static_cast<unsigned char>(ch), accuracy});
    }
    return entries;
}

// What kinds of byte a pool holds: a draw loop that can only meet prosign codes must know when
// no further draw can finish the group.
struct PoolKinds {
    bool m_bOrdinary = false;   // a character that goes into the group
    bool m_bBracket = false;    // the parentheses code
    bool m_bOtherCode = false;  // a prosign code other than the parentheses
};

PoolKinds ClassifyPool(const std::string& pool) {
    PoolKinds kinds;
    for (char c : pool) {
        const auto ch = static_cast<unsigned char>(c);
        if (!IsProsignCode(ch))
            kinds.m_bOrdinary = true;
        else if (ch == kBracketCode)
            kinds.m_bBracket = true;
        else
            kinds.m_bOtherCode = true;
    }
    return kinds;
}

// A random group of minLen to maxLen characters from the pool, a prosign code alone, or a
// group in parentheses.
std::string NextGroup(const std::string& pool, int minLen, int maxLen) {
    const PoolKinds kinds = ClassifyPool(pool);
    int target = minLen + NextRandom() % (maxLen - minLen + 1);
    std::string group;
    int count = 0;
    bool bracketed = false;
    while (count < target) {
        const auto ch = static_cast<unsigned char>(pool[NextRandom() % pool.size()]);
        if (!IsProsignCode(ch)) {
            group += static_cast<char>(ch);
            ++count;
        } else if (ch == kBracketCode) {
            if (!bracketed) {
                // The two parentheses take the room of three characters.
                bracketed = true;
                if (target < 4) target += 2;
                count += 3;
            } else if (!kinds.m_bOrdinary && !kinds.m_bOtherCode) {
                break;  // only the parentheses code left to draw: the group cannot grow
            }
        } else {
            bracketed = false;
            // A prosign is sent alone, and only when drawn in the first half of a group (or
            // when the pool offers nothing else that could fill the group).
            if (count < target / 2 || (!kinds.m_bOrdinary && !kinds.m_bBracket))
                return std::string(1, static_cast<char>(ch)) + ' ';
        }
    }
    if (bracketed) {
        const size_t inner = static_cast<size_t>(std::max(maxLen - 2, 0));
        group = '(' + group.substr(0, inner) + ')';
    }
    return group + ' ';
}

// The weak-character source's extra copies of the characters the history shows as weak, as far
// as they are still in the lesson.
std::string HistoryCopies(const std::string& lesson) {
    std::string copies;
    for (char c : WeakCharacterPlanInForce().extraCopies)
        if (lesson.find(c) != std::string::npos) copies += c;
    return copies;
}

// The pool of the Koch-lesson and character-set sources, weighted by this session's tally.
std::string SessionWeightedPool(const ScoreTally& tally, bool recording, int source,
                                const std::string& lesson) {
    std::string pool = lesson;
    const size_t n = pool.size();
    if (n <= 5 || recording) return pool;

    // In a Koch lesson in the learning mode the two newest characters come up more often.
    const bool favourNew =
        !g_settings.m_bPracticeMode && (source == SOURCE_KOCH || source == SOURCE_WEAK_CHARACTERS);
    const char newest = pool[n - 1];
    const char second = pool[n - 2];
    if (favourNew) {
        pool.append(ExtraCopies(n, 0.2), newest);
        pool.append(ExtraCopies(n, 0.1), second);
    }

    // Characters copied badly so far come up more often. The tally counts upper-cased bytes.
    const size_t weakCopies = ExtraCopies(n, 0.1);
    for (const TallyEntry& entry : CharactersByAccuracy(tally)) {
        const char lower = static_cast<char>(codepage::ToLower(entry.m_ch));
        if (lower == ' ' || entry.m_dAccuracy >= kWeakAccuracy) continue;
        if (favourNew && (lower == newest || lower == second)) continue;
        pool.append(weakCopies, lower);
    }
    return pool;
}

}  // namespace

std::string BuildPool(const ScoreTally& tally, bool recording) {
    const int source = g_settings.m_nSource;
    if (source != SOURCE_KOCH && source != SOURCE_CHARSET && source != SOURCE_WEAK_CHARACTERS)
        return {};
    const std::string lesson = g_settings.GetActiveCharacters();
    std::string pool = SessionWeightedPool(tally, recording, source, lesson);
    // The weak-character source is weighted like a Koch lesson, then by the history (also while
    // recording: the history's weights do not depend on the copy being scored).
    if (source == SOURCE_WEAK_CHARACTERS) pool += HistoryCopies(lesson);
    return pool;
}

std::string NextItem(const std::string& pool) {
    const int source = g_settings.m_nSource;
    if (source & SOURCE_VOCABULARY_MASK) return NextVocabularyItem();
    if (source & SOURCE_LINE_FILE) {
        // Switching to the line file does not stop a running session, so the lines may not
        // have been prepared yet: then the item is a pause, as for an empty pool.
        if (g_textLines.empty()) return " ";
        return g_textLines[static_cast<size_t>(NextRandom()) % g_textLines.size()] + ' ';
    }
    if (pool.empty()) return " ";

    // Stored lengths are not range-checked on load: keep the range non-empty and bounded.
    const int minLen = std::clamp<int>(g_settings.m_nMinWordLength, 1, kLongestGroup);
    const int maxLen = std::clamp<int>(g_settings.m_nMaxWordLength, minLen, kLongestGroup);
    std::string group = NextGroup(pool, minLen, maxLen);
    if (source == SOURCE_WEAK_CHARACTERS)
        group = PlaceConfusedPair(std::move(group), pool, WeakCharacterPlanInForce().pairs);
    return group;
}
