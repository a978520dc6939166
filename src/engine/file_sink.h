#pragma once
// Where synthesized samples go instead of the sound device: a file (a recording).

#include <cstddef>
#include <cstdio>

#include "engine/engine_errors.h"

class SampleSink {
public:
    virtual ~SampleSink() = default;
    // Writes n bytes of samples; throws SinkWriteError if they could not all be written.
    virtual void WriteSamples(const void* bytes, size_t n) = 0;
};

// Appends samples to a FILE* that the caller opened and will close. The stream is buffered:
// whoever closes the file must still check fflush/fclose for a late write failure.
class FileSampleSink : public SampleSink {
public:
    explicit FileSampleSink(FILE* file) : m_pFile(file) {}
    void WriteSamples(const void* bytes, size_t n) override;

private:
    FILE* m_pFile;
};
