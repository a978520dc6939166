#pragma once
// The picture of the about dialog and start-up splash, drawn at run time: 616 x 403 pixels.
// The right-hand strip around y = 210 to 230 and the bottom strip from y = 370 stay light and
// empty, because the dialog paints the version and the notice line there in the default text
// colour, and the about box puts its OK button at the bottom right.

#include <wx/bitmap.h>

inline constexpr int kAboutPictureWidth = 616;
inline constexpr int kAboutPictureHeight = 403;

wxBitmap DrawAboutPicture();
