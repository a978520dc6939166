#pragma once
// The application object: loads the settings and the frame's placement from the profile store,
// creates the main frame on its saved place, shows the splash for three seconds while the frame
// stays disabled, and writes the placement (section "Window") and all settings (section
// "Settings") soon after each change, on SIGTERM and at exit. It also handles the about command
// and the three web pages.

#include <wx/app.h>
#include <wx/weakref.h>

#include <memory>

#include "engine/sound_backend.h"
#include "ui/placement.h"

class CMainFrame;
class CProfileAutosave;
class ProfileStore;

class CTrainerApp : public wxApp {
public:
    // The splash stays up this long at start-up, whatever the user does.
    static constexpr int kSplashMilliseconds = 3000;

    CTrainerApp();
    ~CTrainerApp() override;
    bool OnInit() override;
    int OnExit() override;

    // Everything of start-up after the framework's own: settings and placement loaded, frame
    // created (its view opens the sound device from `backend`), placed, shown, splash for
    // splashMilliseconds.
    // Returns false when the frame cannot be created.
    bool StartUp(std::unique_ptr<SoundBackend> backend, int splashMilliseconds);
    // Writes the placement (the live frame's, or what it left behind) and all settings, and
    // flushes the store. The file is replaced whole through a temporary file.
    void SaveProfile();

    CMainFrame* MainFrame() const { return m_pMainFrame; }
    // True when the application has a command handler for id.
    bool HandlesCommand(int id) const;

    bool m_bMaximized = true;  // the frame was maximized when it was last destroyed
    NormalRect m_rcNormal;     // the frame's normal (restored) rectangle

private:
    void WriteProfile(ProfileStore& store) const;
    // SIGTERM (a logout, a kill): saves the profile and closes the frame as its window would.
    static void OnTerminateSignal(int signal);

    void OnAbout(wxCommandEvent& event);
    void OnWebPage(wxCommandEvent& event);
    void OnUpdateAlwaysEnabled(wxUpdateUIEvent& event);

    wxWeakRef<CMainFrame> m_pMainFrame;
    std::unique_ptr<CProfileAutosave> m_autosave;

    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(CTrainerApp);
