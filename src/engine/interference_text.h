#pragma once
// What another station on the band sends, one transmission at a time: common words, or the
// calls, reports and abbreviations of a contact. Lower-case Morse characters and spaces only.

#include <string>

#include "engine/conditions_random.h"

// A callsign of the usual shape: a one- or two-letter prefix, a digit, a suffix of one to three
// letters ("g4xyz", "dl1ab", "k3lr").
std::string RandomCallsign(ConditionsRandom& random);

// One transmission of the station `ownCall`: a few common words (kInterferenceWords), or a call,
// a report or some exchange of a contact (kInterferenceContacts). Ends without a space.
std::string NextTransmission(ConditionsRandom& random, int textKind, const std::string& ownCall);
