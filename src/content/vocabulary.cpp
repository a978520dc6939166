#include "content/vocabulary.h"

#include <algorithm>
#include <mutex>
#include <string_view>

#include "content/random.h"
#include "res/common_words.h"
#include "settings/settings.h"

std::vector<std::string> g_commonWords;
std::vector<std::string> g_abbreviations;
std::vector<std::string> g_qCodes;

namespace {

constexpr std::string_view kAbbreviations =
    "73 88 AA AB ABT ADS AGN ANT BK BN BUG C CBA CFM CLG CQ CQD CS CUAGN CUL CUZ CW CX DE DSW DX "
    "ES FB FCC FER FM FREQ GA GE GM GND GUD HIHI HR HV LID MILS NIL NR OB OC OM OO OOTC OP OT OTC "
    "PSE PWR QCWA R RCVR RIG RPRT RPT RST RTTY RX SAE SASE SED SEZ SIG SIGS SKED SMS SN SRI STN "
    "TEMP TMW TNX TU TX U UR URS VY W WDS WKD WL WUD WX XMTR XYL YL";

constexpr std::string_view kQCodes =
    "QRL QRM QRN QRO QRP QRQ QRS QRT QRV QRX QRZ QSB QSL QSO QSY QTH QTR";

// Room reserved at a time while the word list is read.
constexpr size_t kReserveStep = 1000;

bool IsSeparator(char ch) {
    return ch == ' ' || ch == '\r' || ch == '\n' || ch == '\t';
}

void AppendTokens(std::vector<std::string>& array, std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsSeparator(text[pos])) ++pos;
        const size_t start = pos;
        while (pos < text.size() && !IsSeparator(text[pos])) ++pos;
        if (pos > start) {
            if (array.size() == array.capacity()) array.reserve(array.size() + kReserveStep);
            array.emplace_back(text.substr(start, pos - start));
        }
    }
}

std::once_flag g_loadOnce;

}  // namespace

void LoadVocabulary(std::vector<std::string>& array, int id) {
    switch (id) {
        case VOCABULARY_COMMON_WORDS:
            AppendTokens(array, std::string_view(reinterpret_cast<const char*>(g_commonWordsBytes),
                                                 g_commonWordsByteCount));
            break;
        case VOCABULARY_ABBREVIATIONS:
            AppendTokens(array, kAbbreviations);
            break;
        case VOCABULARY_Q_CODES:
            AppendTokens(array, kQCodes);
            break;
        default:
            break;
    }
}

std::string NextVocabularyItem() {
    std::call_once(g_loadOnce, [] {
        LoadVocabulary(g_commonWords, VOCABULARY_COMMON_WORDS);
        LoadVocabulary(g_abbreviations, VOCABULARY_ABBREVIATIONS);
        LoadVocabulary(g_qCodes, VOCABULARY_Q_CODES);
    });

    // Read once: the interface thread may change the source while a session runs.
    const int source = g_settings.m_nSource;
    if ((source & SOURCE_VOCABULARY_MASK) == 0) return " ";

    const std::vector<std::string>* chosen = nullptr;
    size_t limit = 0;
    while (chosen == nullptr) {
        switch (NextRandom() % 3) {
            case 0:
                if (source & SOURCE_WORDS) {
                    chosen = &g_commonWords;
                    // A stored "Words to use" beyond the list must not index past it.
                    const int wordsToUse = g_settings.m_nWordsToUse;
                    limit = wordsToUse > 0 ? static_cast<size_t>(wordsToUse) : 0;
                }
                break;
            case 1:
                if (source & SOURCE_ABBREVIATIONS) chosen = &g_abbreviations;
                break;
            default:
                if (source & SOURCE_Q_CODES) chosen = &g_qCodes;
                break;
        }
    }
    if (limit == 0 || limit > chosen->size()) limit = chosen->size();
    return (*chosen)[static_cast<size_t>(NextRandom()) % limit] + " ";
}
