#include "engine/wav_file.h"

#include <cerrno>
#include <cstdint>
#include <system_error>
#include <utility>

#include "engine/audio_format.h"

namespace {

// The header's fixed part: a 16-byte "fmt " chunk, then "data" and its size, 36 bytes of the
// RIFF chunk besides the samples.
constexpr uint32_t kRiffOverhead = kWavHeaderBytes - 8;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kChannels = 1;
constexpr uint16_t kBitsPerSample = 16;

class HeaderWriter {
public:
    explicit HeaderWriter(std::array<uint8_t, kWavHeaderBytes>& bytes) : m_bytes(bytes) {}
    HeaderWriter& Tag(const char (&fourLetters)[5]) {
        for (int i = 0; i < 4; ++i) m_bytes[m_pos++] = static_cast<uint8_t>(fourLetters[i]);
        return *this;
    }
    // Little-endian whatever the host's byte order.
    HeaderWriter& U32(uint32_t value) {
        for (int i = 0; i < 4; ++i) m_bytes[m_pos++] = static_cast<uint8_t>(value >> (8 * i));
        return *this;
    }
    HeaderWriter& U16(uint16_t value) {
        m_bytes[m_pos++] = static_cast<uint8_t>(value);
        m_bytes[m_pos++] = static_cast<uint8_t>(value >> 8);
        return *this;
    }

private:
    std::array<uint8_t, kWavHeaderBytes>& m_bytes;
    size_t m_pos = 0;
};

int ErrnoOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

// The file position as 64 bits: a long recording passes 2 GiB, beyond a 32-bit long.
int64_t Tell64(FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return ftello(file);
#endif
}

bool IsRegularFile(const std::string& pathUtf8) {
    std::error_code error;
    return std::filesystem::is_regular_file(MakeUtf8Path(pathUtf8), error);
}

}  // namespace

std::array<uint8_t, kWavHeaderBytes> BuildWavHeader(uint32_t dataBytes) {
    std::array<uint8_t, kWavHeaderBytes> bytes{};
    HeaderWriter(bytes)
        .Tag("RIFF")
        .U32(dataBytes + kRiffOverhead)
        .Tag("WAVE")
        .Tag("fmt ")
        .U32(16)
        .U16(kFormatPcm)
        .U16(kChannels)
        .U32(audio::kSampleRate)
        .U32(audio::kBytesPerSecond)
        .U16(audio::kBytesPerSample)  // block alignment: one sample of one channel
        .U16(kBitsPerSample)
        .Tag("data")
        .U32(dataBytes);
    return bytes;
}

int CheckWrittenSize(const std::string& pathUtf8, uint64_t written) {
    std::error_code error;
    const auto size = std::filesystem::file_size(MakeUtf8Path(pathUtf8), error);
    if (error) return error.default_error_condition().value();  // as an errno value
    return size == written ? 0 : EIO;
}

void RemoveUnfinished(const std::string& pathUtf8) {
    std::error_code ignored;
    std::filesystem::remove(MakeUtf8Path(pathUtf8), ignored);
}

std::filesystem::path MakeUtf8Path(const std::string& utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8PathString(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

FILE* OpenFileUtf8(const std::string& pathUtf8, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(MakeUtf8Path(pathUtf8).c_str(), wideMode.c_str());
#else
    return std::fopen(pathUtf8.c_str(), mode);
#endif
}

std::unique_ptr<WavRecordingFile> WavRecordingFile::Create(const std::string& pathUtf8, int& err) {
    errno = 0;
    FILE* file = OpenFileUtf8(pathUtf8, "w+b");
    if (!file) {
        err = ErrnoOr(EIO);
        return nullptr;
    }
    if (std::fseek(file, static_cast<long>(kWavHeaderBytes), SEEK_SET) != 0) {
        err = ErrnoOr(EIO);
        const bool regular = IsRegularFile(pathUtf8);
        std::fclose(file);
        std::error_code ignored;
        if (regular) std::filesystem::remove(MakeUtf8Path(pathUtf8), ignored);
        return nullptr;
    }
    err = 0;
    return std::unique_ptr<WavRecordingFile>(
        new WavRecordingFile(file, pathUtf8, IsRegularFile(pathUtf8)));
}

WavRecordingFile::WavRecordingFile(FILE* file, std::string pathUtf8, bool regularFile)
    : m_pFile(file), m_strPath(std::move(pathUtf8)), m_bRegularFile(regularFile), m_sink(file) {}

WavRecordingFile::~WavRecordingFile() {
    if (!m_bDone) Discard();
}

void WavRecordingFile::WriteSamples(const void* bytes, size_t n) {
    if (!m_pFile) throw SinkWriteError(EBADF);  // finished or discarded already
    try {
        m_sink.WriteSamples(bytes, n);
    } catch (const SinkWriteError& error) {
        if (m_nWriteError == 0) m_nWriteError = error.err;
        throw;
    }
}

int WavRecordingFile::CloseFile() {
    if (!m_pFile) return 0;
    errno = 0;
    const bool flushed = std::fflush(m_pFile) == 0;
    const int flushError = ErrnoOr(EIO);
    errno = 0;
    const bool closed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    if (!flushed) return flushError;
    return closed ? 0 : ErrnoOr(EIO);
}

int WavRecordingFile::Finish() {
    if (m_bDone || !m_pFile) return EBADF;
    // Everything buffered goes out first, so that a full disk shows here and not as a short
    // file that claims to be complete.
    errno = 0;
    if (std::fflush(m_pFile) != 0) {
        const int err = ErrnoOr(EIO);
        CloseFile();
        return err;
    }
    errno = 0;
    const int64_t end = Tell64(m_pFile);
    if (end < static_cast<int64_t>(kWavHeaderBytes)) {
        const int err = ErrnoOr(EIO);
        CloseFile();
        return err;
    }
    const uint64_t dataBytes = static_cast<uint64_t>(end) - kWavHeaderBytes;
    if (dataBytes > UINT32_MAX - kRiffOverhead) {
        CloseFile();
        return EFBIG;
    }
    const auto header = BuildWavHeader(static_cast<uint32_t>(dataBytes));
    errno = 0;
    if (std::fseek(m_pFile, 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), m_pFile) != header.size()) {
        const int err = ErrnoOr(EIO);
        CloseFile();
        return err;
    }
    if (const int err = CloseFile(); err != 0) return err;

    if (const int err = CheckWrittenSize(m_strPath, static_cast<uint64_t>(end)); err != 0) return err;
    m_bDone = true;
    return 0;
}

void WavRecordingFile::Discard() {
    m_bDone = true;
    CloseFile();
    if (m_bRegularFile) RemoveUnfinished(m_strPath);
}
