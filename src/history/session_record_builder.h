#pragma once
// The history record of a session that has just reached its results, made from the session's
// tally, the pane texts and the settings it ran with.

#include <cstdint>
#include <string>

#include "history/session_record.h"

struct ScoreTally;
class CSettings;

struct SessionEnd {
    std::string sentText;  // the output pane, Windows-1252
    std::string copyText;  // the copy pane, Windows-1252
    int64_t startUtcSeconds = 0;
    int32_t durationSeconds = 0;
};

// Everything the history keeps: the settings' source, lesson, speeds and pitches, the tally's
// totals and per-character counts, and the whole-text alignment's accuracy and confusions.
SessionRecord MakeSessionRecord(const ScoreTally& tally, const CSettings& settings,
                                const SessionEnd& end);

// The same in two steps, for a caller that keeps the interface thread short: the snapshot reads
// the tally and the settings (cheap, on the thread that owns them); aligning the texts costs
// about 0.1 s for an hour at 18 WPM and may run on the history's own thread.
SessionRecord SnapshotSession(const ScoreTally& tally, const CSettings& settings,
                              const SessionEnd& end);
void AlignSessionTexts(SessionRecord& record);

// Local time minus UTC at that moment, in minutes, by the system's time zone rules.
int32_t LocalUtcOffsetMinutes(int64_t utcSeconds);
