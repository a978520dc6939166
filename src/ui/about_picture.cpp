#include "ui/about_picture.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// Keying pattern of a word in dot units: true = tone. A dot is 1 unit, a dash 3, the gap
// inside a character 1, between characters 3.
std::vector<bool> KeyPattern(const std::vector<std::string>& codes) {
    std::vector<bool> units;
    for (size_t c = 0; c < codes.size(); ++c) {
        if (c > 0) units.insert(units.end(), 3, false);
        for (size_t e = 0; e < codes[c].size(); ++e) {
            if (e > 0) units.push_back(false);
            units.insert(units.end(), codes[c][e] == '-' ? 3 : 1, true);
        }
    }
    return units;
}

// "VELTRANE" in dots and dashes.
const std::vector<std::string> kNameCode = {"...-", ".", ".-..", "-", ".-.", ".-", "-.", "."};
// "CQ", the general call, for the tone trace.
const std::vector<std::string> kCallCode = {"-.-.", "--.-"};

void DrawHeader(wxGraphicsContext& gc) {
    const int w = kAboutPictureWidth;
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(
        gc.CreateLinearGradientBrush(0, 0, w, 150, wxColour(20, 44, 74), wxColour(38, 88, 136)));
    gc.DrawRectangle(0, 0, w, 150);

    gc.SetFont(wxFont(wxFontInfo(40).Family(wxFONTFAMILY_SWISS).Bold()), *wxWHITE);
    gc.DrawText("Veltrane", 38, 26);
    double titleWidth = 0, titleHeight = 0;
    gc.GetTextExtent("Veltrane", &titleWidth, &titleHeight);
    gc.SetFont(wxFont(wxFontInfo(17).Family(wxFONTFAMILY_SWISS)), wxColour(190, 216, 240));
    gc.DrawText(wxString::FromUTF8("摩尔斯电码抄收训练器"), 42, 98);

    // The name in Morse, as bars in the room the title leaves on the right of the header.
    const std::vector<bool> units = KeyPattern(kNameCode);
    const double right = w - 32, left = 38 + titleWidth + 28;
    const double unit = std::min(5.0, (right - left) / units.size());
    const double x = right - unit * units.size();
    gc.SetBrush(wxBrush(wxColour(244, 190, 80)));
    for (size_t i = 0; i < units.size();) {
        size_t run = i;
        while (run < units.size() && units[run] == units[i]) ++run;
        // Round dots and round-ended dashes, as high as a dot is long.
        if (units[i]) gc.DrawRoundedRectangle(x + unit * i, 62, unit * (run - i), unit, unit / 2);
        i = run;
    }
}

// A keyed sine tone as a trace, with soft edges on every element like the real synthesis.
void DrawToneTrace(wxGraphicsContext& gc, double left, double right, double centre, double amp) {
    const std::vector<bool> units = KeyPattern(kCallCode);
    const double unitWidth = (right - left) / units.size();
    const double cycle = 6.0;  // pixels per cycle of the drawn tone
    wxGraphicsPath path = gc.CreatePath();
    path.MoveToPoint(left, centre);
    for (double x = left; x <= right; x += 0.5) {
        const size_t u = std::min(units.size() - 1, static_cast<size_t>((x - left) / unitWidth));
        double envelope = 0.0;
        if (units[u]) {
            // Rise and fall over a quarter unit at the element's edges.
            size_t first = u, last = u;
            while (first > 0 && units[first - 1]) --first;
            while (last + 1 < units.size() && units[last + 1]) ++last;
            const double from = left + first * unitWidth, to = left + (last + 1) * unitWidth;
            const double edge = unitWidth / 4;
            envelope = std::min({1.0, (x - from) / edge, (to - x) / edge});
        }
        path.AddLineToPoint(x, centre - amp * envelope * std::sin(2 * M_PI * x / cycle));
    }
    gc.SetPen(wxPen(wxColour(52, 118, 186), 1));
    gc.StrokePath(path);
    gc.SetPen(wxPen(wxColour(52, 118, 186, 90), 1));
    gc.StrokeLine(left, centre, right, centre);
}

// A straight key: base, lever, knob and the contact post.
void DrawKey(wxGraphicsContext& gc, double x, double y) {
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(gc.CreateLinearGradientBrush(x, y + 60, x, y + 84, wxColour(120, 78, 46),
                                             wxColour(78, 48, 26)));
    gc.DrawRoundedRectangle(x, y + 60, 210, 24, 6);
    gc.SetBrush(wxBrush(wxColour(170, 150, 110)));
    gc.DrawRectangle(x + 28, y + 40, 14, 22);   // pivot post
    gc.DrawRectangle(x + 142, y + 50, 10, 12);  // contact post
    gc.SetBrush(gc.CreateLinearGradientBrush(x, y + 30, x, y + 40, wxColour(214, 196, 150),
                                             wxColour(150, 128, 84)));
    gc.DrawRoundedRectangle(x + 18, y + 32, 170, 9, 4);  // lever
    gc.SetBrush(gc.CreateRadialGradientBrush(x + 182, y + 14, x + 182, y + 14, 22,
                                             wxColour(70, 70, 78), wxColour(12, 12, 16)));
    gc.DrawEllipse(x + 164, y + 2, 38, 26);  // knob
    gc.SetBrush(wxBrush(wxColour(40, 40, 46)));
    gc.DrawRectangle(x + 178, y + 26, 10, 8);  // knob shaft
}

}  // namespace

wxBitmap DrawAboutPicture() {
    wxBitmap bitmap(kAboutPictureWidth, kAboutPictureHeight, 24);
    wxMemoryDC dc(bitmap);
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (!gc) return bitmap;
    gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);

    gc->SetPen(*wxTRANSPARENT_PEN);
    gc->SetBrush(gc->CreateLinearGradientBrush(0, 0, 0, kAboutPictureHeight,
                                               wxColour(246, 249, 252), wxColour(214, 228, 242)));
    gc->DrawRectangle(0, 0, kAboutPictureWidth, kAboutPictureHeight);

    DrawHeader(*gc);
    DrawToneTrace(*gc, 38, kAboutPictureWidth - 38, 180, 16);
    DrawKey(*gc, 40, 246);

    gc->SetFont(wxFont(wxFontInfo(11).Family(wxFONTFAMILY_SWISS)), wxColour(60, 80, 104));
    gc->DrawText(wxString::FromUTF8("Koch 法 · 随机字组 · 文本 · 词汇 · 录音"), 290, 262);
    gc->DrawText(wxString::FromUTF8("听音抄收，逐字评分"), 290, 284);

    // A hairline above the notice line.
    gc->SetPen(wxPen(wxColour(150, 172, 196), 1));
    gc->StrokeLine(20, 368, kAboutPictureWidth - 20, 368);
    gc.reset();
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}
