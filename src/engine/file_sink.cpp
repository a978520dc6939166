#include "engine/file_sink.h"

#include <cerrno>

void FileSampleSink::WriteSamples(const void* bytes, size_t n) {
    if (n == 0) return;
    errno = 0;
    if (std::fwrite(bytes, 1, n, m_pFile) != n) throw SinkWriteError(errno != 0 ? errno : EIO);
}
