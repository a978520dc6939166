#pragma once
// The record command (32774, "录音"): runs a whole training session into a WAV (or MP3, Ogg
// Vorbis, Opus, FLAC) file instead of the sound device, behind a progress window, then offers
// to save the sent text beside it.

#include <string>

class RecordingFile;
class RecordingHost;
class wxWindow;

// One run of the command, on the interface thread of the training view; its windows are
// children of parent.
class CRecordCommand {
public:
    CRecordCommand(RecordingHost& host, wxWindow* parent);
    // Returns when the recording has ended, been cancelled or failed. Does nothing while a
    // playback thread runs.
    void Run();

private:
    enum class End { Complete, Cancelled, WriteFailed, EndedShort };

    // The session, from attaching the file as the sink to the joined thread.
    End RecordSession(RecordingFile& file);
    // Offers to save the output pane's text beside the recording.
    void OfferSentText(const std::string& wavPathUtf8);

    RecordingHost& m_host;
    wxWindow* m_pParent;
};
