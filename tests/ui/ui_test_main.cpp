// Runs the UI tests inside one wx application under Xvfb. Each test builds the windows it needs.
// The profile store points at a private temporary folder, never the user's own.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " ("
                  << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const auto home = std::filesystem::temp_directory_path() /
                      ("veltrane-ui-tests-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "config");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);

    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) return 2;
    wxSetAssertHandler(FailOnAssert);
    wxTheApp->CallOnInit();
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::filesystem::remove_all(home);
    return result;
}
