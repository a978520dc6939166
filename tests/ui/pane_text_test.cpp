// Reading a pane piecewise for the copy comparison: every range and the length agree with the
// pane's whole value, on the GTK buffer and on the frozen pane's fallback, and scoring real
// panes keystroke by keystroke gives the tally that scoring their whole texts gives.
#include "ui/pane_text.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include <random>
#include <string>

#include "content/codepage.h"
#include "scoring/compare_copy.h"

namespace {

std::string WholeText(const wxTextCtrl& pane) {
    return codepage::FromUtf8(pane.GetValue().utf8_string());
}

class PaneTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "panes");
        m_output = new wxTextCtrl(m_frame, wxID_ANY, wxEmptyString, wxPoint(0, 0), wxSize(400, 150),
                                  wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
        m_copy = new wxTextCtrl(m_frame, wxID_ANY, wxEmptyString, wxPoint(0, 160), wxSize(400, 150),
                                wxTE_MULTILINE | wxTE_WORDWRAP);
        m_frame->Show();
    }
    void TearDown() override { m_frame->Destroy(); }

    wxFrame* m_frame = nullptr;
    wxTextCtrl* m_output = nullptr;
    wxTextCtrl* m_copy = nullptr;
};

TEST_F(PaneTextTest, EveryRangeIsThePanesOwnText) {
    // Latin-1 letters, the euro sign (0x80), a character with no Windows-1252 byte, line breaks.
    m_copy->ChangeValue(wxString::FromUTF8("ab \xC3\xA4\xE2\x82\xAC\r\nK\xE4\xB8\xAD (sk)\n"));
    for (bool frozen : {false, true}) {
        SCOPED_TRACE(frozen);
        if (frozen) m_copy->Freeze();
        const std::string whole = WholeText(*m_copy);
        const CPaneText text(*m_copy);
        ASSERT_EQ(text.Length(), whole.size());
        for (size_t from = 0; from <= whole.size(); ++from)
            for (size_t to = from; to <= whole.size(); ++to)
                EXPECT_EQ(text.Range(from, to), whole.substr(from, to - from)) << from << ' ' << to;
        if (frozen) m_copy->Thaw();
    }
}

TEST_F(PaneTextTest, ScoringThePanesMatchesScoringTheirWholeTexts) {
    std::mt19937 rng(7);
    const std::string letters = "kmrsuaptE \\(";
    ScoreTally panes, whole;
    panes.Clear();
    whole.Clear();
    for (int step = 0; step < 600; ++step) {
        m_output->AppendText(wxString(1, letters[rng() % letters.size()]));
        const unsigned roll = rng() % 100;
        if (roll < 70) {
            m_copy->AppendText(wxString(1, letters[rng() % letters.size()]));
        } else if (roll < 75 && !m_copy->IsEmpty()) {
            const long end = m_copy->GetLastPosition();
            m_copy->Remove(std::max(0L, end - 3), end);  // backspaces
        } else if (roll < 77) {
            m_copy->SetInsertionPoint(m_copy->GetLastPosition() / 2);  // an edit in the middle
            m_copy->WriteText("xy");
            m_copy->SetInsertionPointEnd();
        }
        CompareCopyPanes(panes, *m_copy, *m_output, false);
        CompareCopy(whole, WholeText(*m_copy), WholeText(*m_output), false);
        ASSERT_EQ(panes.copyOffset, whole.copyOffset) << step;
        ASSERT_EQ(panes.sentOffset, whole.sentOffset) << step;
        ASSERT_EQ(panes.correctTotal, whole.correctTotal) << step;
        ASSERT_EQ(panes.wrongTotal, whole.wrongTotal) << step;
    }
    m_copy->AppendText(" \n");
    EXPECT_EQ(CompareCopyPanes(panes, *m_copy, *m_output, true),
              CompareCopy(whole, WholeText(*m_copy), WholeText(*m_output), true));
    EXPECT_EQ(panes.correctTotal, whole.correctTotal);
    EXPECT_EQ(panes.wrongTotal, whole.wrongTotal);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(panes.correct[c], whole.correct[c]) << c;
        EXPECT_EQ(panes.wrong[c], whole.wrong[c]) << c;
    }
}

}  // namespace
