#include "scoring/score_tally.h"

void ScoreTally::Clear() {
    for (int i = 0; i < 256; ++i) {
        correct[i] = 0;
        wrong[i] = 0;
    }
    correctTotal = 0;
    wrongTotal = 0;
    copyOffset = 0;
    sentOffset = 0;
}
