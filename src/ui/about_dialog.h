#pragma once
// The about box (Help menu, command 57664) and the start-up splash: a 616 x 403 picture with the
// version and a notice line painted on it. The about box has a caption "关于" and an OK button on
// the picture; the splash has no caption and no button and cannot be dismissed by Enter, Escape
// or a close request — whoever created it destroys it.

#include <wx/bitmap.h>
#include <wx/dialog.h>

class wxStaticText;

class CAboutDialog : public wxDialog {
public:
    enum ControlId : int {
        IDC_VERSION = 2059,
        IDC_NOTICE = 2060,
    };

    // The about box, centred over parent.
    explicit CAboutDialog(wxWindow* parent);

    // Creates the splash without a parent, centred over the given window (the screen when
    // null), shows it and paints it at once. The caller keeps it as long as it likes and ends it
    // with Destroy().
    static CAboutDialog* ShowSplash(const wxWindow* over = nullptr);
    // Centres the dialog over area (screen pixels), where the window under it now is.
    void CentreOver(const wxRect& area);

    bool IsSplash() const { return m_bSplash; }

private:
    struct SplashTag {};
    explicit CAboutDialog(SplashTag);

    void Build();
    void OnPaint();

    bool m_bSplash = false;
    wxBitmap m_bmpBackground;
    wxStaticText* m_pNotice = nullptr;   // hidden; its text is painted
    wxStaticText* m_pVersion = nullptr;  // hidden; its text is painted
};
