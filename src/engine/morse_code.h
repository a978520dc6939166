#pragma once
// The Morse code table: one Windows-1252 character to its pattern of '.' and '-'.

#include <string>

// Returns the pattern (1 to 9 elements) of a letter, digit, punctuation mark, accented letter or
// prosign code (1 to 15); " " for the space; "" for every byte without Morse code. Upper-case
// letters give the pattern of their lower-case form. Stateless; callable from any thread.
std::string LookupMorseCode(unsigned char ch);
