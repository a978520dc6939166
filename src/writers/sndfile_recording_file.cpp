#include "writers/sndfile_recording_file.h"

#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/audio_format.h"
#include "engine/engine_errors.h"
#include "engine/wav_file.h"

namespace {

// The rate Opus gets: the nearest one it takes above the trainer's, so nothing of the tone
// band is lost.
constexpr int32_t kOpusSampleRate = 24000;

int ErrnoOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

// The stream callbacks. A failure is kept with its errno value: libsndfile passes on only
// that something failed, and some of its encoders not even that.
using Stream = SndfileRecordingFile::Stream;

void Remember(Stream& stream) {
    if (stream.error == 0) stream.error = ErrnoOr(EIO);
}

sf_count_t StreamLength(void* data) {
    auto& stream = *static_cast<Stream*>(data);
    const off_t here = ftello(stream.file);
    errno = 0;
    if (here < 0 || fseeko(stream.file, 0, SEEK_END) != 0) {
        Remember(stream);
        return -1;
    }
    const off_t end = ftello(stream.file);
    if (fseeko(stream.file, here, SEEK_SET) != 0) Remember(stream);
    return end;
}

sf_count_t StreamSeek(sf_count_t offset, int whence, void* data) {
    auto& stream = *static_cast<Stream*>(data);
    errno = 0;
    if (fseeko(stream.file, static_cast<off_t>(offset), whence) != 0) {
        Remember(stream);
        return -1;
    }
    return ftello(stream.file);
}

sf_count_t StreamRead(void* buffer, sf_count_t count, void* data) {
    auto& stream = *static_cast<Stream*>(data);
    return static_cast<sf_count_t>(std::fread(buffer, 1, static_cast<size_t>(count), stream.file));
}

sf_count_t StreamWrite(const void* buffer, sf_count_t count, void* data) {
    auto& stream = *static_cast<Stream*>(data);
    errno = 0;
    const size_t written = std::fwrite(buffer, 1, static_cast<size_t>(count), stream.file);
    if (written != static_cast<size_t>(count)) Remember(stream);
    return static_cast<sf_count_t>(written);
}

sf_count_t StreamTell(void* data) {
    return ftello(static_cast<Stream*>(data)->file);
}

SF_VIRTUAL_IO g_streamIo = {StreamLength, StreamSeek, StreamRead, StreamWrite, StreamTell};

int SndfileFormat(RecordingFormat format) {
    switch (format) {
        case RecordingFormat::Mp3:
            return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        case RecordingFormat::OggVorbis:
            return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case RecordingFormat::Opus:
            return SF_FORMAT_OGG | SF_FORMAT_OPUS;
        case RecordingFormat::Flac:
            return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        case RecordingFormat::Wav:
            break;
    }
    return 0;
}

bool IsRegularFile(const std::string& pathUtf8) {
    std::error_code error;
    return std::filesystem::is_regular_file(MakeUtf8Path(pathUtf8), error);
}

}  // namespace

std::unique_ptr<SndfileRecordingFile> SndfileRecordingFile::Create(const std::string& pathUtf8,
                                                                   RecordingFormat format,
                                                                   int quality, int& err) {
    const int sndfileFormat = SndfileFormat(format);
    if (sndfileFormat == 0) {
        err = EINVAL;
        return nullptr;
    }
    const int32_t rate = format == RecordingFormat::Opus ? kOpusSampleRate : audio::kSampleRate;
    errno = 0;
    FILE* file = OpenFileUtf8(pathUtf8, "w+b");
    if (!file) {
        err = ErrnoOr(EIO);
        return nullptr;
    }
    std::unique_ptr<SndfileRecordingFile> recording(
        new SndfileRecordingFile(pathUtf8, IsRegularFile(pathUtf8), rate));
    recording->m_stream.file = file;

    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = sndfileFormat;
    recording->m_pSndfile = sf_open_virtual(&g_streamIo, SFM_WRITE, &info, &recording->m_stream);
    if (!recording->m_pSndfile) {
        err = recording->m_stream.error != 0 ? recording->m_stream.error : EIO;
        recording->Discard();
        return nullptr;
    }
    if (FormatInfo(format).lossy) {
        // libsndfile's compression level runs the other way: 0 is the best sound.
        const int clamped = std::clamp(quality, kMinRecordingQuality, kMaxRecordingQuality);
        double level = 1.0 - static_cast<double>(clamped - kMinRecordingQuality) /
                                 (kMaxRecordingQuality - kMinRecordingQuality);
        sf_command(recording->m_pSndfile, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    if (rate != audio::kSampleRate) recording->m_resampler.emplace(audio::kSampleRate, rate);
    err = 0;
    return recording;
}

SndfileRecordingFile::SndfileRecordingFile(std::string pathUtf8, bool regularFile, int32_t fileRate)
    : m_strPath(std::move(pathUtf8)), m_bRegularFile(regularFile), m_nFileRate(fileRate) {}

SndfileRecordingFile::~SndfileRecordingFile() {
    if (!m_bDone) Discard();
}

int SndfileRecordingFile::FirstError() const {
    if (m_stream.error != 0) return m_stream.error;
    if (m_pSndfile && sf_error(m_pSndfile) != SF_ERR_NO_ERROR) return EIO;
    return 0;
}

bool SndfileRecordingFile::Encode(const int16_t* samples, size_t n) {
    if (n == 0) return FirstError() == 0;
    const sf_count_t written = sf_write_short(m_pSndfile, samples, static_cast<sf_count_t>(n));
    return written == static_cast<sf_count_t>(n) && FirstError() == 0;
}

void SndfileRecordingFile::WriteSamples(const void* bytes, size_t n) {
    if (!m_pSndfile) throw SinkWriteError(EBADF);  // finished or discarded already
    // Little-endian bytes to samples, whatever the host's byte order; a sample may straddle
    // two calls.
    const auto* in = static_cast<const uint8_t*>(bytes);
    std::vector<int16_t> decoded;
    decoded.reserve(n / 2 + 1);
    size_t i = 0;
    if (m_bHasHalfSample && n > 0) {
        decoded.push_back(static_cast<int16_t>(m_halfSample | in[0] << 8));
        m_bHasHalfSample = false;
        i = 1;
    }
    for (; i + 1 < n; i += 2) decoded.push_back(static_cast<int16_t>(in[i] | in[i + 1] << 8));
    if (i < n) {
        m_halfSample = in[i];
        m_bHasHalfSample = true;
    }

    const std::vector<int16_t>* samples = &decoded;
    if (m_resampler) {
        m_samples.clear();
        m_resampler->Process(decoded.data(), decoded.size(), m_samples);
        samples = &m_samples;
    }
    if (!Encode(samples->data(), samples->size())) {
        if (m_nWriteError == 0) m_nWriteError = FirstError() != 0 ? FirstError() : EIO;
        throw SinkWriteError(m_nWriteError);
    }
}

int SndfileRecordingFile::CloseEncoder() {
    if (!m_pSndfile) return 0;
    // Closing flushes the encoder: the last pages go out through the stream here.
    const bool closed = sf_close(m_pSndfile) == 0;
    m_pSndfile = nullptr;
    if (m_stream.error != 0) return m_stream.error;
    return closed ? 0 : EIO;
}

int SndfileRecordingFile::Close() {
    int err = CloseEncoder();
    if (m_stream.file) {
        errno = 0;
        const bool flushed = std::fflush(m_stream.file) == 0;
        const int flushError = ErrnoOr(EIO);
        errno = 0;
        const bool closed = std::fclose(m_stream.file) == 0;
        const int closeError = ErrnoOr(EIO);
        m_stream.file = nullptr;
        if (err == 0 && !flushed) err = flushError;
        if (err == 0 && !closed) err = closeError;
    }
    return err;
}

int SndfileRecordingFile::Finish() {
    if (m_bDone || !m_pSndfile) return EBADF;
    // The converter's last samples, held back for the filter's span after them.
    int err = 0;
    if (m_resampler) {
        m_samples.clear();
        m_resampler->Finish(m_samples);
        if (!Encode(m_samples.data(), m_samples.size())) err = EIO;
    }
    if (FirstError() != 0) err = FirstError();
    if (err == 0) err = CloseEncoder();
    // Everything buffered goes out first, so that a full disk shows here and not as a short
    // file that claims to be complete.
    errno = 0;
    if (err == 0 && std::fflush(m_stream.file) != 0) err = ErrnoOr(EIO);
    // The length written, taken before the close so that a file cut short or removed meanwhile
    // shows against what is on the disk afterwards.
    const sf_count_t end = err == 0 ? StreamLength(&m_stream) : -1;
    if (err == 0 && end < 0) err = m_stream.error != 0 ? m_stream.error : EIO;
    if (const int closeError = Close(); err == 0) err = closeError;
    if (err != 0) return err;
    if (m_bRegularFile) {
        if (const int sizeError = CheckWrittenSize(m_strPath, static_cast<uint64_t>(end)); sizeError != 0)
            return sizeError;
    }
    m_bDone = true;
    return 0;
}

void SndfileRecordingFile::Discard() {
    m_bDone = true;
    Close();
    if (m_bRegularFile) RemoveUnfinished(m_strPath);
}
