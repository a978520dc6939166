#pragma once
// The file formats a recording can be written in, told apart by the file name's extension.
// WAV is the trainer's own PCM file; the others are encoded by the file writers (libsndfile).

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// Stored in the profile as these numbers: keep them when formats are added.
enum class RecordingFormat : int32_t { Wav = 0, Mp3 = 1, OggVorbis = 2, Opus = 3, Flac = 4 };
constexpr int32_t kRecordingFormatCount = 5;

struct RecordingFormatInfo {
    RecordingFormat format;
    const char* name;       // as a file dialog's filter shows it
    const char* extension;  // the one a typed name without an extension gets, dot included
    bool lossy;             // whether the quality setting applies
};

// Every format, WAV first, in the order of the stored numbers.
std::span<const RecordingFormatInfo> RecordingFormats();
const RecordingFormatInfo& FormatInfo(RecordingFormat format);
// The format a stored number names; WAV for a number no format has.
RecordingFormat RecordingFormatFromNumber(int32_t number);
// The format a file name asks for by its extension, case-insensitive (".oga" is Ogg Vorbis
// too); nothing for another extension or none.
std::optional<RecordingFormat> RecordingFormatFromPath(const std::string& pathUtf8);

// The lossy formats' quality, from the smallest file (0) to the best sound (10).
constexpr int32_t kMinRecordingQuality = 0;
constexpr int32_t kMaxRecordingQuality = 10;
constexpr int32_t kDefaultRecordingQuality = 5;
