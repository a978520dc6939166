#include "ui/code_table_panel.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <mutex>

#include "content/charset.h"
#include "content/codepage.h"
#include "engine/morse_code.h"
#include "settings/settings.h"

static_assert(CCodeTablePanel::IDC_CODE_TABLE < wxID_LOWEST);

namespace {

// The panel's colours, from the system's at each paint (the theme may change meanwhile): text on
// the button face, characters outside the lesson halfway between the two, and the frame and the
// Morse bars in the colours of an input field.
struct Palette {
    wxColour face;
    wxColour text;
    wxColour inactive;
    wxColour field;
    wxColour fieldText;

    static Palette FromSystem() {
        const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
        const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
        const auto half = [](unsigned char a, unsigned char b) {
            return static_cast<unsigned char>((a + b) / 2);
        };
        return {face, text,
                wxColour(half(face.Red(), text.Red()), half(face.Green(), text.Green()),
                         half(face.Blue(), text.Blue())),
                wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW),
                wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT)};
    }
};

// The host's font size, in points.
constexpr int kPanelFontPoints = 10;
// Size of the host in dialog units before it is fitted to the character set.
const wxSize kHostDialogUnits(291, 19);
const wxSize kPanelDialogUnits(291, 18);

// How far the newest-character frame reaches beyond the cell in the strip, in pixels.
constexpr int kFrameExtraLeft = 2;
constexpr int kFrameExtraRight = 1;
// The text of the tall table starts this far into its cell.
constexpr int kTallTextIndent = 2;
// The parenthesis cell's text is raised so that "( )" looks centred against the letters.
constexpr int kParenthesisRaise = 2;
// The prosign overline sits this far below the top of the text rectangle.
constexpr int kOverlineOffset = 2;

wxRect ToWxRect(const CellRect& rect) {
    return wxRect(rect.left, rect.top, rect.Width(), rect.Height());
}

CodeTableInputs ReadLiveInputs() {
    CodeTableInputs inputs;
    {
        std::lock_guard lock(g_settingsLock);
        inputs.setString = g_settings.m_charSet.BuildSetString(false);
    }
    inputs.activeCharacters = g_settings.GetActiveCharacters();
    inputs.source = g_settings.m_nSource;
    inputs.charactersUsed = g_settings.m_nCharactersUsed;
    inputs.practiceMode = g_settings.m_bPracticeMode;
    return inputs;
}

}  // namespace

CCodeTablePanel::CCodeTablePanel(wxWindow* parent, bool vertical, const wxSize& size)
    : wxWindow(parent, IDC_CODE_TABLE, wxDefaultPosition, size,
               wxFULL_REPAINT_ON_RESIZE | wxBORDER_NONE),
      m_bVertical(vertical) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxAutoBufferedPaintDC dc(this);
        Render(dc);
    });
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) { OnLeftDown(event); });
    // The second press of a double click is not a second click: the character sounds once.
    Bind(wxEVT_LEFT_DCLICK, [](wxMouseEvent&) {});
    // The wheel over the table scrolls its host.
    Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& event) {
        GetParent()->GetEventHandler()->ProcessEvent(event);
    });
}

void CCodeTablePanel::MeasureOnce() {
    m_normalFont = GetFont();
    if (m_metrics.narrowCell != 0) return;
    m_boldFont = m_normalFont.Bold();
    int width = 0;
    int height = 0;
    GetTextExtent("W", &width, &height, nullptr, nullptr, &m_boldFont);
    m_metrics.narrowCell = width + 1;
    m_metrics.rowHeight = height * 6 / 5;
    GetTextExtent("SOS", &width, &height, nullptr, nullptr, &m_boldFont);
    m_metrics.wideCell = width + 1;
}

int CCodeTablePanel::PreferredWidth() {
    MeasureOnce();
    std::string setString;
    {
        std::lock_guard lock(g_settingsLock);
        setString = g_settings.m_charSet.BuildSetString(false);
    }
    return CodeTablePreferredWidth(setString, m_bVertical, m_metrics);
}

int CCodeTablePanel::PreferredHeight() {
    if (!m_bVertical) return GetSize().y;
    MeasureOnce();
    std::string setString;
    {
        std::lock_guard lock(g_settingsLock);
        setString = g_settings.m_charSet.BuildSetString(false);
    }
    return CodeTableTallHeight(setString, m_metrics);
}

void CCodeTablePanel::Render(wxDC& dc) {
    const Palette colours = Palette::FromSystem();
    dc.SetBackground(wxBrush(colours.face));
    dc.Clear();
    MeasureOnce();

    const CodeTableInputs inputs = ReadLiveInputs();
    const auto cells = BuildCodeTableCells(inputs);
    const wxSize client = GetClientSize();
    m_cellRects = LayoutCodeTableCells(cells, CodeTableSplit(inputs.setString), m_bVertical,
                                       client.x, client.y, m_metrics);
    m_strShown.clear();
    for (const auto& cell : cells) m_strShown += static_cast<char>(cell.ch);

    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const wxPen textPen(colours.text, 1);
    const wxPen inactivePen(colours.inactive, 1);
    const wxBrush fieldBrush(colours.field);
    for (size_t i = 0; i < cells.size(); ++i) {
        const CodeTableCell& cell = cells[i];
        const CellRect& rect = m_cellRects[i];

        if (cell.framed) {
            wxRect frame = ToWxRect(rect);
            if (!m_bVertical) {
                frame.x -= kFrameExtraLeft;
                frame.width += kFrameExtraLeft + kFrameExtraRight;
            }
            dc.SetPen(textPen);
            dc.SetBrush(fieldBrush);
            dc.DrawRectangle(frame);
        }

        wxRect textRect = ToWxRect(rect);
        if (m_bVertical) {
            textRect.x += kTallTextIndent;
            textRect.width = m_metrics.wideCell;
        }
        if (cell.parenthesis) textRect.y -= kParenthesisRaise;

        dc.SetFont(cell.active ? m_boldFont : m_normalFont);
        const wxString text = wxString::FromUTF8(codepage::ToUtf8(cell.text));
        if (cell.prosign) {
            const int width = dc.GetTextExtent(text).x;
            const int left = textRect.x + (textRect.width - width) / 2;
            const int y = textRect.y + kOverlineOffset;
            dc.SetPen(cell.active ? textPen : inactivePen);
            dc.DrawLine(left, y, left + width, y);
        }
        // Inside the frame the text stands on the field colour.
        dc.SetTextForeground(!cell.active ? colours.inactive
                             : cell.framed ? colours.fieldText
                                           : colours.text);
        dc.DrawLabel(text, textRect, wxALIGN_CENTER);

        if (m_bVertical) {
            dc.SetPen(textPen);
            dc.SetBrush(fieldBrush);
            for (const auto& bar : MorseBars(LookupMorseCode(cell.ch), rect, m_metrics))
                dc.DrawRectangle(ToWxRect(bar));
        }
    }
}

void CCodeTablePanel::OnLeftDown(const wxMouseEvent& event) {
    const int index = HitTestCodeTable(m_cellRects, event.GetX(), event.GetY());
    if (index < 0 || index >= static_cast<int>(m_strShown.size())) return;
    wxWindow* target = m_pOwner ? m_pOwner : GetParent()->GetParent();
    if (!target) return;
    auto* click = new wxCommandEvent(wxEVT_BUTTON, GetId());
    click->SetInt(static_cast<unsigned char>(m_strShown[index]));
    click->SetEventObject(this);
    // Posted, so that the sound starts after the click has been handled.
    wxQueueEvent(target, click);
}

bool CCodeTableDialog::Create(wxWindow* parent, bool vertical) {
    m_bVertical = vertical;
    if (!wxScrolled<wxPanel>::Create(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                     wxBORDER_NONE | (vertical ? wxVSCROLL : 0)))
        return false;
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(kPanelFontPoints);
    SetFont(font);
    SetSize(ConvertDialogToPixels(kHostDialogUnits));
    m_pPanel = new CCodeTablePanel(this, vertical, ConvertDialogToPixels(kPanelDialogUnits));
    Resize();
    return true;
}

void CCodeTableDialog::Resize() {
    const int panelWidth = m_pPanel->PreferredWidth();
    const int width = PreferredWidth();
    if (m_bVertical) {
        const int height = m_pPanel->PreferredHeight();
        m_pPanel->SetSize(panelWidth, height);
        SetVirtualSize(panelWidth, height);
        // Small steps, so that the wheel moves the table smoothly.
        SetScrollRate(0, FromDIP(10));
        SetMinSize(wxSize(width, -1));
    } else {
        const int height = m_pPanel->GetClientSize().y;
        m_pPanel->SetSize(panelWidth, height);
        SetSize(width, height);
        SetMinSize(wxSize(width, height));
    }
    Refresh();
}

int CCodeTableDialog::PreferredWidth() const {
    const int panel = m_pPanel->PreferredWidth();
    return m_bVertical ? panel + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this) : panel;
}

void CCodeTableDialog::SetOwner(wxWindow* owner) {
    m_pPanel->SetOwner(owner);
}
