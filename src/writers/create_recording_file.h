#pragma once
// Opens a recording in any of the formats: the WAV file of the core, or a libsndfile encoder.

#include <memory>
#include <string>

#include "engine/recording_file.h"
#include "engine/recording_format.h"

// Creates the file (replacing an existing one). `quality` applies to the lossy formats only.
// Returns null and sets err to the errno value when it cannot be created.
std::unique_ptr<RecordingFile> CreateRecordingFile(const std::string& pathUtf8,
                                                   RecordingFormat format, int quality, int& err);
