#include "writers/create_recording_file.h"

#include "engine/wav_file.h"
#include "writers/sndfile_recording_file.h"

std::unique_ptr<RecordingFile> CreateRecordingFile(const std::string& pathUtf8,
                                                   RecordingFormat format, int quality, int& err) {
    if (format == RecordingFormat::Wav) return WavRecordingFile::Create(pathUtf8, err);
    return SndfileRecordingFile::Create(pathUtf8, format, quality, err);
}
