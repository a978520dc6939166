#pragma once
// The three built-in vocabularies: common English words, radio abbreviations and Q codes. Each
// item is sent as written, whatever the character set says.

#include <string>
#include <vector>

// Resource ids of the vocabularies.
constexpr int VOCABULARY_COMMON_WORDS = 8192;
constexpr int VOCABULARY_ABBREVIATIONS = 560;
constexpr int VOCABULARY_Q_CODES = 561;

// Filled on the first call of NextVocabularyItem and kept for the whole run.
extern std::vector<std::string> g_commonWords;
extern std::vector<std::string> g_abbreviations;
extern std::vector<std::string> g_qCodes;

// One entry followed by a space. Each vocabulary enabled in the live "Source" is chosen with
// equal chance, then an entry within it (common words: only the first "Words to use"). Draws
// from the calling thread's random generator. Returns a single space when "Source" holds no
// vocabulary bit.
std::string NextVocabularyItem();

// Appends the entries of vocabulary id (split at runs of spaces, CR, LF and tabs) to array. An
// unknown id appends nothing.
void LoadVocabulary(std::vector<std::string>& array, int id);
