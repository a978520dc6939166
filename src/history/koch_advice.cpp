#include "history/koch_advice.h"

#include "content/codepage.h"
#include "content/practice_source.h"
#include "scoring/results_rows.h"

KochAdvice AdviseNextLesson(const SessionRecord& session, const std::string& kochOrderedSet,
                            int thresholdPercent) {
    KochAdvice advice;
    const auto lessonSize = static_cast<size_t>(session.lessonSize);
    if (session.source != SOURCE_KOCH || session.lessonCharacters.empty() ||
        lessonSize >= kochOrderedSet.size())
        return advice;
    const double threshold = thresholdPercent;
    if (session.correctTotal + session.wrongTotal == 0 || session.accuracyPercent < threshold)
        return advice;

    // The tally counts upper-cased bytes; the lesson holds the set's own.
    const unsigned char newest =
        codepage::ToUpper(static_cast<unsigned char>(session.lessonCharacters.back()));
    for (const CharacterCounts& c : session.characters) {
        if (c.ch != newest) continue;
        if (c.correct + c.wrong == 0 || AccuracyPercent(c.correct, c.wrong) < threshold) break;
        advice.offerNextLesson = true;
        advice.nextLessonSize = static_cast<int32_t>(lessonSize + 1);
        advice.newCharacter = static_cast<unsigned char>(kochOrderedSet[lessonSize]);
        break;
    }
    return advice;
}
