#include "ui/help.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlfilt.h>
#include <wx/html/htmlwin.h>
#include <wx/log.h>
#include <wx/module.h>
#include <wx/sstream.h>
#include <wx/stdpaths.h>

#include <memory>

#include "ui/html_line_breaks.h"

namespace {

// The framework's controller, told when its help frame goes away without being closed (with
// its parent, or when the application ends), so that it never touches a destroyed frame.
class CHelpController : public wxHtmlHelpController {
public:
    CHelpController() : wxHtmlHelpController(wxHF_DEFAULT_STYLE | wxHF_FRAME) {
        SetTitleFormat(wxString::FromUTF8("Veltrane 帮助 - %s"));
    }

    // Makes an existing frame usable again: a modal dialog started after the frame opened has
    // disabled it, and help asked for from that dialog must be readable.
    void EnableFrame() {
        if (m_helpFrame && !m_helpFrame->IsEnabled()) m_helpFrame->Enable();
    }

protected:
    wxHtmlHelpFrame* CreateHelpFrame(wxHtmlHelpData* data) override {
        wxHtmlHelpFrame* frame = wxHtmlHelpController::CreateHelpFrame(data);
        // The book is Chinese: its paragraphs must wrap at the frame's width.
        if (wxHtmlWindow* page = frame->GetHelpWindow()->GetHtmlWindow())
            AllowLineBreaksInChineseText(*page);
        frame->Bind(wxEVT_DESTROY, [this, frame](wxWindowDestroyEvent& event) {
            if (event.GetEventObject() == frame && m_helpFrame == frame) {
                m_helpFrame = nullptr;
                m_helpWindow = nullptr;
            }
            event.Skip();
        });
        return frame;
    }
};

// Reads the book's pages as HTML also where the system's MIME database calls ".htm" files
// "application/xhtml+xml" (Debian's does), which the HTML window would otherwise show as plain
// text. The book's pages are UTF-8.
class CHelpPageFilter : public wxHtmlFilter {
public:
    bool CanRead(const wxFSFile& file) const override {
        return file.GetMimeType().StartsWith("application/xhtml+xml");
    }
    wxString ReadFile(const wxFSFile& file) const override {
        wxInputStream* in = file.GetStream();
        if (!in) return wxString();
        wxStringOutputStream text(nullptr, wxConvUTF8);
        in->Read(text);
        return text.GetString();
    }
};

std::unique_ptr<CHelpController> g_pHelp;
bool g_bBookLoaded = false;

// Releases the controller with the rest of the framework.
class CHelpModule : public wxModule {
public:
    bool OnInit() override { return true; }
    void OnExit() override {
        g_pHelp.reset();
        g_bBookLoaded = false;
    }

private:
    wxDECLARE_DYNAMIC_CLASS(CHelpModule);
};
wxIMPLEMENT_DYNAMIC_CLASS(CHelpModule, wxModule);

}  // namespace

wxString FindHelpBook() {
    const wxStandardPaths& paths = wxStandardPaths::Get();
    const wxString dirs[] = {wxFileName(paths.GetExecutablePath()).GetPath(), paths.GetDataDir()};
    for (const wxString& dir : dirs) {
        const wxFileName book(dir, kHelpBookName);
        if (book.FileExists()) return book.GetFullPath();
    }
    return wxString();
}

void ShowHelpTopic(wxWindow* caller, const wxString& topic) {
    if (!g_pHelp) {
        // The book is a zip archive; pages inside it are reached through this handler. Both it
        // and the filter are owned by the framework from here on.
        static bool s_bHandlersAdded = false;
        if (!s_bHandlersAdded) {
            wxFileSystem::AddHandler(new wxArchiveFSHandler);
            wxHtmlWindow::AddFilter(new CHelpPageFilter);
            s_bHandlersAdded = true;
        }
        g_pHelp = std::make_unique<CHelpController>();
    }
    if (!g_bBookLoaded) {
        // A missing or unreadable book is not reported: the help simply does not open.
        wxLogNull noLog;
        const wxString book = FindHelpBook();
        if (book.empty() || !g_pHelp->AddBook(wxFileName(book))) return;
        g_bBookLoaded = true;
    }
    // A new help frame belongs to the caller's window and closes with it. Called from a modal
    // dialog, the frame takes the input until it is closed (the framework's grab).
    if (!g_pHelp->GetFrame())
        g_pHelp->SetParentWindow(caller ? wxGetTopLevelParent(caller) : nullptr);
    g_pHelp->EnableFrame();
    g_pHelp->Display(topic);
}

wxHtmlHelpController* GetHelpController() {
    return g_pHelp.get();
}
