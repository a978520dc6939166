// Entry point of store_tests: wxBase must be initialised before a wxConfig exists, and a failed
// wx assertion must fail the test instead of waiting for a user.
#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/log.h>

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " at "
                  << file.utf8_string() << ":" << line << ": " << msg.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wxSetAssertHandler(FailOnAssert);
    wxInitializer wx;
    if (!wx.IsOk()) return 1;
    return RUN_ALL_TESTS();
}
