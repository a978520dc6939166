// The results dialog and the code table panel, as real windows.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "content/charset.h"
#include "ui/results_dialog.h"
#include "scoring/score_tally.h"
#include "settings/settings.h"
#include "ui/code_table_panel.h"

namespace {

// Lets queued events and simulated input arrive.
void Pump(int milliseconds) {
    const wxLongLong end = wxGetLocalTimeMillis() + milliseconds;
    while (wxGetLocalTimeMillis() < end) {
        wxYield();
        wxMilliSleep(5);
    }
}

wxString FieldText(wxWindow& dialog, int id) {
    return static_cast<wxTextCtrl*>(dialog.FindWindow(id))->GetValue();
}

std::vector<std::string> RowTexts(wxListCtrl& list, long row) {
    std::vector<std::string> texts;
    for (int column = 0; column < list.GetColumnCount(); ++column)
        texts.push_back(list.GetItemText(row, column).utf8_string());
    return texts;
}

}  // namespace

TEST(ResultsDialogTest, FillsTotalsAndRowsWorstFirst) {
    ScoreTally tally;
    tally.Clear();
    const struct {
        unsigned char ch;
        int correct;
        int wrong;
    } counts[] = {{'E', 7, 3}, {'K', 0, 2}, {' ', 1, 1}, {1, 2, 0}, {6, 3, 1}};
    for (const auto& count : counts) {
        tally.correct[count.ch] = count.correct;
        tally.wrong[count.ch] = count.wrong;
        tally.correctTotal += count.correct;
        tally.wrongTotal += count.wrong;
    }

    CResultsDialog dialog(nullptr, &tally, 200);
    EXPECT_EQ(FieldText(dialog, 2013), "3 m 20 s");
    EXPECT_EQ(FieldText(dialog, 2014), "13");
    EXPECT_EQ(FieldText(dialog, 2015), "7");
    EXPECT_EQ(FieldText(dialog, 2017), "65.0%");
    EXPECT_FALSE(static_cast<wxTextCtrl*>(dialog.FindWindow(2017))->IsEditable());

    auto* list = static_cast<wxListCtrl*>(dialog.FindWindow(2036));
    ASSERT_EQ(list->GetItemCount(), 5);
    using Row = std::vector<std::string>;
    EXPECT_EQ(RowTexts(*list, 0), (Row{"K", "", "0", "2", "0.0%"}));
    EXPECT_EQ(RowTexts(*list, 1), (Row{" ", "词间隙", "1", "1", "50.0%"}));
    EXPECT_EQ(RowTexts(*list, 2), (Row{"E", "", "7", "3", "70.0%"}));
    EXPECT_EQ(RowTexts(*list, 3), (Row{"\\SK", "", "3", "1", "75.0%"}));
    EXPECT_EQ(RowTexts(*list, 4), (Row{"( )", "括号", "2", "0", "100.0%"}));

    // Widths 4 : 6 : 3 : 3 : 4, together no wider than the list.
    ASSERT_EQ(list->GetColumnCount(), 5);
    const int unit = list->GetColumnWidth(2) / 3;
    EXPECT_GT(unit, 0);
    for (const auto& [column, units] : {std::pair{0, 4}, {1, 6}, {2, 3}, {3, 3}, {4, 4}})
        EXPECT_EQ(list->GetColumnWidth(column), units * unit) << column;
    EXPECT_LE(20 * unit, list->GetClientSize().x);
}

TEST(ResultsDialogTest, EscapeClosesAfterTheKeyGuard) {
    ScoreTally tally;
    tally.Clear();
    CResultsDialog dialog(nullptr, &tally, 0);
    EXPECT_EQ(FieldText(dialog, 2017), "100.0%");

    wxTimer press;
    wxTimer guard;  // a dialog still open after five seconds fails instead of hanging
    press.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        wxUIActionSimulator simulator;
        simulator.MouseMove(dialog.GetScreenPosition() + wxPoint(20, 20));
        simulator.Char(WXK_ESCAPE);
    });
    guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (dialog.IsModal()) dialog.EndModal(wxID_ABORT);
    });
    // Keys of its first second are the copy's, not an answer to it.
    press.StartOnce(static_cast<int>(CResultsDialog::kKeyGuard.count()) + 300);
    guard.StartOnce(6000);
    EXPECT_EQ(dialog.ShowModal(), wxID_OK);
}

class CodeTablePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        {
            std::lock_guard lock(g_settingsLock);
            m_savedSet = g_settings.m_charSet;
            g_settings.m_charSet.ResetDefaults();
        }
        m_savedSource = g_settings.m_nSource;
        m_savedCharactersUsed = g_settings.m_nCharactersUsed;
        m_savedPracticeMode = g_settings.m_bPracticeMode;
        g_settings.m_nSource = SOURCE_KOCH;
        g_settings.m_nCharactersUsed = 5;  // "kmrsu"
        g_settings.m_bPracticeMode = false;

        m_frame = new wxFrame(nullptr, wxID_ANY, "code table", wxPoint(0, 0), wxSize(900, 700));
        m_view = new wxWindow(m_frame, wxID_ANY, wxPoint(0, 300), wxSize(100, 100));
        m_view->Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
            if (event.GetId() == 2031) m_clicks.push_back(event.GetInt());
        });
        m_strip = new CCodeTableDialog;
        ASSERT_TRUE(m_strip->Create(m_frame, false));
        m_strip->SetOwner(m_view);
        m_table = new CCodeTableDialog;
        ASSERT_TRUE(m_table->Create(m_frame, true));
        m_table->Move(500, 0);
        m_frame->Show();
        for (int i = 0; i < 200 && m_strip->Panel()->CellRects().empty(); ++i) Pump(10);
        ASSERT_FALSE(m_strip->Panel()->CellRects().empty()) << "the strip was never painted";
    }
    void TearDown() override {
        m_frame->Destroy();
        g_settings.m_nSource = m_savedSource;
        g_settings.m_nCharactersUsed = m_savedCharactersUsed;
        g_settings.m_bPracticeMode = m_savedPracticeMode;
        std::lock_guard lock(g_settingsLock);
        g_settings.m_charSet = m_savedSet;
    }

    // The cell that shows ch in the panel's last paint.
    static CellRect Cell(const CCodeTablePanel* panel, char ch) {
        return panel->CellRects().at(panel->ShownCharacters().find(ch));
    }
    wxPoint ScreenCentre(char ch) {
        const CellRect rect = Cell(m_strip->Panel(), ch);
        return m_strip->Panel()->ClientToScreen(
            wxPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
    }
    // The panel drawn into a bitmap of its client size.
    static wxImage Picture(CCodeTablePanel* panel) {
        wxBitmap bitmap(panel->GetClientSize());
        wxMemoryDC dc(bitmap);
        panel->Render(dc);
        dc.SelectObject(wxNullBitmap);
        return bitmap.ConvertToImage();
    }
    static bool Dark(const wxImage& image, int x, int y) {
        return image.GetRed(x, y) < 60 && image.GetGreen(x, y) < 60 && image.GetBlue(x, y) < 60;
    }
    static bool White(const wxImage& image, int x, int y) {
        return image.GetRed(x, y) == 255 && image.GetGreen(x, y) == 255 &&
               image.GetBlue(x, y) == 255;
    }
    // How many pixels of the strip cell showing ch satisfy the test.
    int CountInCell(const wxImage& image, char ch, bool (*test)(const wxImage&, int, int)) {
        const CellRect rect = Cell(m_strip->Panel(), ch);
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x) count += test(image, x, y);
        return count;
    }

    CharacterSet m_savedSet;
    int32_t m_savedSource = 0;
    int32_t m_savedCharactersUsed = 0;
    bool m_savedPracticeMode = false;
    wxFrame* m_frame = nullptr;
    wxWindow* m_view = nullptr;
    CCodeTableDialog* m_strip = nullptr;
    CCodeTableDialog* m_table = nullptr;
    std::vector<int> m_clicks;
};

TEST_F(CodeTablePanelTest, ClickQueuesTheCharacterOnceEvenOnDoubleClick) {
    wxUIActionSimulator simulator;
    simulator.MouseMove(ScreenCentre('K'));
    simulator.MouseClick();
    Pump(300);
    EXPECT_EQ(m_clicks, std::vector<int>{'K'});

    // Far enough in time and place from the first click not to pair with it.
    Pump(700);
    simulator.MouseMove(ScreenCentre('7'));
    simulator.MouseDblClick();
    Pump(300);
    EXPECT_EQ(m_clicks, (std::vector<int>{'K', '7'}));

    Pump(700);
    const CCodeTablePanel* panel = m_strip->Panel();
    simulator.MouseMove(panel->ClientToScreen(wxPoint(1, 2)));  // the margin is no cell
    simulator.MouseClick();
    Pump(300);
    EXPECT_EQ(m_clicks.size(), 2u);
}

TEST_F(CodeTablePanelTest, LessonIsBlackAndTheNewestFramed) {
    EXPECT_EQ(m_strip->GetSize().x, m_strip->PreferredWidth());
    const wxImage learning = Picture(m_strip->Panel());
    for (const char active : std::string("KMRSU"))
        EXPECT_GT(CountInCell(learning, active, Dark), 0);
    for (const char other : std::string("AZ09")) EXPECT_EQ(CountInCell(learning, other, Dark), 0);
    EXPECT_GT(CountInCell(learning, 'U', White), 0);
    EXPECT_EQ(CountInCell(learning, 'S', White), 0);

    g_settings.m_bPracticeMode = true;
    EXPECT_EQ(CountInCell(Picture(m_strip->Panel()), 'U', White), 0);
    g_settings.m_nSource = SOURCE_WORDS;
    const wxImage words = Picture(m_strip->Panel());
    for (const char ch : std::string("AZ09")) EXPECT_GT(CountInCell(words, ch, Dark), 0);
}

// Perceived brightness, 0 to 255.
int Luma(const wxImage& image, int x, int y) {
    return (image.GetRed(x, y) * 299 + image.GetGreen(x, y) * 587 + image.GetBlue(x, y) * 114) /
           1000;
}

// Run under the light theme and again under GTK_THEME=Adwaita:dark (ui_tests_dark_theme): the
// lesson's characters, the framed newest one and the Morse bars stand out from what is behind
// them, whatever the theme's colours.
TEST_F(CodeTablePanelTest, LessonStandsOutFromTheBackgroundInAnyTheme) {
    const char* theme = std::getenv("GTK_THEME");
    if (theme != nullptr && std::string(theme).find(":dark") != std::string::npos) {
        const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
        ASSERT_LT((face.Red() + face.Green() + face.Blue()) / 3, 128) << "the theme is not dark";
    }
    constexpr int kContrast = 100;
    // Pixels of a cell that differ from the given brightness by at least kContrast.
    const auto contrasting = [](const wxImage& image, const CellRect& rect, int luma) {
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                count += std::abs(Luma(image, x, y) - luma) >= kContrast;
        return count;
    };
    const wxImage strip = Picture(m_strip->Panel());
    const int background = Luma(strip, 1, 1);
    for (const char active : std::string("KMRS"))
        EXPECT_GT(contrasting(strip, Cell(m_strip->Panel(), active), background), 5) << active;
    // The framed U: its text stands out from the frame's inside.
    const CellRect u = Cell(m_strip->Panel(), 'U');
    const int inside = Luma(strip, u.left + 1, u.top + 1);
    EXPECT_GT(contrasting(strip, u, inside), 5);

    CCodeTablePanel* tall = m_table->Panel();
    const wxImage table = Picture(tall);
    const CellRect k = Cell(tall, 'K');
    EXPECT_GT(contrasting(table, k, Luma(table, 1, 1)), 10);
}

TEST_F(CodeTablePanelTest, TallTableDrawsDotsAndDashes) {
    CCodeTablePanel* panel = m_table->Panel();
    const wxImage image = Picture(panel);
    const CellRect a = Cell(panel, 'A');
    // The text takes one wide cell from 2 pixels in; the tall table is two wide cells + 158.
    const int textRight = a.left + 2 + (m_table->Panel()->PreferredWidth() - 158) / 2;

    // Inked columns and rows right of the text: the bars of ".-".
    std::vector<int> runs;  // alternating inked / blank run lengths from the first ink
    bool previous = false;
    int inkedRows = 0;
    for (int y = a.top; y < a.bottom; ++y) {
        bool row = false;
        for (int x = textRight; x < a.right; ++x) row |= Dark(image, x, y);
        inkedRows += row;
    }
    for (int x = textRight; x < a.right; ++x) {
        bool column = false;
        for (int y = a.top; y < a.bottom; ++y) column |= Dark(image, x, y);
        if (runs.empty() && !column) continue;
        if (runs.empty() || column != previous) runs.push_back(0);
        ++runs.back();
        previous = column;
    }
    ASSERT_GE(runs.size(), 3u);
    EXPECT_EQ(runs[0], 3);  // dot
    EXPECT_EQ(runs[1], 3);  // gap
    EXPECT_EQ(runs[2], 9);  // dash
    EXPECT_EQ(inkedRows, 3);
}
