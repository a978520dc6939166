#pragma once
// What the learner's history keeps: one record per training session that reached its results,
// and one per drill. Texts are Windows-1252 bytes like every practice text inside the program;
// characters are the bytes the copy comparison tallies (upper-cased letters, prosign codes 1 to
// 15, code 1 for both parentheses).

#include <cstdint>
#include <string>
#include <vector>

// One character's counts in a session's tally.
struct CharacterCounts {
    unsigned char ch = 0;
    int32_t correct = 0;
    int32_t wrong = 0;

    bool operator==(const CharacterCounts&) const = default;
};

// A sent character the learner copied as another one, and how often.
struct Confusion {
    unsigned char sent = 0;
    unsigned char copied = 0;
    int32_t count = 0;

    bool operator==(const Confusion&) const = default;
};

struct SessionRecord {
    int64_t id = 0;                // the store's key; 0 until stored
    int64_t startUtcSeconds = 0;   // start, seconds since 1970-01-01 UTC
    int32_t utcOffsetMinutes = 0;  // local time minus UTC at the start (+480 in Beijing)
    int32_t durationSeconds = 0;   // sound keyed, samples / 22050
    int32_t source = 0;            // the "Source" bits of the session
    int32_t lessonSize = 0;        // characters in the lesson (Koch-ordered sources), else 0
    std::string lessonCharacters;  // the lesson (Koch order) or the selected list, else ""
    int32_t wordSpeedCpm = 0;
    int32_t charSpeedCpm = 0;
    int32_t dashPitchHz = 0;
    int32_t dotPitchHz = 0;
    int32_t correctTotal = 0;  // the live score of the session
    int32_t wrongTotal = 0;
    double accuracyPercent = 100.0;         // of the live score
    double alignedAccuracyPercent = 100.0;  // of the whole-text alignment (a fair score for a
                                            // learner who copied far behind)
    std::vector<CharacterCounts> characters;  // ascending byte, only non-zero counts
    std::vector<Confusion> confusions;        // from the whole-text alignment, worst first
    std::string sentText;                     // the output pane at the end
    std::string copyText;                     // the copy pane at the end

    bool operator==(const SessionRecord&) const = default;
};

enum class DrillKind : int32_t {
    Recognition = 1,  // one character at a time, reaction time per answer
    Callsign = 2,     // whole calls at adaptive speed
};

// A character of a recognition drill.
struct DrillCharacter {
    unsigned char ch = 0;
    int32_t hits = 0;
    int32_t misses = 0;
    int32_t medianReactionMs = -1;  // of the hits; -1 when it was never hit

    bool operator==(const DrillCharacter&) const = default;
};

// What a callsign drill reached at one character speed.
struct DrillSpeedScore {
    int32_t charSpeedCpm = 0;
    int32_t calls = 0;
    int32_t correct = 0;
    int32_t score = 0;

    bool operator==(const DrillSpeedScore&) const = default;
};

struct DrillRecord {
    int64_t id = 0;
    DrillKind kind = DrillKind::Recognition;
    int64_t startUtcSeconds = 0;
    int32_t utcOffsetMinutes = 0;
    int32_t durationSeconds = 0;
    std::string lessonCharacters;  // Windows-1252
    int32_t startCharSpeedCpm = 0;
    int32_t endCharSpeedCpm = 0;  // the speed reached
    int32_t score = 0;            // points (callsign drill); hits (recognition drill)
    std::vector<DrillCharacter> characters;   // recognition drill
    std::vector<DrillSpeedScore> speedScores;  // callsign drill, ascending speed

    bool operator==(const DrillRecord&) const = default;
};
