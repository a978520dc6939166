#include "history/history_test_records.h"

#include <map>
#include <random>
#include <string>

#include "history/text_alignment.h"
#include "settings/settings.h"

namespace {

constexpr char kKochOrder[] = "kmrsuaptlowi.njef0yv,g5/q9zh38b?427c1d6x";

}  // namespace

SessionRecord GeneratedSession(int index) {
    std::mt19937 rng(static_cast<uint32_t>(index) * 7919u + 1u);
    SessionRecord r;
    r.startUtcSeconds = 1'700'000'000 + int64_t{index} * 5 * 3600;
    r.utcOffsetMinutes = 480;
    r.durationSeconds = 300;
    r.source = SOURCE_KOCH;
    r.lessonSize = 2 + index / 5 % 39;
    r.lessonCharacters = std::string(kKochOrder, static_cast<size_t>(r.lessonSize));
    r.wordSpeedCpm = 60;
    r.charSpeedCpm = 90 + index % 3 * 5;
    r.dashPitchHz = 700;
    r.dotPitchHz = 700;

    // 60 groups of five, copied with about one character in twenty-five garbled or missed.
    for (int g = 0; g < 60; ++g) {
        std::string group;
        for (int k = 0; k < 5; ++k) group += r.lessonCharacters[rng() % r.lessonCharacters.size()];
        r.sentText += group + ' ';
        for (char c : group) {
            const unsigned roll = rng() % 25;
            if (roll == 0) continue;
            r.copyText += roll == 1 ? r.lessonCharacters[rng() % r.lessonCharacters.size()] : c;
        }
        r.copyText += ' ';
    }
    const TextAlignment alignment = AlignTexts(r.sentText, r.copyText);
    std::map<unsigned char, CharacterCounts> counts;
    for (const AlignedPair& p : alignment.pairs) {
        if (p.sent < 0) continue;
        CharacterCounts& c = counts[alignment.sent[static_cast<size_t>(p.sent)].ch];
        c.ch = alignment.sent[static_cast<size_t>(p.sent)].ch;
        ++(p.mark == AlignmentMark::Correct ? c.correct : c.wrong);
    }
    for (const auto& [ch, c] : counts) r.characters.push_back(c);
    r.correctTotal = alignment.correct;
    r.wrongTotal = alignment.wrong + alignment.missing + alignment.extra;
    r.accuracyPercent = alignment.AccuracyPercent();
    r.alignedAccuracyPercent = alignment.AccuracyPercent();
    r.confusions = alignment.Confusions();
    return r;
}
