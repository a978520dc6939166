// The record command: a training session written to a WAV (or compressed) file by the session
// thread with the file sink attached, unpaced, while the interface thread pumps its messages behind
// a progress window; then the sent text, if wanted, saved as a text file.
#include "ui/record_command.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "content/text_sources.h"
#include "engine/audio_flags.h"
#include "engine/recording_format.h"
#include "engine/recording_names.h"
#include "engine/wav_file.h"
#include "session/session_thread.h"
#include "settings/settings.h"
#include "ui/initial_delay_dialog.h"
#include "ui/message_box.h"
#include "ui/pump.h"
#include "ui/pane_calls.h"
#include "ui/recording_host.h"
#include "writers/create_recording_file.h"

namespace {

// The progress window appears only after this long, so a short recording shows none.
constexpr int kProgressShowDelayMs = 500;
// How long the waiting loop sleeps between pumps when no message arrives.
constexpr int kWaitSliceMs = 10;
// How often the batched echo is written into the output pane while the recording runs.
constexpr auto kEchoFlushInterval = std::chrono::milliseconds(100);

wxString U(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

// The C library's text for an errno value.
wxString ErrorText(int err) {
    return wxString(std::generic_category().message(err));
}

void ShowError(wxWindow* parent, const wxString& text) {
    ShowMessageBox(parent, text, wxOK | wxICON_ERROR);
}

// The save-file dialog, seeded with defaultPathUtf8 and the filter filterIndex, which it
// returns chosen. A name typed without an extension gets the chosen filter's entry of
// `extensions` (".wav"), and replacing an existing file of that name is asked first, as the
// dialog itself asks for the name it returned.
bool AskSavePath(wxWindow* parent, const std::string& defaultPathUtf8, const wxString& filter,
                 const std::vector<std::string>& extensions, int& filterIndex,
                 std::string& chosenUtf8) {
    const wxFileName initial(wxString::FromUTF8(defaultPathUtf8));
    wxFileDialog dialog(parent, U("另存为"), initial.GetPath(), initial.GetFullName(), filter,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    dialog.SetFilterIndex(filterIndex);
    if (dialog.ShowModal() != wxID_OK) return false;
    wxFileName chosen(dialog.GetPath());
    if (chosen.GetFullName().empty()) return false;
    filterIndex = std::clamp(dialog.GetFilterIndex(), 0, static_cast<int>(extensions.size()) - 1);
    if (!chosen.HasExt()) {
        chosen.SetExt(wxString::FromUTF8(extensions[static_cast<size_t>(filterIndex)].substr(1)));
        if (chosen.FileExists() &&
            ShowMessageBox(parent,
                           wxString::Format(U("“%s”已存在。\n要替换它吗？"), chosen.GetFullName()),
                           wxYES_NO | wxNO_DEFAULT | wxICON_WARNING) != wxID_YES)
            return false;
    }
    chosenUtf8 = chosen.GetFullPath().utf8_string();
    return true;
}

bool AskTextPath(wxWindow* parent, const std::string& defaultPathUtf8, std::string& chosenUtf8) {
    int filterIndex = 0;
    return AskSavePath(parent, defaultPathUtf8, U("文本文件 (*.txt)|*.txt"), {".txt"}, filterIndex,
                       chosenUtf8);
}

// Asks where the recording goes and in which format: the one the typed extension names, else
// the chosen filter's. Offers the format last chosen; remembers the new choice.
bool AskRecordingPath(wxWindow* parent, const std::string& defaultPathUtf8, std::string& chosenUtf8,
                      RecordingFormat& format) {
    wxString filter;
    std::vector<std::string> extensions;
    for (const RecordingFormatInfo& info : RecordingFormats()) {
        if (!filter.empty()) filter += "|";
        // WAV keeps the trainer's own filter text.
        filter += info.format == RecordingFormat::Wav
                      ? U("音频文件 (*.wav)|*.wav")
                      : wxString::Format(U("%s 音频 (*%s)|*%s"), info.name, info.extension,
                                         info.extension);
        extensions.push_back(info.extension);
    }
    const RecordingFormat last = RecordingFormatFromNumber(g_settings.m_nRecordingFormat);
    int filterIndex = static_cast<int>(last);
    if (!AskSavePath(parent, ReplaceFileExtension(defaultPathUtf8, FormatInfo(last).extension),
                     filter, extensions, filterIndex, chosenUtf8))
        return false;
    format = RecordingFormatFromPath(chosenUtf8).value_or(RecordingFormatFromNumber(filterIndex));
    g_settings.m_nRecordingFormat = static_cast<int32_t>(format);
    return true;
}

// Creates or replaces the file and writes the bytes; returns 0 or the errno value. A file that
// could not be written whole is removed rather than left truncated.
int WriteWholeFile(const std::string& pathUtf8, const std::string& bytes) {
    errno = 0;
    FILE* file = OpenFileUtf8(pathUtf8, "wb");
    if (!file) return errno != 0 ? errno : EIO;
    errno = 0;
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    int err = written ? 0 : (errno != 0 ? errno : EIO);
    errno = 0;
    if (std::fclose(file) != 0 && err == 0) err = errno != 0 ? errno : EIO;
    if (err != 0) {
        std::error_code ignored;
        const auto path = MakeUtf8Path(pathUtf8);
        if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
    }
    return err;
}

// Where a recording is offered: the folder of the last one, else the user's music folder (the
// XDG one, from user-dirs.dirs), else the home folder.
std::string RecordingFolder() {
    const wxString last = wxString::FromUTF8(g_settings.m_strRecordingFolder);
    if (!last.empty() && wxFileName::DirExists(last)) return last.utf8_string();
    const wxString music = wxStandardPaths::Get().GetUserDir(wxStandardPaths::Dir_Music);
    if (!music.empty() && wxFileName::DirExists(music)) return music.utf8_string();
    return wxFileName::GetHomeDir().utf8_string();
}

}  // namespace

CRecordCommand::CRecordCommand(RecordingHost& host, wxWindow* parent)
    : m_host(host), m_pParent(parent) {}

CRecordCommand::End CRecordCommand::RecordSession(RecordingFile& file) {
    SessionView& view = m_host.Session();
    CPaneCalls& panes = m_host.Panes();
    view.Audio().AttachFileSink(&file);
    CInitialDelayDialog progress(U("创建音频文件"), kProgressShowDelayMs);
    panes.BeginBatchedEcho();
    m_host.StartPlayback(&SessionThread);
    auto nextFlush = std::chrono::steady_clock::now() + kEchoFlushInterval;

    bool cancelled = false;
    // m_nBudget is 1 until the thread has set the real budget, so this cannot end early; it
    // also ends when the thread has stopped by itself (a write error).
    while (view.m_bThreadRunning) {
        const int32_t used = view.m_nBudgetUsed;
        const int32_t budget = view.m_nBudget;
        if (used >= budget) break;
        progress.SetProgress(static_cast<int>(std::min(100.0, used * 100.0 / budget)));
        if (std::chrono::steady_clock::now() >= nextFlush) {
            panes.FlushEcho();
            nextFlush = std::chrono::steady_clock::now() + kEchoFlushInterval;
        }
        PumpPendingMessages();
        if (progress.IsCancelled() || view.IsClosing()) {
            cancelled = true;
            break;
        }
        WaitForNextMessage(kWaitSliceMs);
    }
    if (cancelled) g_bAbort = true;
    // The thread's pane calls run on this thread: keep serving them until it has ended.
    while (view.m_bThreadRunning) {
        PumpPendingMessages();
        WaitForNextMessage(kWaitSliceMs);
    }
    m_host.JoinPlayback();
    panes.EndBatchedEcho();
    // A cancel just as the thread ended leaves the flag set with no stream to clear it.
    if (g_nActiveStreams == 0) g_bAbort = false;
    progress.Close();
    view.Audio().DetachFileSink();

    if (cancelled || view.IsClosing()) return End::Cancelled;
    if (view.m_bSinkFailed) return End::WriteFailed;
    if (view.m_nBudgetUsed < view.m_nBudget) return End::EndedShort;
    return End::Complete;
}

// The text goes out in Windows-1252, broken into lines of 80 when "Insert LF" is on.
void CRecordCommand::OfferSentText(const std::string& wavPath) {
    wxWindow* const parent = m_pParent;
    if (ShowMessageBox(parent, U("您想将报底保存为文本文件吗？"), wxYES_NO | wxICON_QUESTION) !=
        wxID_YES)
        return;
    std::string textPath;
    if (!AskTextPath(parent, ReplaceFileExtension(wavPath, ".txt"), textPath)) return;
    std::string text = m_host.Panes().Read(Pane::Output);
    if (g_settings.m_bInsertLF) text = BreakIntoLines(text);
    if (const int err = WriteWholeFile(textPath, text); err != 0)
        ShowError(parent, wxString::Format(U("保存文本文件“%s”失败：\n%s"),
                                           wxString::FromUTF8(textPath), ErrorText(err)));
}

void CRecordCommand::Run() {
    SessionView& view = m_host.Session();
    wxWindow* const parent = m_pParent;
    if (view.m_bThreadRunning || g_nActiveStreams != 0 || view.IsClosing()) return;
    NestedWait wait(m_host);
    // The previous playback thread has ended; joining it orders its last use of the session
    // text before ours.
    m_host.JoinPlayback();
    // The results of a session that has just ended come before the recording replaces it.
    m_host.DeliverPendingResults();
    if (view.IsClosing()) return;

    // The text is prepared aside: until the file is chosen a paused session keeps its own.
    const int source = g_settings.m_nSource;
    std::string sessionText;
    std::string textFilePath;
    if ((source & SOURCE_FIXED_TEXT_MASK) != 0 &&
        !m_host.PrepareFixedText(sessionText, &textFilePath))
        return;

    const std::string defaultName = DefaultRecordingName(
        source, textFilePath, g_settings.m_nCharactersUsed, g_settings.m_keying.wordSpeedCpm,
        g_settings.m_keying.charSpeedCpm, g_settings.m_bWpmSpeedUnit);
    // A name beside a practice file keeps that file's folder.
    wxFileName offered(wxString::FromUTF8(defaultName));
    if (offered.GetPath().empty()) offered.SetPath(wxString::FromUTF8(RecordingFolder()));
    std::string wavPath;
    RecordingFormat format = RecordingFormat::Wav;
    if (!AskRecordingPath(parent, offered.GetFullPath().utf8_string(), wavPath, format) ||
        view.IsClosing())
        return;
    g_settings.m_strRecordingFolder =
        wxFileName(wxString::FromUTF8(wavPath)).GetPath().utf8_string();

    // A new session: a paused one is dropped, and the progress loop cannot see the budget used
    // up before the thread has set the real budget.
    view.m_bPauseRequested = false;
    view.m_strSessionText = std::move(sessionText);
    view.m_nBudgetUsed = 0;
    view.m_nBudget = 1;
    view.m_bSinkFailed = false;

    int err = 0;
    std::unique_ptr<RecordingFile> file =
        CreateRecordingFile(wavPath, format, g_settings.m_nRecordingQuality, err);
    if (!file) {
        view.m_strSessionText.clear();
        ShowError(parent, wxString::Format(U("无法创建音频文件“%s”：\n%s"),
                                           wxString::FromUTF8(wavPath), ErrorText(err)));
        return;
    }

    switch (RecordSession(*file)) {
        case End::Cancelled:
            file->Discard();
            return;
        case End::WriteFailed:
            file->Discard();
            ShowError(parent, U("写入音频文件失败：磁盘已满或文件不可写。录音已取消。\n\n") +
                                  ErrorText(file->WriteError() != 0 ? file->WriteError() : EIO));
            return;
        case End::EndedShort:
            file->Discard();
            ShowError(parent, U("录音意外中止，未保存音频文件。"));
            return;
        case End::Complete:
            break;
    }
    // A failure here is a write that only the flush or the close reported, or a file that went
    // away meanwhile: the recording is as lost as after a write error.
    if (const int finishError = file->Finish(); finishError != 0) {
        file->Discard();
        ShowError(parent, U("写入音频文件失败：磁盘已满或文件不可写。录音已取消。\n\n") +
                              ErrorText(finishError));
        return;
    }
    if (!view.IsClosing()) OfferSentText(wavPath);
}
