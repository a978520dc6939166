#include "history/session_record_builder.h"

#include <ctime>

#include "history/text_alignment.h"
#include "scoring/results_rows.h"
#include "scoring/score_tally.h"
#include "settings/settings.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (month 1 to 12).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int64_t SecondsOf(const std::tm& t) {
    return DaysFromCivil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday) * 86400 + t.tm_hour * 3600 +
           t.tm_min * 60 + t.tm_sec;
}

}  // namespace

int32_t LocalUtcOffsetMinutes(int64_t utcSeconds) {
    const auto t = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    std::tm utc{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0 || gmtime_s(&utc, &t) != 0) return 0;
#else
    if (!localtime_r(&t, &local) || !gmtime_r(&t, &utc)) return 0;
#endif
    return static_cast<int32_t>((SecondsOf(local) - SecondsOf(utc)) / 60);
}

SessionRecord MakeSessionRecord(const ScoreTally& tally, const CSettings& settings,
                                const SessionEnd& end) {
    SessionRecord r = SnapshotSession(tally, settings, end);
    AlignSessionTexts(r);
    return r;
}

void AlignSessionTexts(SessionRecord& r) {
    const TextAlignment alignment = AlignTexts(r.sentText, r.copyText);
    r.alignedAccuracyPercent = alignment.AccuracyPercent();
    r.confusions = alignment.Confusions();
}

SessionRecord SnapshotSession(const ScoreTally& tally, const CSettings& settings,
                              const SessionEnd& end) {
    SessionRecord r;
    r.startUtcSeconds = end.startUtcSeconds;
    r.utcOffsetMinutes = LocalUtcOffsetMinutes(end.startUtcSeconds);
    r.durationSeconds = end.durationSeconds;
    r.source = settings.m_nSource;
    if (r.source == SOURCE_KOCH || r.source == SOURCE_WEAK_CHARACTERS ||
        r.source == SOURCE_CHARSET) {
        r.lessonCharacters = settings.GetActiveCharacters();
        if (r.source != SOURCE_CHARSET) r.lessonSize = static_cast<int32_t>(r.lessonCharacters.size());
    }
    r.wordSpeedCpm = settings.m_keying.wordSpeedCpm;
    r.charSpeedCpm = settings.m_keying.charSpeedCpm;
    r.dashPitchHz = settings.m_keying.pitch;
    r.dotPitchHz = settings.m_keying.secondPitch;
    r.correctTotal = tally.correctTotal;
    r.wrongTotal = tally.wrongTotal;
    r.accuracyPercent = AccuracyPercent(r.correctTotal, r.wrongTotal);
    for (int ch = 1; ch <= 255; ++ch) {
        const int32_t correct = tally.correct[ch];
        const int32_t wrong = tally.wrong[ch];
        if (correct != 0 || wrong != 0)
            r.characters.push_back({static_cast<unsigned char>(ch), correct, wrong});
    }
    r.sentText = end.sentText;
    r.copyText = end.copyText;
    return r;
}
