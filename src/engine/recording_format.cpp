#include "engine/recording_format.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr std::array<RecordingFormatInfo, kRecordingFormatCount> kFormats = {{
    {RecordingFormat::Wav, "WAV", ".wav", false},
    {RecordingFormat::Mp3, "MP3", ".mp3", true},
    {RecordingFormat::OggVorbis, "Ogg Vorbis", ".ogg", true},
    {RecordingFormat::Opus, "Opus", ".opus", true},
    {RecordingFormat::Flac, "FLAC", ".flac", false},
}};

static_assert([] {
    for (size_t i = 0; i < kFormats.size(); ++i)
        if (static_cast<size_t>(kFormats[i].format) != i) return false;
    return true;
}());

std::string LowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::span<const RecordingFormatInfo> RecordingFormats() {
    return kFormats;
}

const RecordingFormatInfo& FormatInfo(RecordingFormat format) {
    return kFormats[static_cast<size_t>(format)];
}

RecordingFormat RecordingFormatFromNumber(int32_t number) {
    return number >= 0 && static_cast<size_t>(number) < kFormats.size()
               ? static_cast<RecordingFormat>(number)
               : RecordingFormat::Wav;
}

std::optional<RecordingFormat> RecordingFormatFromPath(const std::string& pathUtf8) {
    const size_t slash = pathUtf8.find_last_of("/\\");
    const size_t dot = pathUtf8.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    const std::string extension = LowerAscii(pathUtf8.substr(dot));
    if (extension == ".oga") return RecordingFormat::OggVorbis;
    for (const RecordingFormatInfo& info : kFormats)
        if (extension == info.extension) return info.format;
    return {};
}
