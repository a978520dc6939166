#include "engine/interference_text.h"

#include <string_view>
#include <vector>

#include "content/codepage.h"
#include "content/vocabulary.h"
#include "engine/signal_conditions.h"

namespace {

struct Vocabularies {
    std::vector<std::string> words, abbreviations, qCodes;
};

// Loaded once, on first use; read-only afterwards, so any playback thread may read them.
const Vocabularies& Lists() {
    static const Vocabularies lists = [] {
        Vocabularies v;
        LoadVocabulary(v.words, VOCABULARY_COMMON_WORDS);
        LoadVocabulary(v.abbreviations, VOCABULARY_ABBREVIATIONS);
        LoadVocabulary(v.qCodes, VOCABULARY_Q_CODES);
        for (auto* list : {&v.words, &v.abbreviations, &v.qCodes})
            for (std::string& item : *list) codepage::MakeLower(item);
        return v;
    }();
    return lists;
}

const std::string& Pick(ConditionsRandom& random, const std::vector<std::string>& list) {
    static const std::string kNothing;
    return list.empty() ? kNothing : list[static_cast<size_t>(random.Below(int(list.size())))];
}

char Letter(ConditionsRandom& random) {
    return static_cast<char>('a' + random.Below(26));
}

// Joins words with single spaces.
void Append(std::string& text, std::string_view word) {
    if (word.empty()) return;
    if (!text.empty()) text += ' ';
    text += word;
}

std::string Words(ConditionsRandom& random) {
    std::string text;
    for (int n = 3 + random.Below(6); n > 0; --n) Append(text, Pick(random, Lists().words));
    return text;
}

std::string ContactExchange(ConditionsRandom& random, const std::string& ownCall) {
    static constexpr std::string_view kReports[] = {"5nn", "599", "579", "559", "449"};
    const Vocabularies& lists = Lists();
    std::string text;
    switch (random.Below(4)) {
        case 0:  // calling
            Append(text, "cq cq cq de");
            Append(text, ownCall);
            Append(text, ownCall);
            Append(text, "k");
            break;
        case 1: {  // a report to the station it works
            const std::string report(kReports[random.Below(std::size(kReports))]);
            Append(text, RandomCallsign(random));
            Append(text, "de");
            Append(text, ownCall);
            Append(text, "ur rst");
            Append(text, report);
            Append(text, report);
            Append(text, "bk");
            break;
        }
        case 2:  // chatting
            for (int n = 2 + random.Below(4); n > 0; --n)
                Append(text,
                       Pick(random, random.Below(3) == 0 ? lists.qCodes : lists.abbreviations));
            Append(text, "k");
            break;
        default:  // signing off
            Append(text, "tnx fer qso 73 de");
            Append(text, ownCall);
            Append(text, "sk");
            break;
    }
    return text;
}

}  // namespace

std::string RandomCallsign(ConditionsRandom& random) {
    std::string call(1, Letter(random));
    if (random.Below(2) == 0) call += Letter(random);
    call += static_cast<char>('0' + random.Below(10));
    for (int n = 1 + random.Below(3); n > 0; --n) call += Letter(random);
    return call;
}

std::string NextTransmission(ConditionsRandom& random, int textKind, const std::string& ownCall) {
    return textKind == kInterferenceWords ? Words(random) : ContactExchange(random, ownCall);
}
