#include "ui/app.h"

#include <wx/frame.h>

bool CTrainerApp::OnInit() {
    auto* frame = new wxFrame(nullptr, wxID_ANY, wxString::FromUTF8("韦朗特 Veltrane"));
    frame->Show();
    return true;
}

int CTrainerApp::OnExit() { return wxApp::OnExit(); }
