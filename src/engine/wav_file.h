#pragma once
// The WAV file of a recording: PCM, one channel, 22,050 samples per second, 16-bit. The file is
// written samples first (from offset 44) and its 44-byte header last, once the final length is
// known. Until it is finished the file object is the sound engine's sample sink.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/recording_file.h"

constexpr size_t kWavHeaderBytes = 44;

// The header for dataBytes bytes of samples, little-endian: "RIFF", file length - 8, "WAVE",
// "fmt " chunk of 16 bytes (PCM, 1 channel, 22050 Hz, 44100 bytes/s, block 2, 16 bits), "data",
// dataBytes. dataBytes must be at most UINT32_MAX - 36 (the RIFF size is a 32-bit field).
std::array<uint8_t, kWavHeaderBytes> BuildWavHeader(uint32_t dataBytes);

class WavRecordingFile : public RecordingFile {
public:
    // Creates the file (replacing an existing one) for reading and writing and positions it at
    // the first sample. Returns null and sets err to the errno value when it cannot be created.
    static std::unique_ptr<WavRecordingFile> Create(const std::string& pathUtf8, int& err);
    // A file not finished successfully is discarded: a half-written recording never stays.
    ~WavRecordingFile() override;
    WavRecordingFile(const WavRecordingFile&) = delete;
    WavRecordingFile& operator=(const WavRecordingFile&) = delete;

    // Appends samples; throws SinkWriteError when they could not all be written.
    void WriteSamples(const void* bytes, size_t n) override;
    int WriteError() const override { return m_nWriteError; }

    // Writes the header with the sizes taken from the final position and closes the file.
    // Returns 0, or the errno value of the first failure (a buffered write that fails only at
    // the flush or the close counts; so does a file that is gone or shorter than written when
    // it has been closed). The file is closed either way; after a failure it is still deleted
    // by Discard or the destructor.
    int Finish() override;
    void Discard() override;

    const std::string& PathUtf8() const override { return m_strPath; }

private:
    WavRecordingFile(FILE* file, std::string pathUtf8, bool regularFile);
    // Closes the file; returns 0 or the errno value of a failed flush or close.
    int CloseFile();

    FILE* m_pFile;
    std::string m_strPath;
    bool m_bRegularFile;  // deleting a device node on discard would be a disaster
    bool m_bDone = false;
    int m_nWriteError = 0;
    FileSampleSink m_sink;
};

// A path in UTF-8 as the file system's path type, and back (paths stay Unicode end to end).
std::filesystem::path MakeUtf8Path(const std::string& utf8);
std::string Utf8PathString(const std::filesystem::path& path);
// std::fopen for a UTF-8 path (the wide-character open on Windows). Sets errno on failure.
FILE* OpenFileUtf8(const std::string& pathUtf8, const char* mode);
// 0 when the closed file at pathUtf8 holds exactly `written` bytes, else the errno value that
// says why not (EIO for another size): a file deleted or replaced while it was written must not
// be reported as a finished recording.
int CheckWrittenSize(const std::string& pathUtf8, uint64_t written);
// Deletes an unfinished recording; one that is gone already is no error.
void RemoveUnfinished(const std::string& pathUtf8);
