#pragma once
// A recording being written: the sound engine's sample sink until it is finished, then a whole
// file, or nothing at all. The WAV file and the compressed formats share this contract, so the
// record command and the command-line renderer treat every format alike.

#include <string>

#include "engine/file_sink.h"

class RecordingFile : public SampleSink {
public:
    // A recording not finished successfully is deleted: a half-written file never stays.
    ~RecordingFile() override = default;

    // The errno value of the first failed WriteSamples, 0 if none failed. Read it only after
    // the writing thread has been joined.
    virtual int WriteError() const = 0;
    // Completes the file (header, encoder flush) and closes it. Returns 0, or the errno value
    // of the first failure, including one that only the flush or the close reported and a file
    // that has gone away meanwhile. After a failure the file is still deleted by Discard or the
    // destructor.
    virtual int Finish() = 0;
    // Closes the file (if still open) and deletes it. A path that is not a regular file (a
    // device such as /dev/full) is closed but never deleted.
    virtual void Discard() = 0;
    virtual const std::string& PathUtf8() const = 0;
};
