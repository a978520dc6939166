#pragma once
// The main frame: menu, accelerators, tool bar, the bands (managed by wxAuiManager: tool bar,
// control bar, donate bar and code strip at the top, the code table on the right), the status
// bar and the training view in the middle. It routes every command to the view first, shows a
// command that nobody handles as disabled, and remembers its own placement.

#include <wx/aui/framemanager.h>
#include <wx/frame.h>

#include <functional>
#include <memory>

#include "engine/sound_backend.h"
#include "ui/placement.h"

class CTrainingView;
class wxToolBar;

// True while CMainFrame routes a command; a command handed back to the frame during that time
// is not routed a second time.
extern bool g_bRoutingCommand;

// True when a static event table (or one it derives from) has a command handler for id.
bool EventTableHandlesCommand(const wxEventTable* table, int id);

class CMainFrame : public wxFrame {
public:
    CMainFrame() = default;
    ~CMainFrame() override;

    // Creates the frame with its bars and the view, which opens its sound device from `backend`.
    bool Create(std::unique_ptr<SoundBackend> backend);

    CTrainingView& View() const { return *m_wndView; }
    wxAuiManager& Bands() { return m_bands; }
    wxToolBar* ToolBar() const { return m_wndToolBar; }

    // The placement when the frame went (or now): maximized, and the last normal rectangle.
    bool IsPlacementMaximized() const;
    NormalRect NormalPlacement() const;
    // Takes rect as the normal rectangle, for a frame that starts maximized before it has ever
    // been shown in its normal size.
    void RememberNormalRect(const NormalRect& rect);
    // Hands the placement to whoever stores it, once, when the frame is destroyed.
    void SetPlacementSink(std::function<void(bool maximized, const NormalRect& normal)> sink);

    // Whether a command is available, as the menus and the tool bar show it.
    bool IsCommandEnabled(int id);

protected:
    bool TryBefore(wxEvent& event) override;

private:
    void CreateMenus();
    void CreateTools();
    void CreateStatusPanes();
    void SetAccelerators();
    bool RouteCommand(wxEvent& event);
    bool HasCommandHandler(int id) const;
    void UpdateStatusPanes();
    void RememberNormalRect();

    void OnExit(wxCommandEvent& event);
    void OnViewToolBar(wxCommandEvent& event);
    void OnViewStatusBar(wxCommandEvent& event);
    void OnUpdateAlwaysEnabled(wxUpdateUIEvent& event);
    void OnUpdateViewToolBar(wxUpdateUIEvent& event);
    void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMove(wxMoveEvent& event);
    void OnSetFocus(wxFocusEvent& event);

    wxAuiManager m_bands;
    CTrainingView* m_wndView = nullptr;
    wxToolBar* m_wndToolBar = nullptr;
    NormalRect m_rcLastNormal;
    bool m_bDestroyPending = false;
    std::function<void(bool, const NormalRect&)> m_placementSink;

    wxDECLARE_EVENT_TABLE();
};
