#pragma once
// What the UI tests share: a fixture that opens the real main window through the application's
// start-up with a scripted sound device and its own profile folder, and helpers that pump the
// interface thread and send commands the way the menu, the tool bar and the keys do.

#include <gtest/gtest.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/weakref.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "engine/audio_flags.h"
#include "engine/fake_sound_backend.h"
#include "engine/fake_sound_device.h"
#include "settings/settings.h"
#include "ui/app.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"
#include "ui/training_view.h"

using namespace std::chrono_literals;

// The one output the fake backend lists for a window opened with a device.
inline const std::string kFakeOutput = "Fake output";

// Pumps the interface thread until cond holds or timeout has passed; returns cond().
bool PumpUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout);
// Pumps the interface thread for the given time.
void PumpFor(std::chrono::milliseconds duration);
// The shown countdown or recording progress window ("前置延时"), or null.
wxDialog* FindDelayDialog();

struct CommandState {
    bool enabled;
    bool checked;
};

class UiTest : public ::testing::Test {
protected:
    // A fresh profile folder and the default live settings, with the delays that only some
    // tests want set to 0.
    void SetUp() override;
    // Closes a main window a test left open and checks that it went.
    void TearDown() override;

    // Opens the main window through the application's start-up, on a fake backend that lists
    // one output (none without a device) and opens fake devices whose play cursor moves one
    // half every devicePeriod (0.1 s is the real device's pace).
    CMainFrame& OpenMainWindow(bool withDevice = true,
                               std::chrono::milliseconds devicePeriod = 100ms,
                               int splashMilliseconds = 0);
    // Closes the main window and pumps until it has been destroyed; returns false when it did
    // not go within the timeout.
    bool CloseMainWindow(std::chrono::milliseconds timeout = 10s);

    CTrainerApp& App() const;
    CMainFrame& Frame() const { return *m_frame; }
    CTrainingView& View() const { return m_frame->View(); }
    // The device the view opened last.
    FakeSoundDevice& Device() const { return *m_pBackend->LastOpened(); }
    FakeSoundBackend& Backend() const { return *m_pBackend; }

    // Issues a command as a menu item, a tool or a key does (a disabled command is ignored).
    void Command(int id);
    // The enabled and checked state the menus and the tool bar show for a command.
    CommandState State(int id);
    // The state of the same command on the tool bar after an update pass.
    CommandState ToolState(int id);

    // True while a playback is audible.
    bool Playing() const { return g_nActiveStreams != 0; }
    // Starts generated practice (Koch, one minute) and waits until its sound plays.
    void StartGeneratedSession() {
        g_settings.m_nSource = SOURCE_KOCH;
        g_settings.m_nSessionDuration = 1;
        Command(CMD_START);
        ASSERT_TRUE(PumpUntil([this] { return Playing(); }, 5s));
    }
    bool WaitForThreadEnd(std::chrono::milliseconds timeout = 5s) {
        return PumpUntil([this] { return !View().m_bThreadRunning; }, timeout);
    }

    wxWeakRef<CMainFrame> m_frame;
    FakeSoundBackend* m_pBackend = nullptr;  // owned by the view
    std::filesystem::path m_configDir;
};

inline wxString U(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

// What a file dialog offered.
struct OfferedFile {
    wxString folder;
    wxString name;
    wxString wildcard;
    long style = 0;
    int filterIndex = -1;
};

// Answers an open or save dialog with a path, and keeps what it offered when asked to. The GTK
// file chooser takes the path in the background, so the answer waits until the dialog has it.
class ExpectFileDialog : public wxExpectModalBase<wxFileDialog, ExpectFileDialog> {
public:
    // A filterIndex of 0 or more chooses that filter, as a click in the dialog's list does.
    explicit ExpectFileDialog(const std::filesystem::path& answer, OfferedFile* offered = nullptr,
                              int filterIndex = -1)
        : m_answer(wxString::FromUTF8(answer.string())),
          m_offered(offered),
          m_nFilterIndex(filterIndex) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override {
        if (m_offered) {
            m_offered->folder = dialog->GetDirectory();
            m_offered->name = dialog->GetFilename();
            m_offered->wildcard = dialog->GetWildcard();
            m_offered->style = dialog->GetWindowStyle();
            m_offered->filterIndex = dialog->GetFilterIndex();
        }
        if (m_nFilterIndex >= 0) dialog->SetFilterIndex(m_nFilterIndex);
        dialog->SetPath(m_answer);
        EXPECT_TRUE(PumpUntil([dialog, this] { return dialog->GetPath() == m_answer; }, 5s));
        return wxID_OK;
    }

private:
    wxString m_answer;
    OfferedFile* m_offered;
    int m_nFilterIndex;
};

// Answers a message box with the given button and keeps its text.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
public:
    explicit ExpectMessage(wxString& text, int answer = wxID_OK)
        : m_text(&text), m_answer(answer) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override {
        *m_text = box->GetMessage();
        return m_answer;
    }

private:
    wxString* m_text;
    int m_answer;
};
