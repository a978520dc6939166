#pragma once
// The application object: loads the settings, creates the main frame, saves at exit.

#include <wx/app.h>

class CTrainerApp : public wxApp {
public:
    bool OnInit() override;
    int OnExit() override;
};

wxDECLARE_APP(CTrainerApp);
