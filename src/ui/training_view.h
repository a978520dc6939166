#pragma once
// The training view: the main frame's client window and the hub of the program. It owns the
// output pane (the sent text) and the copy pane (the learner's copy), the control bar, the
// donate bar and the two code table panels (in bands of the frame), the sound engine, the
// session state and the score tally, and it handles nearly every command: the session commands,
// the View toggles, the edit commands, the practice sources, options and help.
//
// It is the SessionView of the playback threads: their pane calls are marshalled to the
// interface thread and given up as soon as the session is aborted or the window closes.

#include <wx/timer.h>
#include <wx/window.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "content/text_sources.h"
#include "engine/morse_audio.h"
#include "engine/relaxed_atomic.h"
#include "engine/sound_backend.h"
#include "engine/sound_device.h"
#include "options/conditions_clip_player.h"
#include "options/sound_output_host.h"
#include "scoring/score_tally.h"
#include "session/session_view.h"
#include "ui/pane_calls.h"
#include "ui/recording_host.h"

class CCodeTableDialog;
class CDialogBarEx;
class CDonateBar;
class wxAuiManager;
class wxComboBox;
class wxFont;
class wxFrame;
class wxMenuEvent;
class wxStaticText;
class wxTextCtrl;
class wxUpdateUIEvent;

class CTrainingView : public wxWindow,
                      public SessionView,
                      public TextSourceHost,
                      public SoundOutputHost,
                      public ConditionsClipPlayer,
                      private RecordingHost {
public:
    CTrainingView();
    // Ends any playback first: nothing the playback thread uses goes before the thread.
    ~CTrainingView() override;

    // Creates the view as the client window of frame, its bars as bands of the frame's band
    // manager, its panes, and opens the sound device from `backend`.
    bool Create(wxFrame* frame, wxAuiManager& bands, std::unique_ptr<SoundBackend> backend);

    // Settings to the control bar (false) or the control bar to the settings (true).
    void ExchangeControlBar(bool save);
    // Re-creates the pane font from the settings and places labels and panes: with "View
    // output" the output pane takes the upper half, otherwise the copy pane fills the view.
    void LayoutPanes();
    // Shows the vertical code table ("View codes") or the horizontal strip.
    void UpdateCodeTableBands();
    // Makes the view follow changed settings (called by the option pages).
    void ApplyOptions();
    // Opens a topic of the help book.
    void ShowHelpTopic(const wxString& topic);
    // Puts the keyboard focus back in the copy pane once a window the view opened has gone:
    // GTK drops the focus of a frame that a dialog disabled, and nothing else gives it back.
    void ReturnFocusToCopyPane();

    // The closing notice of the frame: aborts any playback, refuses every later pane call and
    // command, and waits until the playback thread has ended.
    void OnClosingNotice();
    // True while one of the view's handlers waits in a nested message loop (countdown, stop,
    // a modal dialog); the frame must not be destroyed before it has returned.
    bool IsInNestedWait() const { return m_nNestedWaits > 0; }
    // True when the view has a command handler for id.
    bool HandlesCommand(int id) const { return m_handledCommands.count(id) != 0; }
    bool HasSoundDevice() const { return m_pSoundDevice != nullptr; }
    SoundBackend& Backend() const { return *m_backend; }
    // Opens the output the settings choose when the device open now is another one.
    void FollowOutputChoice();

    // SoundOutputHost
    std::vector<std::string> OutputNames() override;
    void PlayTestTone(const KeyingParameters& keying, const std::string& name) override;

    // ConditionsClipPlayer (conditions_clip_view.cpp): the clips of the signal conditions page,
    // played on the single playback path with the live keying; refused while anything else
    // plays. Stopping waits for the clip's thread, which the abort ends within an element.
    bool PlayClip(const SignalConditions& conditions) override;
    void StopClip() override;
    bool IsClipPlaying() const override { return m_bClipPlaying; }

    wxTextCtrl* OutputPane() const { return m_wndOutput; }
    wxTextCtrl* CopyPane() const { return m_wndCopy; }
    wxStaticText* OutputLabel() const { return m_wndOutputLabel; }
    wxStaticText* CopyLabel() const { return m_wndCopyLabel; }
    CDialogBarEx* ControlBar() const { return m_wndControlBar; }
    CCodeTableDialog* CodeStrip() const { return m_dlgCodeStrip; }
    CCodeTableDialog* CodeTable() const { return m_dlgCodeTable; }

    // SessionView
    CMorseAudio& Audio() override { return m_audio; }
    std::string PaneText(Pane pane) override;
    void SetPaneText(Pane pane, const std::string& text) override;
    // While the echo is batched (a recording) an insert into the output pane only appends to
    // the batch: it does not wait for the interface thread.
    void InsertPaneText(Pane pane, size_t pos, const std::string& text) override;
    void ClearPanesAndTally() override;
    void PostSessionFinished() override;
    void PostWakeUp() override;
    bool IsClosing() const override { return m_panes.IsClosing(); }

    // TextSourceHost
    void StopSessionAndWait() override;
    bool AskTypedText(std::string& cp1252Text) override;
    bool AskTextFile(const std::string& initialPathUtf8, std::string& chosenPathUtf8) override;

protected:
    // The command filter: a click on a code table panel plays its character; the cancel
    // command is swallowed.
    bool TryBefore(wxEvent& event) override;

private:
    // NestedWaitHost: counts the waits for IsInNestedWait.
    void EnterNestedWait() override { ++m_nNestedWaits; }
    void LeaveNestedWait() override;

    // RecordingHost, for the record command (ui/record_command.cpp).
    SessionView& Session() override { return *this; }
    CPaneCalls& Panes() override { return m_panes; }

    bool CreateBands(wxFrame* frame, wxAuiManager& bands);
    void CreatePanes();
    void BindMessageMap();
    void BindCommand(int id, void (CTrainingView::*handler)());
    void BindUpdate(int id, void (CTrainingView::*handler)(wxUpdateUIEvent&));

    // Sound device (training_view_device.cpp). Before a playback: opens the device again when
    // there is none or the last playback met a device error; true when there is one now.
    bool EnsureSoundDevice();
    // Starts the looks for a device: a timer, and every menu the frame opens.
    void WatchSoundDevice(wxWindow* frame);
    void OnMenuOpen(wxMenuEvent& event);
    // Opens `name` into the device slot and remembers which output that was.
    void OpenOutput(const std::string& name);
    // While there is no device: a cheap look whether an output has appeared, and its opening.
    void LookForSoundDevice();
    // The status bar and the Start tool tip tell whether a sound output was found.
    void ShowSoundDeviceState();

    // Starts a playback thread once the previous one has ended.
    void StartPlayback(void (*threadProc)(SessionView*)) override;
    void JoinPlayback() override;
    void PlayClickedCharacter(unsigned char ch);
    static void ConditionsClipThread(SessionView* view);
    bool RunCountdown(bool resumption);
    // The fixed practice text (a file, typed text) for Start and the record command; a chosen
    // file that cannot be used is explained to the learner.
    bool PrepareFixedText(std::string& text, std::string* chosenPathUtf8) override;
    void RefreshCodePanels();
    int EnabledCharacterCount() const;

    // Control bar notifications.
    void OnControlBarChange();
    void OnPitchSelect();
    void OnControlBarKillFocus();

    // Session control.
    void OnStart();
    void OnPause();
    void OnStop();
    void OnAbort();
    void OnSessionFinished();
    // Scores the copy of a session that has ended and shows its results, if that is still due.
    void DeliverPendingResults() override;
    // The results of the last finished session, kept until the next session starts.
    void ShowLastResults();
    void OnUpdateViewLastResults(wxUpdateUIEvent& event);
    void OnCopyPaneChanged();
    void OnUpdateStart(wxUpdateUIEvent& event);
    void OnUpdatePause(wxUpdateUIEvent& event);
    void OnUpdateStop(wxUpdateUIEvent& event);
    void OnUpdateAbort(wxUpdateUIEvent& event);
    void OnUpdateRecord(wxUpdateUIEvent& event);
    // The record command; its handler is CRecordCommand (ui/record_command.cpp).
    void OnRecord();
    void OnUpdateTimePane(wxUpdateUIEvent& event);
    void OnUpdateCountPane(wxUpdateUIEvent& event);

    // View toggles, edit commands, sources, options, help.
    void OnViewOutput();
    void OnUseCaps();
    void OnViewCodes();
    void OnUpdateViewOutput(wxUpdateUIEvent& event);
    void OnUpdateUseCaps(wxUpdateUIEvent& event);
    void OnUpdateViewCodes(wxUpdateUIEvent& event);
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnUpdateEditCopy(wxUpdateUIEvent& event);
    void OnUpdateEditCut(wxUpdateUIEvent& event);
    void OnUpdateEditPaste(wxUpdateUIEvent& event);
    wxTextCtrl* FocusedPane() const;
    void SelectSource(int id);
    void OnUpdateSource(wxUpdateUIEvent& event);
    void OnOptions();
    void OnHelp();
    void OnUpdateAlwaysEnabled(wxUpdateUIEvent& event);

    // The backend and the device slot come before the engine, which opens the device from the
    // one into the other and closes it before either goes.
    std::unique_ptr<SoundBackend> m_backend;
    SoundDevice* m_pSoundDevice = nullptr;
    CMorseAudio m_audio;
    // A clip's conditions and its own engine on the same device slot, from its start until it
    // is stopped; the thread reads both, so they change only while no thread runs.
    SignalConditions m_clipConditions;
    std::unique_ptr<CMorseAudio> m_clipAudio;
    // From a clip's start until its thread has cleared m_bThreadRunning.
    RelaxedAtomic<bool> m_bClipPlaying{false};
    // Looks for an output every few seconds while there is none.
    wxTimer m_deviceLook;
    wxString m_strStartToolTip;     // the Start tool's own tip, shown again once a device is found
    std::string m_strOpenedOutput;  // the output name the device was opened for
    // The test tone of the volume page: its own keying, on the view's device.
    KeyingParameters m_testKeying;
    CMorseAudio m_testAudio{m_testKeying, m_pSoundDevice};
    std::atomic<bool> m_bTestToneFailed{false};

    wxStaticText* m_wndOutputLabel = nullptr;
    wxStaticText* m_wndCopyLabel = nullptr;
    wxTextCtrl* m_wndOutput = nullptr;
    wxTextCtrl* m_wndCopy = nullptr;
    std::unique_ptr<wxFont> m_fontIO;

    // While above zero, control-bar notifications are ignored and the focus stays where it is.
    int m_nUpdating = 1;
    CDonateBar* m_wndDonateBar = nullptr;
    CDialogBarEx* m_wndControlBar = nullptr;
    CCodeTableDialog* m_dlgCodeStrip = nullptr;
    CCodeTableDialog* m_dlgCodeTable = nullptr;
    wxAuiManager* m_pBands = nullptr;

    struct LastResults {
        ScoreTally tally;
        int seconds = 0;
    };
    std::unique_ptr<LastResults> m_lastResults;

    std::thread m_playbackThread;
    CPaneCalls m_panes{*this};
    int m_nNestedWaits = 0;
    std::set<int> m_handledCommands;
};
