#pragma once
// A recording encoded by libsndfile: MP3, Ogg Vorbis, Opus or FLAC, one channel. The samples
// arrive at the trainer's 22,050 per second and are converted to 24,000 for Opus, which takes
// no rate in between. libsndfile writes through our own stream callbacks, so every failed write
// (a full disk) is seen with its errno value, also one libsndfile's encoders would not report.

#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/recording_file.h"
#include "engine/recording_format.h"
#include "writers/resampler.h"

class SndfileRecordingFile : public RecordingFile {
public:
    // Creates the file (replacing an existing one) in `format` (not WAV); `quality`
    // (kMinRecordingQuality..kMaxRecordingQuality) applies to the lossy formats. Returns null
    // and sets err to the errno value when it cannot be created (EIO when the encoder refused).
    static std::unique_ptr<SndfileRecordingFile> Create(const std::string& pathUtf8,
                                                        RecordingFormat format, int quality,
                                                        int& err);
    ~SndfileRecordingFile() override;
    SndfileRecordingFile(const SndfileRecordingFile&) = delete;
    SndfileRecordingFile& operator=(const SndfileRecordingFile&) = delete;

    // Encodes the samples (16-bit little-endian); throws SinkWriteError when the encoded data
    // could not all be written.
    void WriteSamples(const void* bytes, size_t n) override;
    int WriteError() const override { return m_nWriteError; }
    int Finish() override;
    void Discard() override;
    const std::string& PathUtf8() const override { return m_strPath; }

    // The sample rate of the file (the trainer's, or the one it is converted to).
    int32_t FileSampleRate() const { return m_nFileRate; }

    // The stream callbacks' view of the file; public for the C callbacks only.
    struct Stream {
        FILE* file = nullptr;
        int error = 0;  // errno value of the first failed stream operation
    };

private:
    SndfileRecordingFile(std::string pathUtf8, bool regularFile, int32_t fileRate);
    // Hands samples at the file's rate to the encoder; false once anything failed.
    bool Encode(const int16_t* samples, size_t n);
    // The errno value of the first failure so far, or 0.
    int FirstError() const;
    // Flushes and closes the encoder; returns 0 or the errno value of the first failure.
    int CloseEncoder();
    // Closes the encoder and the file; returns 0 or the errno value of the first failure.
    int Close();

    Stream m_stream;
    SNDFILE* m_pSndfile = nullptr;
    std::string m_strPath;
    bool m_bRegularFile;  // deleting a device node on discard would be a disaster
    bool m_bDone = false;
    int m_nWriteError = 0;
    int32_t m_nFileRate;
    std::optional<Resampler> m_resampler;
    std::vector<int16_t> m_samples;  // this call's samples, decoded or converted
    // A sample whose first byte ended the previous call.
    bool m_bHasHalfSample = false;
    uint8_t m_halfSample = 0;
};
