// A recording through the real main window: the record command (32774) of the program's own
// window, from the save dialog (answered at once) to the joined session thread, with the echo
// going into the real output pane. Prints wall and CPU time and the characters echoed.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BUILD_TESTS=OFF
//   cmake --build build/bench --target record_window_bench
//   xvfb-run -a build/bench/bench/record_window_bench [minutes, default 60]
//
// Settings as record_bench: Koch lesson of 20 characters at 12/18 WPM. The file goes to a
// temporary folder, with the profile, and is deleted afterwards.

#include <unistd.h>
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cpu_clock.h"
#include "engine/fake_sound_backend.h"
#include "settings/settings.h"
#include "ui/app.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"
#include "ui/training_view.h"

namespace {

using Clock = std::chrono::steady_clock;

std::filesystem::path g_folder;
int g_minutes = 60;
double g_wall = -1, g_cpu = 0;
long g_echoed = 0;

// Chooses the recording's path in the save dialog and declines saving the sent text.
class AnswerDialogs : public wxModalDialogHook {
public:
    explicit AnswerDialogs(const wxString& path) : m_path(path) { Register(); }
    ~AnswerDialogs() override { Unregister(); }

protected:
    int Enter(wxDialog* dialog) override {
        if (auto* save = dynamic_cast<wxFileDialog*>(dialog)) {
            save->SetPath(m_path);
            // The GTK chooser takes the path in the background.
            const auto end = Clock::now() + std::chrono::seconds(5);
            while (save->GetPath() != m_path && Clock::now() < end) {
                while (wxTheApp->Pending()) wxTheApp->Dispatch();
                wxTheApp->ProcessIdle();
            }
            return wxID_OK;
        }
        if (dynamic_cast<wxMessageDialog*>(dialog) != nullptr) return wxID_NO;
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}

private:
    wxString m_path;
};

class RecordBenchApp : public CTrainerApp {
public:
    bool OnInit() override {
        // No sound device: the recording needs none.
        if (!StartUp(std::make_unique<FakeSoundBackend>(std::vector<std::string>{}), 0))
            return false;
        CallAfter([this] { Record(); });
        return true;
    }
    int OnExit() override { return wxApp::OnExit(); }

private:
    void Record() {
        g_settings.m_nSource = SOURCE_KOCH;
        g_settings.m_nCharactersUsed = 20;
        g_settings.m_nSessionDuration = g_minutes;
        g_settings.m_keying.SetSpeeds(60, 90, false);
        CTrainingView& view = MainFrame()->View();
        {
            AnswerDialogs answers(wxString((g_folder / "bench.wav").c_str()));
            wxCommandEvent record(wxEVT_MENU, CMD_RECORD);
            const auto wallStart = Clock::now();
            const double cpuStart = ProcessCpuSeconds();
            view.GetEventHandler()->ProcessEvent(record);
            g_wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
            g_cpu = ProcessCpuSeconds() - cpuStart;
        }
        g_echoed = view.OutputPane()->GetLastPosition();
        MainFrame()->Close();
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_minutes = std::atoi(argv[1]);
    g_folder = std::filesystem::temp_directory_path() /
               ("veltrane-record-window-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(g_folder);
    setenv("XDG_CONFIG_HOME", g_folder.c_str(), 1);
    setenv("HOME", g_folder.c_str(), 1);

    wxApp::SetInstance(new RecordBenchApp);
    int fakeArgc = 1;
    const int result = wxEntry(fakeArgc, argv);
    const bool recorded = std::filesystem::exists(g_folder / "bench.wav");
    const auto bytes = recorded ? std::filesystem::file_size(g_folder / "bench.wav") : 0;
    std::filesystem::remove_all(g_folder);
    if (result != 0 || g_wall < 0 || !recorded) {
        std::fprintf(stderr, "the recording did not complete\n");
        return 1;
    }
    std::printf("%d-minute recording through the window: %llu bytes, %ld characters echoed\n",
                g_minutes, static_cast<unsigned long long>(bytes), g_echoed);
    std::printf("wall %.3f s, cpu %.3f s\n", g_wall, g_cpu);
    return 0;
}
