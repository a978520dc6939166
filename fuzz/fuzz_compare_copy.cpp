// Copy scoring. The input gives the sent text, the copy text and the growth steps: the
// comparison runs incrementally on growing prefixes of both texts (as the sender sends and the
// learner types), then once finally on the whole texts. After every call the correct total is
// the sum of the per-character counts, the wrong total is at least the sum of its counts (extra
// copy characters have no entry), and neither offset is negative or past its text.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_support.h"
#include "scoring/compare_copy.h"
#include "scoring/score_tally.h"

namespace {

void CheckTally(const ScoreTally& tally, std::size_t copyLength, std::size_t sentLength) {
    long long correct = 0, wrong = 0;
    for (int i = 0; i < 256; ++i) {
        FUZZ_CHECK(tally.correct[i] >= 0 && tally.wrong[i] >= 0);
        correct += tally.correct[i];
        wrong += tally.wrong[i];
    }
    FUZZ_CHECK(tally.correctTotal == correct);
    FUZZ_CHECK(tally.wrongTotal >= wrong);
    FUZZ_CHECK(tally.copyOffset >= 0 && static_cast<std::size_t>(tally.copyOffset) <= copyLength);
    FUZZ_CHECK(tally.sentOffset >= 0 && static_cast<std::size_t>(tally.sentOffset) <= sentLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string sent = provider.ConsumeRandomLengthString(4096);
    const std::string copy = provider.ConsumeRandomLengthString(4096);

    static ScoreTally tally;  // large: kept out of the stack frame
    tally.Clear();
    std::size_t sentLength = 0, copyLength = 0;
    while (provider.remaining_bytes() > 0 &&
           (sentLength < sent.size() || copyLength < copy.size())) {
        sentLength = std::min(sent.size(), sentLength + provider.ConsumeIntegralInRange(0, 8));
        copyLength = std::min(copy.size(), copyLength + provider.ConsumeIntegralInRange(0, 8));
        CompareCopy(tally, copy.substr(0, copyLength), sent.substr(0, sentLength), false);
        CheckTally(tally, copyLength, sentLength);
    }
    CompareCopy(tally, copy, sent, true);
    CheckTally(tally, copy.size(), sent.size());
    return 0;
}
