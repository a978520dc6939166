#include "ui/app.h"

#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <chrono>
#include <csignal>

#include "engine/portaudio_device.h"
#include "settings/settings.h"
#include "settings/wx_profile_store.h"
#include "ui/about_dialog.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"
#include "ui/profile_autosave.h"
#include "ui/pump.h"
#include "ui/training_view.h"

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

CTrainerApp::CTrainerApp() = default;
CTrainerApp::~CTrainerApp() = default;

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
        m_autosave.reset();
    });
    SetTopWindow(frame);

    // A rectangle that would not be usable gives way to the default one, so that a frame that
    // starts maximized still has a sensible size to return to.
    const NormalRect placed = IsUsablePlacement(m_rcNormal)
                                  ? FitIntoWorkArea(m_rcNormal, WorkArea())
                                  : DefaultNormalRect(WorkArea());
    frame->SetSize(placed.left, placed.top, placed.Width(), placed.Height());
    frame->RememberNormalRect(placed);
    if (m_bMaximized) frame->Maximize(true);
    frame->Show();

    // The frame lays itself out and paints under the splash, but takes no input meanwhile.
    frame->Disable();
    CAboutDialog* splash = CAboutDialog::ShowSplash(frame);
    {
        // Start-up runs before the main loop exists; the wait needs one to dispatch events.
        wxEventLoopGuarantor loop;
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start <
               std::chrono::milliseconds(splashMilliseconds)) {
            PumpPendingMessages();
            // The window manager maximizes and places the frame while the splash is up.
            splash->CentreOver(frame->GetScreenRect());
            WaitForNextMessage(kSplashWaitSliceMs);
        }
    }
    frame->Enable();
    splash->Destroy();
    frame->View().ReturnFocusToCopyPane();
    frame->Refresh();
    frame->Update();

    m_autosave = std::make_unique<CProfileAutosave>(
        [this](ProfileStore& store) { WriteProfile(store); }, [this] { SaveProfile(); });
    SetSignalHandler(SIGTERM, &CTrainerApp::OnTerminateSignal);
    return true;
}

void CTrainerApp::OnTerminateSignal(int) {
    auto* app = dynamic_cast<CTrainerApp*>(wxTheApp);
    if (app == nullptr) return;
    app->SaveProfile();
    if (app->m_pMainFrame) app->m_pMainFrame->Close();
}

void CTrainerApp::WriteProfile(ProfileStore& store) const {
    const bool maximized = m_pMainFrame ? m_pMainFrame->IsPlacementMaximized() : m_bMaximized;
    const NormalRect normal = m_pMainFrame ? m_pMainFrame->NormalPlacement() : m_rcNormal;
    store.WriteInt(kWindowSection, "Maximized", maximized ? 1 : 0);
    store.WriteInt(kWindowSection, "Left", normal.left);
    store.WriteInt(kWindowSection, "Top", normal.top);
    store.WriteInt(kWindowSection, "Right", normal.right);
    store.WriteInt(kWindowSection, "Bottom", normal.bottom);
    g_settings.ExchangeProfile(store, true);
}

void CTrainerApp::SaveProfile() {
    {
        WxProfileStore store;
        WriteProfile(store);
        store.Flush();
    }
    if (m_autosave) m_autosave->MarkSaved();
}

bool CTrainerApp::HandlesCommand(int id) const {
    return EventTableHandlesCommand(GetEventTable(), id);
}

void CTrainerApp::OnAbout(wxCommandEvent&) {
    CAboutDialog about(GetTopWindow());
    about.ShowModal();
    if (m_pMainFrame) m_pMainFrame->View().ReturnFocusToCopyPane();
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
