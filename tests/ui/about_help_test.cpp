// The about box and splash, and the help book with its four topics.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/sstream.h>
#include <wx/stdpaths.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "options/options_sheet.h"
#include "ui/about_dialog.h"
#include "ui/help.h"
#include "ui_test_support.h"

namespace {

// Lets the windowing system map, size and paint what was just shown.
void Settle() {
    for (int i = 0; i < 5; ++i) {
        wxYield();
        wxMilliSleep(20);
    }
}

void SendEscape(wxWindow& window) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_ESCAPE;
    key.SetEventObject(&window);
    window.ProcessWindowEvent(key);
}

// The built book, which the build places beside the test program (tests/ui/CMakeLists.txt):
// the place where the program looks first. It stays there, so that tests running side by side
// never see it come and go.
class BookBesideProgram {
public:
    BookBesideProgram()
        : m_path(std::filesystem::path(wxStandardPaths::Get().GetExecutablePath().utf8_string())
                     .parent_path() /
                 kHelpBookName) {
        EXPECT_TRUE(std::filesystem::exists(m_path)) << m_path;
    }
    wxString Path() const { return wxString::FromUTF8(m_path.string()); }

private:
    std::filesystem::path m_path;
};

// The text of a page inside the book, read straight from the zip archive.
wxString ReadTopic(const wxString& book, const wxString& topic) {
    wxFFileInputStream file(book);
    wxZipInputStream zip(file);
    while (std::unique_ptr<wxZipEntry> entry{zip.GetNextEntry()}) {
        if (entry->GetName() != topic) continue;
        wxStringOutputStream text(nullptr, wxConvUTF8);
        zip.Read(text);
        return text.GetString();
    }
    return wxString();
}

// Runs action once cond holds, checking every 20 ms from whichever event loop is running. (A
// check that re-queued itself as a pending event would keep a loop from ever ending.)
void RunWhen(std::function<bool()> cond, std::function<void()> action) {
    auto* timer = new wxTimer;
    timer->Bind(wxEVT_TIMER, [timer, cond, action](wxTimerEvent&) {
        if (!cond()) return;
        timer->Stop();
        action();
        wxTheApp->CallAfter([timer] { delete timer; });
    });
    timer->Start(20);
}

}  // namespace

TEST(AboutDialogTest, AboutBoxIsThePictureWithOkAtItsBottomRight) {
    wxFrame owner(nullptr, wxID_ANY, "owner");
    CAboutDialog about(&owner);
    about.Show();
    Settle();
    EXPECT_FALSE(about.IsSplash());
    EXPECT_EQ(about.GetTitle(), U("关于"));
    EXPECT_TRUE(about.HasFlag(wxCAPTION));
    EXPECT_EQ(about.GetClientSize(), wxSize(616, 403));

    auto* ok = dynamic_cast<wxButton*>(about.FindWindow(wxID_OK));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->IsShown());
    EXPECT_EQ(ok->GetLabel(), U("确定"));
    const wxRect button = ok->GetRect();
    EXPECT_EQ(button.x + button.width, 616 - 10);
    EXPECT_EQ(button.y + button.height, 403 - 50);
    // The two texts it paints are kept in hidden controls.
    EXPECT_EQ(about.FindWindow(CAboutDialog::IDC_VERSION)->GetLabel(), U("版本 1.23"));
    EXPECT_FALSE(about.FindWindow(CAboutDialog::IDC_VERSION)->IsShown());
    EXPECT_NE(about.FindWindow(CAboutDialog::IDC_NOTICE)->GetLabel().Find("Korvanel"), wxNOT_FOUND);
}

TEST(AboutDialogTest, EscapeClosesTheAboutBoxButNotTheSplash) {
    wxFrame owner(nullptr, wxID_ANY, "owner");
    {
        CAboutDialog about(&owner);
        bool closed = false;
        about.CallAfter([&about, &closed] {
            SendEscape(about);
            closed = !about.IsModal();
            if (!closed) about.EndModal(wxID_ABORT);
        });
        about.ShowModal();
        EXPECT_TRUE(closed);
    }

    CAboutDialog* splash = CAboutDialog::ShowSplash();
    Settle();
    EXPECT_TRUE(splash->IsSplash());
    EXPECT_FALSE(splash->HasFlag(wxCAPTION));
    EXPECT_EQ(splash->FindWindow(wxID_OK), nullptr);
    EXPECT_EQ(splash->GetClientSize(), wxSize(616, 403));

    SendEscape(*splash);
    for (int id : {wxID_CANCEL, wxID_OK}) {
        wxCommandEvent command(wxEVT_BUTTON, id);
        splash->ProcessWindowEvent(command);
    }
    EXPECT_FALSE(splash->Close());  // a close request is refused
    Settle();
    EXPECT_TRUE(splash->IsShown());
    EXPECT_FALSE(splash->IsBeingDeleted());
    splash->Destroy();
    Settle();
}

TEST(HelpTest, BookBesideTheProgramHoldsTheFourTopics) {
    BookBesideProgram copy;
    EXPECT_EQ(FindHelpBook(), copy.Path());
    for (const char* topic :
         {"intro.htm", "generaloptions.htm", "charsetoptions.htm", "audiooptions.htm"}) {
        const wxString page = ReadTopic(copy.Path(), topic);
        EXPECT_NE(page.Find("charset=utf-8"), wxNOT_FOUND) << topic;
        EXPECT_NE(page.Find(U("<h2>")), wxNOT_FOUND) << topic;
    }
    // Titles as shown by the help window, in Chinese.
    EXPECT_NE(ReadTopic(copy.Path(), "charsetoptions.htm").Find(U("Koch 字符集设置")), wxNOT_FOUND);
    EXPECT_NE(ReadTopic(copy.Path(), "audiooptions.htm").Find(U("<title>音量</title>")),
              wxNOT_FOUND);

    // The pages call the copy pane by its label and tell when the code table frames a character.
    for (const char* topic : {"intro.htm", "generaloptions.htm"}) {
        const wxString page = ReadTopic(copy.Path(), topic);
        EXPECT_NE(page.Find(U("听抄结果")), wxNOT_FOUND) << topic;
        EXPECT_EQ(page.Find(U("抄收窗口")), wxNOT_FOUND) << topic;
    }
    EXPECT_NE(ReadTopic(copy.Path(), "generaloptions.htm").Find(U("第三个字符起")), wxNOT_FOUND);
    EXPECT_NE(ReadTopic(copy.Path(), "intro.htm").Find(U("查看上次结果")), wxNOT_FOUND);
}

TEST(HelpTest, ShowHelpTopicOpensThePageInTheHelpFrame) {
    BookBesideProgram copy;
    auto owner = std::make_unique<wxFrame>(nullptr, wxID_ANY, "owner");
    owner->Show();
    ShowHelpTopic(owner.get(), "generaloptions.htm");
    Settle();
    wxHtmlHelpController* help = GetHelpController();
    ASSERT_NE(help, nullptr);
    ASSERT_NE(help->GetFrame(), nullptr);
    EXPECT_TRUE(help->GetFrame()->IsShown());
    wxHtmlWindow* page = help->GetHelpWindow()->GetHtmlWindow();
    EXPECT_TRUE(page->GetOpenedPage().EndsWith("generaloptions.htm"));
    // Shown as HTML (its title read from the page), not as plain text.
    EXPECT_EQ(page->GetOpenedPageTitle(), U("常规选项"));
    // The book's title and its contents entries are read as UTF-8.
    wxHtmlHelpData* data = help->GetHelpData();
    ASSERT_FALSE(data->GetBookRecArray().empty());
    EXPECT_EQ(data->GetBookRecArray()[0].GetTitle(), U("Veltrane 使用手册"));
    wxArrayString names;
    for (size_t i = 0; i < data->GetContentsArray().size(); ++i)
        names.Add(data->GetContentsArray()[i].name);
    for (const char* name : {"使用手册", "常规选项", "Koch 字符集设置", "音量"})
        EXPECT_NE(names.Index(U(name)), wxNOT_FOUND) << name;

    // The same frame shows the next topic.
    wxFrame* frame = help->GetFrame();
    ShowHelpTopic(owner.get(), "audiooptions.htm");
    Settle();
    EXPECT_EQ(help->GetFrame(), frame);
    EXPECT_TRUE(
        help->GetHelpWindow()->GetHtmlWindow()->GetOpenedPage().EndsWith("audiooptions.htm"));

    // The frame goes with its owner; the next topic opens a new one.
    owner.reset();
    Settle();
    auto second = std::make_unique<wxFrame>(nullptr, wxID_ANY, "second owner");
    second->Show();
    ShowHelpTopic(second.get(), "intro.htm");
    Settle();
    ASSERT_NE(help->GetFrame(), nullptr);
    EXPECT_TRUE(help->GetFrame()->IsShown());
    EXPECT_TRUE(help->GetHelpWindow()->GetHtmlWindow()->GetOpenedPage().EndsWith("intro.htm"));
    second.reset();
    Settle();
}

TEST(HelpTest, F1InTheModalSheetShowsTheHelpOfThePageInFront) {
    BookBesideProgram copy;
    wxFrame owner(nullptr, wxID_ANY, "owner");
    owner.Show();
    COptionsSheet sheet(&owner, std::function<void()>{});
    sheet.GetBookCtrl()->SetSelection(1);

    wxEventLoopBase* sheetLoop = nullptr;
    bool helpShownOverSheet = false;
    wxString opened;
    sheet.CallAfter([&] {
        sheetLoop = wxEventLoopBase::GetActive();
        wxKeyEvent key(wxEVT_CHAR_HOOK);
        key.m_keyCode = WXK_F1;
        sheet.ProcessWindowEvent(key);
        // The help frame takes the input in a loop of its own while the sheet stays modal.
        RunWhen([] { return GetHelpController() && GetHelpController()->GetFrame(); },
                [&] {
                    wxHtmlHelpController* help = GetHelpController();
                    helpShownOverSheet = help->GetFrame()->IsShown() && sheet.IsModal();
                    opened = help->GetHelpWindow()->GetHtmlWindow()->GetOpenedPage();
                    help->GetFrame()->Close();
                    // Back in the sheet's own loop, the sheet can close.
                    RunWhen([&] { return wxEventLoopBase::GetActive() == sheetLoop; },
                            [&] { sheet.EndModal(wxID_CANCEL); });
                });
    });
    EXPECT_EQ(sheet.ShowModal(), wxID_CANCEL);
    EXPECT_TRUE(helpShownOverSheet);
    EXPECT_TRUE(opened.EndsWith("charsetoptions.htm")) << opened;
    Settle();
}
