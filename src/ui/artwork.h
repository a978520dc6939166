#pragma once
// The program's own pictures, drawn at run time: the tool-bar buttons of the session and View
// commands and the window icon. The edit buttons take the platform's cut, copy and paste
// pictures (wxArtProvider, which falls back to wx's built-in ones).

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

// The 16 by 16 button picture of a tool-bar command; invalid for a command without one.
wxBitmap ToolBitmap(int commandId);

// The window icon in the sizes the window manager asks for (16, 32 and 48 pixels).
wxIconBundle ApplicationIcons();
