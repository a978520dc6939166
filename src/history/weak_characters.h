#pragma once
// The weak-character source: groups drawn like the Koch groups, weighted by the learner's
// history. Characters of the lesson copied worst over the last sessions get extra copies in the
// pool, and pairs the learner confuses are placed side by side in some groups. With no history
// the plan is empty and the source draws exactly like the Koch source.

#include <string>
#include <utility>
#include <vector>

#include "history/session_record.h"

struct WeakCharacterPlan {
    // Lesson characters to add to the pool, each as often as it stands here (worst first).
    std::string extraCopies;
    // Confused characters of the lesson, most often confused first (lesson bytes).
    std::vector<std::pair<char, char>> pairs;

    bool operator==(const WeakCharacterPlan&) const = default;
};

// Below this accuracy over the last sessions a lesson character counts as weak.
constexpr double kWeakCharacterAccuracyPercent = 90.0;
// How many of the newest sessions the plan is made from.
constexpr int kWeakCharacterSessions = 20;

// The plan for a lesson (Koch-ordered lesson bytes, as GetActiveCharacters gives them) from the
// given sessions (the newest ones).
WeakCharacterPlan PlanWeakCharacters(const std::vector<SessionRecord>& sessions,
                                     const std::string& lesson);

// The plan the generator uses for the weak-character source. The interface thread sets it before
// a session starts; the session thread reads it for every item.
void SetWeakCharacterPlan(WeakCharacterPlan plan);
WeakCharacterPlan WeakCharacterPlanInForce();

// The group (a generated item, ending in a space) with one confused pair written over two
// neighbouring characters, in either order, on one draw in two; unchanged without pairs, for a
// group of fewer than two characters or one holding parentheses or a prosign. Only pairs whose
// characters are both in the pool are used. Draws from the thread's random generator only when
// there is a pair to place.
std::string PlaceConfusedPair(std::string group, const std::string& pool,
                              const std::vector<std::pair<char, char>>& pairs);
