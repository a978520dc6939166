#pragma once
// The command line of veltrane-render: what to write where, and the practice read straight into
// the trainer's settings, so that a render is a recording made with those settings. Every
// default is the trainer's own for a first start.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/recording_format.h"
#include "settings/settings.h"

struct RenderJob {
    std::string outputPath;  // UTF-8; the format comes from its extension
    RecordingFormat format = RecordingFormat::Wav;
    int quality = kDefaultRecordingQuality;
    std::string textPath;  // where the sent text goes: empty for nowhere, "-" for stdout
    std::string textFile;  // the text-file or line-file source's file (UTF-8)
    std::optional<uint64_t> seed;
    bool progress = true;  // a progress line while stderr is a terminal
};

// Reads the command line into the job and the settings (which hold the defaults beforehand).
// Returns the exit status to end with at once - 0 after --help or --version, 2 for a command
// line that cannot be used, its message written to stderr - or nothing to go on.
std::optional<int> ParseRenderCommandLine(int argc, const char* const* argv, RenderJob& job,
                                          CSettings& settings);
