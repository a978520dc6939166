// Chinese text in an HTML window wraps at the window's width, with no gaps added and no line
// starting with closing punctuation.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlcell.h>
#include <wx/html/htmlwin.h>
#include <wx/utils.h>

#include <functional>
#include <memory>

#include "ui/help.h"
#include "ui/html_line_breaks.h"
#include "ui_test_support.h"

namespace {

// Every word drawn in the page, in order.
std::vector<const wxHtmlWordCell*> Words(const wxHtmlCell* cell) {
    std::vector<const wxHtmlWordCell*> words;
    std::function<void(const wxHtmlCell*)> walk = [&](const wxHtmlCell* c) {
        for (; c; c = c->GetNext()) {
            if (auto* word = dynamic_cast<const wxHtmlWordCell*>(c)) words.push_back(word);
            walk(c->GetFirstChild());
        }
    };
    walk(cell);
    return words;
}

struct Lines {
    int count = 0;
    int widest = 0;                // the right edge of the widest line, in pixels
    wxString starts;               // the first character of each line after the first
};

Lines LayOut(const wxHtmlWindow& window) {
    Lines lines;
    int lastY = -1;
    for (const wxHtmlWordCell* word : Words(window.GetInternalRepresentation())) {
        const wxPoint at = word->GetAbsPos();
        if (at.y != lastY) {
            if (lines.count++ > 0) lines.starts += word->ConvertToText(nullptr)[0];
            lastY = at.y;
        }
        lines.widest = std::max(lines.widest, at.x + word->GetWidth());
    }
    return lines;
}

const char* const kParagraph =
    "<p>程序把练习内容拍发成正弦音调的摩尔斯电码，同时把拍发的内容显示在<b>报底</b>窗口中；"
    "你把听到的内容输入<b>“听抄结果”</b>窗口，程序随着你的输入把抄收与报底逐字对齐并评分"
    "（最差的排在最前面）。按 F2 开始，Koch法从2个字符开始。</p>";

wxString PlainText() {
    wxString text = U(kParagraph).substr(3);
    text = text.substr(0, text.length() - 4);
    text.Replace("<b>", "");
    text.Replace("</b>", "");
    return text;
}

TEST(HtmlLineBreaksTest, ChineseParagraphWrapsWithinTheWidthWithoutGapsOrLeadingPunctuation) {
    wxFrame frame(nullptr, wxID_ANY, "wrap", wxDefaultPosition, wxSize(260, 600));
    auto* plain = new wxHtmlWindow(&frame, wxID_ANY, wxPoint(0, 0), wxSize(120, 600));
    auto* wrapped = new wxHtmlWindow(&frame, wxID_ANY, wxPoint(130, 0), wxSize(120, 600));
    AllowLineBreaksInChineseText(*wrapped);
    frame.Show();
    for (wxHtmlWindow* window : {plain, wrapped}) window->SetPage(U(kParagraph));
    const int width = wrapped->GetClientSize().x;

    // Unmarked, the parser finds no place to break: the sentences run past the edge.
    EXPECT_GT(LayOut(*plain).widest, width);

    const Lines lines = LayOut(*wrapped);
    EXPECT_LE(lines.widest, width);
    EXPECT_GT(lines.count, 8);
    for (const wxUniChar c : lines.starts)
        EXPECT_EQ(wxString::FromUTF8("，。；）”").find(c), wxString::npos)
            << "a line starts with " << wxString(c).utf8_string();
    // The text reads as written: no character lost, none added.
    wxString text = wrapped->ToText();
    text.Replace("\n", "");
    EXPECT_EQ(text, PlainText());
}

TEST(HtmlLineBreaksTest, MarkingLeavesTagsTitlesAndLatinTextAlone) {
    // A line end inside Chinese text is dropped; one between Latin words stays a blank.
    EXPECT_EQ(MarkBreakableText(U("<title>使用 手册</title><p a=\"中>文\">中文，\n"
                                  "接着 next\nword</p><pre>代码\n行</pre>")),
              U("<title>使用 手册</title><p a=\"中>文\"><breakable>中文，</breakable>"
                "<breakable>接着</breakable> next\nword</p><pre>代码\n行</pre>"));
    EXPECT_EQ(LineBreakPieces(U("（最差的）排在F2键前面，“听抄”Koch法")),
              (std::vector<wxString>{U("（最"), U("差"), U("的）"), U("排"), U("在"), U("F2"),
                                     U("键"), U("前"), U("面，"), U("“听"), U("抄”"), U("Koch"),
                                     U("法")}));
}

// The help viewer made narrow: every page's text stays within the page, titles intact.
TEST(HtmlLineBreaksTest, HelpPagesWrapAtTheViewersWidth) {
    auto owner = std::make_unique<wxFrame>(nullptr, wxID_ANY, "owner");
    owner->Show();
    ShowHelpTopic(owner.get(), "intro.htm");
    wxHtmlHelpController* help = GetHelpController();
    ASSERT_NE(help, nullptr);
    ASSERT_NE(help->GetFrame(), nullptr);
    help->GetFrame()->SetSize(wxSize(520, 600));
    wxHtmlWindow* page = help->GetHelpWindow()->GetHtmlWindow();
    for (const char* topic : {"intro.htm", "generaloptions.htm", "charsetoptions.htm",
                              "audiooptions.htm", "conditions.htm"}) {
        SCOPED_TRACE(topic);
        ShowHelpTopic(owner.get(), topic);
        for (int i = 0; i < 5; ++i) {
            wxYield();
            wxMilliSleep(20);
        }
        ASSERT_TRUE(page->GetOpenedPage().EndsWith(topic));
        EXPECT_LT(page->GetClientSize().x, 400);
        EXPECT_LE(LayOut(*page).widest, page->GetClientSize().x);
        EXPECT_EQ(page->GetOpenedPageTitle().Find("breakable"), wxNOT_FOUND);
    }
    EXPECT_EQ(page->GetOpenedPageTitle(), U("信号条件"));
    owner.reset();
    wxYield();
}

}  // namespace
