#pragma once
// The file names a recording suggests, and the sent text as it goes into the text file saved
// beside the WAV file.

#include <cstddef>
#include <string>

// The WAV file name offered for a recording (UTF-8). A text-file source with a known path gives
// that path with its extension replaced by ".wav"; the Koch source gives
// "Morse code CC WW SS.wav" (characters used, word speed, character speed), every other source
// "Morse code WW SS.wav". Speeds are stored in CPM and shown in WPM (CPM / 5) when wpmUnit is on.
std::string DefaultRecordingName(int source, const std::string& textFilePathUtf8,
                                 int charactersUsed, int wordSpeedCpm, int charSpeedCpm,
                                 bool wpmUnit);

// path with the extension of its file name (from the file name's last ".") replaced by
// newExtension (with its dot), or newExtension appended when the file name has none. Dots in
// folder names are left alone.
std::string ReplaceFileExtension(const std::string& pathUtf8, const std::string& newExtension);

// Line width of the saved sent text.
constexpr size_t kSentTextLineWidth = 80;

// Breaks text into lines of at most `width` characters, ended by CR LF (the last line has no
// terminator). A line is broken at the last space that keeps it within the width, and that
// space becomes the CR LF. A stretch of more than `width` characters without a space is cut
// hard after `width` characters, nothing being removed. Text of at most `width` characters is
// returned as it is.
std::string BreakIntoLines(const std::string& text, size_t width = kSentTextLineWidth);
