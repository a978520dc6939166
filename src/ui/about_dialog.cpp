#include "ui/about_dialog.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/frame.h>
#include <wx/stattext.h>

#include "ui/about_picture.h"

static_assert(static_cast<int>(CAboutDialog::IDC_NOTICE) < static_cast<int>(wxID_LOWEST));

namespace {

// Right ends and tops of the painted texts, in picture pixels.
constexpr int kVersionRight = 601;
constexpr int kVersionTop = 210;
constexpr int kNoticeRight = 605;
constexpr int kNoticeTop = 377;
// The OK button's right edge and bottom edge lie this far inside the picture's.
constexpr int kButtonRightInset = 10;
constexpr int kButtonBottomInset = 50;

}  // namespace

CAboutDialog::CAboutDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("关于"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    Build();
    auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8("确定"));
    const wxSize button = ok->GetBestSize();
    ok->SetSize(m_bmpBackground.GetWidth() - button.x - kButtonRightInset,
                m_bmpBackground.GetHeight() - button.y - kButtonBottomInset, button.x, button.y);
    ok->SetDefault();
    ok->SetFocus();
    CentreOnParent();
}

CAboutDialog::CAboutDialog(SplashTag)
    : wxDialog(nullptr, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
               wxBORDER_RAISED | wxFRAME_NO_TASKBAR) {
    m_bSplash = true;
    Build();
    CentreOnScreen();

    // Nothing the user does closes the splash: keys, commands and close requests are swallowed.
    Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent&) {});
    Bind(wxEVT_BUTTON, [](wxCommandEvent&) {});
    Bind(wxEVT_MENU, [](wxCommandEvent&) {});
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        if (event.CanVeto())
            event.Veto();
        else
            Destroy();
    });
}

CAboutDialog* CAboutDialog::ShowSplash(const wxWindow* over) {
    auto* splash = new CAboutDialog(SplashTag{});
    if (over != nullptr) splash->CentreOver(over->GetScreenRect());
    splash->Show();
    splash->Update();
    return splash;
}

void CAboutDialog::CentreOver(const wxRect& area) {
    const wxSize size = GetSize();
    const wxPoint place(area.x + (area.width - size.x) / 2, area.y + (area.height - size.y) / 2);
    if (GetPosition() != place) Move(place);
}

void CAboutDialog::Build() {
    m_pVersion = new wxStaticText(this, IDC_VERSION, wxString::FromUTF8("版本 1.23"));
    m_pNotice = new wxStaticText(this, IDC_NOTICE,
                                 wxString::FromUTF8("© 2026 Korvanel 版权所有，保留一切权利。"));
    m_pVersion->Hide();
    m_pNotice->Hide();

    m_bmpBackground = DrawAboutPicture();
    SetClientSize(m_bmpBackground.GetWidth(), m_bmpBackground.GetHeight());
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { OnPaint(); });
}

void CAboutDialog::OnPaint() {
    wxAutoBufferedPaintDC dc(this);
    if (m_bmpBackground.IsOk()) dc.DrawBitmap(m_bmpBackground, 0, 0);
    dc.SetFont(GetFont());
    dc.SetTextForeground(*wxBLACK);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    // Both texts are right-aligned: they end at the given x.
    const auto drawRightAligned = [&dc](const wxString& text, int right, int top) {
        dc.DrawText(text, right - dc.GetTextExtent(text).x, top);
    };
    drawRightAligned(m_pVersion->GetLabel(), kVersionRight, kVersionTop);
    drawRightAligned(m_pNotice->GetLabel(), kNoticeRight, kNoticeTop);
}
