#pragma once
// The practice items of the generated sources: a random group of lesson characters, a prosign
// alone, a vocabulary word or a random line of the line file, each followed by one space.
// Both functions run on the session thread and draw from its random generator.

#include <string>

struct ScoreTally;

// The weighted character pool for the next group: the lesson characters plus extra copies of
// the newest ones (Koch and weak-character sources, learning mode) and of characters copied
// badly so far in the session; for the weak-character source also the extra copies of the plan
// in force (WeakCharacterPlanInForce). Empty unless "Source" is the Koch, the character-set or
// the weak-character source; without the session's weights while the session is being recorded
// or the lesson has 5 characters or fewer.
std::string BuildPool(const ScoreTally& tally, bool recording);

// The next item of the current source, drawn from the pool for generated groups; for the
// weak-character source a group may hold a confused pair of the plan side by side.
std::string NextItem(const std::string& pool);
