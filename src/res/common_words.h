#pragma once
// The common-words list, compiled into the program from res/common_words.txt: 1001 English
// words in lower case (but "I"), most frequent first, separated by single spaces and two line
// breaks (CR LF). The bytes carry no terminating zero; read exactly g_commonWordsByteCount.

#include <cstddef>

extern const unsigned char g_commonWordsBytes[];
extern const std::size_t g_commonWordsByteCount;
