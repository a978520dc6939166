#include "ui/artwork.h"

#include <wx/artprov.h>
#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/pen.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "ui/command_ids.h"

namespace {

constexpr int kToolSize = 16;

const wxColour kInk(40, 40, 40);
const wxColour kGo(30, 150, 60);
const wxColour kHalt(200, 30, 30);
const wxColour kCalm(40, 80, 170);

// Paints on a transparent square; edges are anti-aliased against transparency, not a colour.
wxBitmap Draw(int size, const std::function<void(wxGraphicsContext&)>& paint) {
    wxImage image(size, size);
    image.InitAlpha();
    std::fill_n(image.GetAlpha(), size * size, static_cast<unsigned char>(0));
    {
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
        paint(*gc);
    }  // the context writes its pixels back into the image when it goes
    return wxBitmap(image);
}

void Fill(wxGraphicsContext& gc, const wxColour& colour) {
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(wxBrush(colour));
}

void Stroke(wxGraphicsContext& gc, const wxColour& colour, double width) {
    gc.SetPen(wxPen(colour, static_cast<int>(width)));
    gc.SetBrush(*wxTRANSPARENT_BRUSH);
}

wxBitmap StartPicture() {
    return Draw(kToolSize, [](wxGraphicsContext& gc) {
        Fill(gc, kGo);
        wxGraphicsPath triangle = gc.CreatePath();
        triangle.MoveToPoint(4, 2);
        triangle.AddLineToPoint(14, 8);
        triangle.AddLineToPoint(4, 14);
        triangle.CloseSubpath();
        gc.FillPath(triangle);
    });
}

wxBitmap PausePicture() {
    return Draw(kToolSize, [](wxGraphicsContext& gc) {
        Fill(gc, kCalm);
        gc.DrawRectangle(3, 3, 4, 10);
        gc.DrawRectangle(9, 3, 4, 10);
    });
}

wxBitmap StopPicture() {
    return Draw(kToolSize, [](wxGraphicsContext& gc) {
        Fill(gc, kInk);
        gc.DrawRectangle(3, 3, 10, 10);
    });
}

wxBitmap RecordPicture() {
    return Draw(kToolSize, [](wxGraphicsContext& gc) {
        Fill(gc, kHalt);
        gc.DrawEllipse(3, 3, 10, 10);
    });
}

wxBitmap AbortPicture() {
    return Draw(kToolSize, [](wxGraphicsContext& gc) {
        Stroke(gc, kHalt, 3);
        gc.StrokeLine(3.5, 3.5, 12.5, 12.5);
        gc.StrokeLine(12.5, 3.5, 3.5, 12.5);
    });
}

// A page with lines of text: the output pane.
wxBitmap OutputPicture() {
    return Draw(kToolSize, [](wxGraphicsContext& gc) {
        gc.SetPen(wxPen(kInk));
        gc.SetBrush(*wxWHITE_BRUSH);
        gc.DrawRectangle(2.5, 1.5, 11, 13);
        Stroke(gc, kCalm, 1);
        for (int y = 4; y <= 11; y += 2) gc.StrokeLine(4.5, y + 0.5, y == 10 ? 9.5 : 11.5, y + 0.5);
    });
}

// A capital letter beside a small one: upper-case echo.
wxBitmap CapsPicture() {
    return Draw(kToolSize, [](wxGraphicsContext& gc) {
        Stroke(gc, kInk, 2);
        // A capital A from three strokes.
        gc.StrokeLine(2, 14, 6, 2);
        gc.StrokeLine(6, 2, 10, 14);
        gc.StrokeLine(3.5, 9.5, 8.5, 9.5);
        Stroke(gc, kCalm, 2);
        gc.StrokeLine(13, 7, 13, 14);
    });
}

wxBitmap StockPicture(const wxArtID& id) {
    return wxArtProvider::GetBitmap(id, wxART_TOOLBAR, wxSize(kToolSize, kToolSize));
}

// The icon: a dot and a dash on a dark blue tile.
wxIcon IconOfSize(int size) {
    const wxBitmap bitmap = Draw(size, [size](wxGraphicsContext& gc) {
        Fill(gc, kCalm);
        gc.DrawRoundedRectangle(0, 0, size, size, size / 6.0);
        Fill(gc, *wxWHITE);
        const double unit = size / 8.0;
        const double y = size / 2.0 - unit / 2;
        gc.DrawRectangle(unit, y, unit * 1.5, unit);
        gc.DrawRectangle(unit * 3.5, y, unit * 3.5, unit);
    });
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    return icon;
}

}  // namespace

wxBitmap ToolBitmap(int commandId) {
    switch (commandId) {
        case CMD_START:
            return StartPicture();
        case CMD_PAUSE:
            return PausePicture();
        case CMD_STOP:
            return StopPicture();
        case CMD_RECORD:
            return RecordPicture();
        case CMD_ABORT:
            return AbortPicture();
        case CMD_VIEW_OUTPUT:
            return OutputPicture();
        case CMD_USE_CAPS:
            return CapsPicture();
        case CMD_CUT:
            return StockPicture(wxART_CUT);
        case CMD_COPY:
            return StockPicture(wxART_COPY);
        case CMD_PASTE:
            return StockPicture(wxART_PASTE);
        default:
            return wxBitmap();
    }
}

wxIconBundle ApplicationIcons() {
    wxIconBundle icons;
    for (int size : {16, 32, 48}) icons.AddIcon(IconOfSize(size));
    return icons;
}
