// Runs the UI tests inside one wx application under Xvfb. The application object is the
// program's own, without its start-up: each test opens the main window it needs (UiTest).
// The profile store points at a private temporary folder, never the user's own.
#include <gtest/gtest.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ui/app.h"

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " ("
                  << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
}

// The trainer's application object with its start-up and shut-down left to the tests.
class UiTestApp : public CTrainerApp {
public:
    bool OnInit() override { return true; }
    int OnExit() override { return wxApp::OnExit(); }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery) needs no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    const auto home = std::filesystem::temp_directory_path() /
                      ("veltrane-ui-tests-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "config");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);

    wxApp::SetInstance(new UiTestApp);
    if (!wxEntryStart(argc, argv)) return 2;
    wxSetAssertHandler(FailOnAssert);
    wxTheApp->CallOnInit();
    wxTheApp->SetExitOnFrameDelete(false);
    int result = 0;
    {
        // The tests pump messages themselves; that needs an active loop.
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::filesystem::remove_all(home);
    return result;
}
