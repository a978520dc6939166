#pragma once
// What the progress window shows, worked out from the stored sessions (oldest first, as the
// store returns them): accuracy over time, per-character accuracy and its change, and which
// characters the learner confuses.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "history/session_record.h"

struct AccuracyPoint {
    int64_t sessionId = 0;
    int64_t startUtcSeconds = 0;
    double accuracyPercent = 0;  // the live score
    int32_t source = 0;
    int32_t lessonSize = 0;  // 0 outside the Koch-ordered sources
};

// One point per session, in the sessions' order.
std::vector<AccuracyPoint> AccuracyOverTime(const std::vector<SessionRecord>& sessions);

struct CharacterProgress {
    unsigned char ch = 0;  // the lesson byte
    int32_t correct = 0;   // over the last sessions
    int32_t wrong = 0;
    int32_t earlierCorrect = 0;  // over the same number of sessions before those
    int32_t earlierWrong = 0;

    bool HasData() const { return correct + wrong > 0; }
    bool HasEarlierData() const { return earlierCorrect + earlierWrong > 0; }
    double AccuracyPercent() const;
    double EarlierAccuracyPercent() const;
    // Percentage points gained since the earlier sessions; 0 without data on both sides.
    double ChangePercent() const;
};

// Every character of the lesson (duplicates once) over the last `recent` sessions, worst first
// (equal accuracies in lesson order); characters not sent in them come last, in lesson order.
std::vector<CharacterProgress> CharacterAccuracy(const std::vector<SessionRecord>& sessions,
                                                 const std::string& lesson, size_t recent);

// Sent x copied counts of the confusions of the last sessions.
struct ConfusionMatrix {
    std::vector<unsigned char> sent;    // rows, ascending byte
    std::vector<unsigned char> copied;  // columns, ascending byte
    std::vector<int32_t> counts;        // row-major, sent.size() x copied.size()

    int32_t At(size_t row, size_t column) const { return counts[row * copied.size() + column]; }
    // The cells with a count, strongest first (then by sent, then copied byte), at most n.
    std::vector<Confusion> Strongest(size_t n) const;
};

ConfusionMatrix BuildConfusionMatrix(const std::vector<SessionRecord>& sessions, size_t recent);
