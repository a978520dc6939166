#include "ui/app.h"

#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <chrono>

#include "engine/portaudio_device.h"
#include "settings/settings.h"
#include "settings/wx_profile_store.h"
#include "ui/about_dialog.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"
#include "ui/pump.h"

namespace {

const char* const kWindowSection = "Window";
const char* const kProductPage = "https://www.korvanel.org/veltrane/";
const char* const kMakerPage = "https://www.korvanel.org/";
const char* const kContributionPage = "https://www.korvanel.org/veltrane/contribute.html";
constexpr int kSplashWaitSliceMs = 10;

NormalRect WorkArea() {
    const wxRect area = wxDisplay().GetClientArea();
    return {area.GetLeft(), area.GetTop(), area.GetLeft() + area.GetWidth(),
            area.GetTop() + area.GetHeight()};
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CTrainerApp, wxApp)
    EVT_MENU(CMD_ABOUT, CTrainerApp::OnAbout)
    EVT_MENU(CMD_PRODUCT_PAGE, CTrainerApp::OnWebPage)
    EVT_MENU(CMD_MAKER_PAGE, CTrainerApp::OnWebPage)
    EVT_MENU(CMD_DONATE, CTrainerApp::OnWebPage)

    EVT_UPDATE_UI(CMD_ABOUT, CTrainerApp::OnUpdateAlwaysEnabled)
    EVT_UPDATE_UI(CMD_PRODUCT_PAGE, CTrainerApp::OnUpdateAlwaysEnabled)
    EVT_UPDATE_UI(CMD_MAKER_PAGE, CTrainerApp::OnUpdateAlwaysEnabled)
    EVT_UPDATE_UI(CMD_DONATE, CTrainerApp::OnUpdateAlwaysEnabled)
wxEND_EVENT_TABLE()
    // clang-format on

    bool CTrainerApp::OnInit() {
    // The program takes no command-line options, so the framework's parser is not run.
    return StartUp(MakePortAudioBackend(), kSplashMilliseconds);
}

int CTrainerApp::OnExit() {
    SaveProfile();
    return wxApp::OnExit();
}

bool CTrainerApp::StartUp(std::unique_ptr<SoundBackend> backend, int splashMilliseconds) {
    SetVendorName("Korvanel");
    SetAppName("Veltrane");
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    {
        WxProfileStore store;
        g_settings.ExchangeProfile(store, false);
        m_bMaximized = store.ReadInt(kWindowSection, "Maximized", 1) != 0;
        m_rcNormal = {
            store.ReadInt(kWindowSection, "Left", 0), store.ReadInt(kWindowSection, "Top", 0),
            store.ReadInt(kWindowSection, "Right", 0), store.ReadInt(kWindowSection, "Bottom", 0)};
    }

    auto* frame = new CMainFrame();
    if (!frame->Create(std::move(backend))) {
        frame->Destroy();
        return false;
    }
    m_pMainFrame = frame;
    frame->SetPlacementSink([this](bool maximized, const NormalRect& normal) {
        m_bMaximized = maximized;
        m_rcNormal = normal;
    });
    SetTopWindow(frame);

    // A rectangle that would not be usable keeps the default place.
    if (IsUsablePlacement(m_rcNormal)) {
        const NormalRect placed = FitIntoWorkArea(m_rcNormal, WorkArea());
        frame->SetSize(placed.left, placed.top, placed.Width(), placed.Height());
    }
    if (m_bMaximized) frame->Maximize(true);
    frame->Show();

    // The frame lays itself out and paints under the splash, but takes no input meanwhile.
    frame->Disable();
    CAboutDialog* splash = CAboutDialog::ShowSplash();
    {
        // Start-up runs before the main loop exists; the wait needs one to dispatch events.
        wxEventLoopGuarantor loop;
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start <
               std::chrono::milliseconds(splashMilliseconds)) {
            PumpPendingMessages();
            WaitForNextMessage(kSplashWaitSliceMs);
        }
    }
    frame->Enable();
    splash->Destroy();
    frame->Refresh();
    frame->Update();
    return true;
}

void CTrainerApp::SaveProfile() {
    WxProfileStore store;
    store.WriteInt(kWindowSection, "Maximized", m_bMaximized ? 1 : 0);
    store.WriteInt(kWindowSection, "Left", m_rcNormal.left);
    store.WriteInt(kWindowSection, "Top", m_rcNormal.top);
    store.WriteInt(kWindowSection, "Right", m_rcNormal.right);
    store.WriteInt(kWindowSection, "Bottom", m_rcNormal.bottom);
    g_settings.ExchangeProfile(store, true);
    store.Flush();
}

bool CTrainerApp::HandlesCommand(int id) const {
    return EventTableHandlesCommand(GetEventTable(), id);
}

void CTrainerApp::OnAbout(wxCommandEvent&) {
    CAboutDialog about(GetTopWindow());
    about.ShowModal();
}

void CTrainerApp::OnWebPage(wxCommandEvent& event) {
    const char* page = event.GetId() == CMD_PRODUCT_PAGE ? kProductPage
                       : event.GetId() == CMD_MAKER_PAGE ? kMakerPage
                                                         : kContributionPage;
    // A failure of the browser is not reported.
    wxLaunchDefaultBrowser(page);
}

void CTrainerApp::OnUpdateAlwaysEnabled(wxUpdateUIEvent& event) {
    event.Enable(true);
}
