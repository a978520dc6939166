#pragma once
// The font of the output and copy panes, built from and read back into its settings record. The
// training view, the general page's font button and a load all keep a font within the same
// ranges (IoFontSpec), so a chosen font looks the same after a restart.

#include <wx/font.h>

#include "settings/settings.h"

// Height in tenths of a point; a face the system lacks falls back to the default face. Weight 0
// (no preference) is normal weight. Values outside the record's ranges are brought into them.
wxFont MakePaneFont(const IoFontSpec& font);
// The record of a font the learner chose, within the record's ranges.
IoFontSpec PaneFontSpec(const wxFont& font);
