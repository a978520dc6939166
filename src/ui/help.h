#pragma once
// The help book: the project's own HTML pages zipped into "Veltrane.htb", shown in the
// framework's HTML help viewer. Topics are page names: "intro.htm", "generaloptions.htm",
// "charsetoptions.htm", "audiooptions.htm".

#include <wx/string.h>

class wxWindow;
class wxHtmlHelpController;

// The file name of the help book.
inline constexpr const char* kHelpBookName = "Veltrane.htb";

// Full path of the help book: beside the executable (the build tree, or a portable copy),
// otherwise in the installed data directory (<prefix>/share/Veltrane). Empty when neither
// exists.
wxString FindHelpBook();

// Opens a topic of the help book in the help frame, which is created once, belongs to the
// caller's top-level window and is reused while open. Called from a modal dialog, the frame
// takes the input until it is closed. Nothing happens when the book is missing.
void ShowHelpTopic(wxWindow* caller, const wxString& topic);

// The controller behind the modeless help frame, once ShowHelpTopic has created it (else null).
wxHtmlHelpController* GetHelpController();
