#pragma once
// The code table: the characters of the current set, either as a strip of two rows or as a tall
// table of two columns with each character's dots and dashes. Characters of the current lesson
// are bold in the system's text colour, the rest faded towards the background; the newest Koch
// character is framed. Every colour comes from the system's (light and dark themes alike). The
// tall table scrolls when the window is too low to show all of it. A click on a character
// asks the owner (the training view) to sound it: a wxEVT_BUTTON command with id 2031 whose
// GetInt() is the character byte (upper case, Windows-1252).

#include <wx/dc.h>
#include <wx/font.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/window.h>

#include <string>
#include <vector>

#include "content/code_table_layout.h"

class CCodeTablePanel : public wxWindow {
public:
    static constexpr int IDC_CODE_TABLE = 2031;

    CCodeTablePanel(wxWindow* parent, bool vertical, const wxSize& size);

    // The width the panel needs for the current character set (measures the font once).
    int PreferredWidth();
    // The height the panel needs: the tall table's longest column (the strip: its own height).
    int PreferredHeight();
    // Where click commands go; without an owner they go to the host's parent.
    void SetOwner(wxWindow* owner) { m_pOwner = owner; }

    // Draws the whole panel, as its paint handler does, and keeps the cells for clicks.
    void Render(wxDC& dc);

    // The characters and cells of the last paint, upper-cased (empty before the first paint).
    const std::string& ShownCharacters() const { return m_strShown; }
    const std::vector<CellRect>& CellRects() const { return m_cellRects; }

    // Clicking plays a character; the panel never takes the keyboard focus.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

private:
    void MeasureOnce();
    void OnLeftDown(const wxMouseEvent& event);

    bool m_bVertical;
    CodeTableMetrics m_metrics;  // all 0 until measured
    std::string m_strShown;
    std::vector<CellRect> m_cellRects;
    wxFont m_normalFont;
    wxFont m_boldFont;
    wxWindow* m_pOwner = nullptr;
};

// The host of one code table panel, docked in a band of the main frame. The tall table's host
// scrolls vertically, so that every character stays reachable in a low window.
class CCodeTableDialog : public wxScrolled<wxPanel> {
public:
    CCodeTableDialog() = default;

    // Creates the host and its panel as a child of parent, sized to the panel's preferred width.
    bool Create(wxWindow* parent, bool vertical);
    // Sizes panel and host to the preferred width (the tall table to its whole height, which the
    // host scrolls) and repaints; called after the character set or the view options changed.
    void Resize();
    // The width of the band: the panel's, and for the tall table room for its scroll bar.
    int PreferredWidth() const;
    // The window that receives the panel's click commands (the training view).
    void SetOwner(wxWindow* owner);

    CCodeTablePanel* Panel() const { return m_pPanel; }

private:
    bool m_bVertical = false;
    CCodeTablePanel* m_pPanel = nullptr;
};
