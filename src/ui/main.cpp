// The program's entry point; everything else lives in veltrane_ui.
#include "ui/app.h"

wxIMPLEMENT_APP(CTrainerApp);
