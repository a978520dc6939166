#pragma once
// When the Koch course moves on: after a Koch session whose accuracy and the newest character's
// accuracy both reach the threshold, the learner is offered the next lesson, which adds the next
// character of the Koch-ordered set.

#include <cstdint>
#include <string>

#include "history/session_record.h"

// The threshold a learner starts with, in percent.
constexpr int kDefaultKochAdvanceThresholdPercent = 90;
constexpr int kMinKochAdvanceThresholdPercent = 50;
constexpr int kMaxKochAdvanceThresholdPercent = 100;

struct KochAdvice {
    bool offerNextLesson = false;
    int32_t nextLessonSize = 0;     // "Characters used" once accepted
    unsigned char newCharacter = 0;  // the byte the next lesson adds (as in the set string)
};

// The advice after the session. kochOrderedSet is the set string in Koch order
// (CharacterSet::BuildSetString(true)) of the set in use. Never offered for another source, for
// a session in which the newest character was not sent, or past the end of the set.
KochAdvice AdviseNextLesson(const SessionRecord& session, const std::string& kochOrderedSet,
                            int thresholdPercent);
