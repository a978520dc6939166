#include "ui_test_support.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/toolbar.h>

#include <cstdlib>
#include <string>

#include "engine/audio_flags.h"
#include "settings/settings.h"
#include "ui/pump.h"

bool PumpUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        PumpPendingMessages();
        WaitForNextMessage(5);
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

void UiTest::SetUp() {
    static int s_nextFolder = 0;
    m_configDir =
        std::filesystem::path(std::getenv("HOME")) / ("profile-" + std::to_string(++s_nextFolder));
    std::filesystem::create_directories(m_configDir);
    setenv("XDG_CONFIG_HOME", m_configDir.c_str(), 1);

    const CSettings defaults;
    g_settings.CopyFrom(defaults);
    g_settings.m_nInitialDelay = 0;
    g_settings.m_nEndDelay = 0;
    g_bAbort = false;
}

void UiTest::TearDown() {
    if (m_frame) {
        EXPECT_TRUE(CloseMainWindow()) << "the main window did not close";
    }
    EXPECT_EQ(g_nActiveStreams, 0);
    g_bAbort = false;
}

CMainFrame& UiTest::OpenMainWindow(bool withDevice, std::chrono::milliseconds devicePeriod,
                                   int splashMilliseconds) {
    auto backend = std::make_unique<FakeSoundBackend>(
        withDevice ? std::vector<std::string>{kFakeOutput} : std::vector<std::string>{},
        devicePeriod);
    m_pBackend = backend.get();
    EXPECT_TRUE(App().StartUp(std::move(backend), splashMilliseconds));
    m_frame = App().MainFrame();
    EXPECT_TRUE(m_frame);
    // Let the frame lay itself out.
    PumpFor(50ms);
    return *m_frame;
}

bool UiTest::CloseMainWindow(std::chrono::milliseconds timeout) {
    if (!m_frame) return true;
    m_frame->Close();
    return PumpUntil([this] { return !m_frame; }, timeout);
}

CTrainerApp& UiTest::App() const {
    return *dynamic_cast<CTrainerApp*>(wxTheApp);
}

void UiTest::Command(int id) {
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetEventObject(m_frame.get());
    m_frame->GetEventHandler()->ProcessEvent(command);
}

CommandState UiTest::State(int id) {
    wxUpdateUIEvent update(id);
    update.SetEventObject(m_frame.get());
    m_frame->GetEventHandler()->ProcessEvent(update);
    return {!update.GetSetEnabled() || update.GetEnabled(),
            update.GetSetChecked() && update.GetChecked()};
}

CommandState UiTest::ToolState(int id) {
    m_frame->ToolBar()->UpdateWindowUI();
    return {m_frame->ToolBar()->GetToolEnabled(id), m_frame->ToolBar()->GetToolState(id)};
}

wxDialog* FindDelayDialog() {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<wxDialog*>(window);
            dialog != nullptr && dialog->IsShown() &&
            dialog->GetTitle() == wxString::FromUTF8("前置延时"))
            return dialog;
    return nullptr;
}
