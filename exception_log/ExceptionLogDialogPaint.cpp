// The dialogs' own painting: the skinned caption and frame, the list
// images and the monitor picture (drawn here in code), and the picture
// painted with its background colour left out.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "ExceptionLogDialog.h"
#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"

namespace menvaro {

namespace {

int Darken(int c) { return std::min(255, static_cast<int>(std::lround(c * 0.96))); }

}  // namespace

std::vector<TColor> SkinCaptionColors(int bandHeight, bool active) {
    int r = active ? 130 : 151, g = active ? 155 : 151, b = active ? 194 : 151;
    std::vector<TColor> out;
    for (int i = 0; i < bandHeight / 5; ++i) {
        out.push_back(RGB(r, g, b));
        r = Darken(r);
        g = Darken(g);
        b = Darken(b);
    }
    return out;
}

void PaintSkinnedFrame(TCanvas& c, TSize size, int frame, int captionHeight, bool active, const std::string& caption) {
    TRect outer{0, 0, size.cx, size.cy};
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(active ? RGB(128, 128, 128) : RGB(96, 96, 96));
    // The frame: the ring between the outline and the client area, and the band.
    c.FillRect({0, 0, size.cx, frame});
    c.FillRect({0, size.cy - frame, size.cx, size.cy});
    c.FillRect({0, 0, frame, size.cy});
    c.FillRect({size.cx - frame, 0, size.cx, size.cy});
    c.Brush().SetColor(active ? RGB(64, 64, 64) : RGB(48, 48, 48));
    c.FrameRect(outer);
    TRect band{frame, frame, size.cx - frame, frame + captionHeight};
    for (TColor colour : SkinCaptionColors(band.Height(), active)) {
        if (band.IsEmpty()) break;
        c.Brush().SetColor(colour);
        c.FillRect(band);
        band.Top += 2;
        band.Bottom -= 2;
    }
    TRect text{frame + 6, frame, size.cx - frame - 4, frame + captionHeight};
    c.Brush().SetStyle(bsClear);
    const unsigned flags = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (active) {
        TRect shadow = OffsetRect(text, 1, 1);
        c.Font().SetColor(RGB(34, 34, 34));
        c.DrawText(caption, shadow, flags);
        c.Font().SetColor(RGB(255, 255, 255));
    } else {
        c.Font().SetColor(RGB(224, 224, 224));
    }
    c.DrawText(caption, text, flags);
}

void DrawTransparentPicture(TCanvas& c, const TBitmap& picture, int x, int y) {
    if (picture.Width() <= 0 || picture.Height() <= 0) return;
    const TColor key = picture.Pixel(0, picture.Height() - 1);
    for (int py = 0; py < picture.Height(); ++py)
        for (int px = 0; px < picture.Width(); ++px) {
            TColor p = picture.Pixel(px, py);
            if (p != key) c.SetPixel(x + px, y + py, p);
        }
}

namespace {

// A picture from rows of characters: each letter names a colour, '.' the
// background (the key colour, fuchsia).
TBitmap FromRows(const std::vector<const char*>& rows) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    const int h = static_cast<int>(rows.size()), w = static_cast<int>(std::strlen(rows[0]));
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TColor c = RGB(255, 0, 255);
            switch (rows[static_cast<std::size_t>(y)][x]) {
                case 'k': c = RGB(0, 0, 0); break;
                case 'w': c = RGB(255, 255, 255); break;
                case 'g': c = RGB(128, 128, 128); break;
                case 'l': c = RGB(192, 192, 192); break;
                case 'b': c = RGB(0, 0, 160); break;
                case 'c': c = RGB(64, 128, 220); break;
                case 'y': c = RGB(230, 200, 40); break;
                case 'r': c = RGB(200, 40, 40); break;
                case 'e': c = RGB(30, 140, 60); break;
                default: break;
            }
            b.SetPixel(x, y, c);
        }
    return b;
}

}  // namespace

TBitmap DialogListImage(int index) {
    switch (index) {
        case kImageBPL:  // a parcel
            return FromRows({"................", "................", "...kkkkkkkkkk...", "..kyyyyyyyyyyk..",
                             ".kyyyyyrryyyyyk.", ".kkkkkkrrkkkkkk.", ".kyyyyyrryyyyyk.", ".kyyyyyrryyyyyk.",
                             ".kyyyyyrryyyyyk.", ".kyyyyyrryyyyyk.", ".kyyyyyrryyyyyk.", ".kyyyyyrryyyyyk.",
                             ".kkkkkkkkkkkkkk.", "................", "................", "................"});
        case kImageVCL:  // a window
            return FromRows({"................", ".kkkkkkkkkkkkkk.", ".kbbbbbbbbbbwbk.", ".kbbbbbbbbbbbbk.",
                             ".kllllllllllllk.", ".klwwwwwwwwwwlk.", ".klwwwwwwwwwwlk.", ".klwwwwwwwwwwlk.",
                             ".klwwwwwwwwwwlk.", ".klwwwwwwwwwwlk.", ".klwwwwwwwwwwlk.", ".klllllllllllk..",
                             ".kkkkkkkkkkkkkk.", "................", "................", "................"});
        case kImagePAS:  // a page of source
            return FromRows({"................", "..kkkkkkkkk.....", "..kwwwwwwwkk....", "..kwbbbwwwkwk...",
                             "..kwwwwwwwkkkk..", "..kwbbbbbwwwwk..", "..kwwwwwwwwwwk..", "..kwebbbbbbwwk..",
                             "..kwwwwwwwwwwk..", "..kwbbbbwwwwwk..", "..kwwwwwwwwwwk..", "..kwebbbbbbwwk..",
                             "..kwwwwwwwwwwk..", "..kkkkkkkkkkkk..", "................", "................"});
        default:  // a library: cogs on a sheet
            return FromRows({"................", "..kkkkkkkkkk....", "..kwwwwwwwwkk...", "..kwwwwwwwwwkk..",
                             "..kwwggwwwwwwk..", "..kwgllgwwwwwk..", "..kwgllgwwwwwk..", "..kwwggwwggwwk..",
                             "..kwwwwwgllgwk..", "..kwwwwwgllgwk..", "..kwwwwwwggwwk..", "..kwwwwwwwwwwk..",
                             "..kwwwwwwwwwwk..", "..kkkkkkkkkkkk..", "................", "................"});
    }
}

TBitmap MonitorPicture() {
    // 32 x 32: a monitor with a red cross on its screen.
    std::vector<std::string> rows(32, std::string(32, '.'));
    auto fill = [&](int l, int t, int r, int b, char ch) {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = ch;
    };
    fill(1, 2, 31, 24, 'k');
    fill(2, 3, 30, 23, 'l');
    fill(4, 5, 28, 21, 'b');
    for (int i = 0; i < 12; ++i) {
        fill(10 + i, 7 + i, 12 + i, 8 + i, 'r');
        fill(20 - i, 7 + i, 22 - i, 8 + i, 'r');
    }
    fill(13, 24, 19, 27, 'g');
    fill(7, 27, 25, 30, 'k');
    fill(8, 28, 24, 29, 'l');
    std::vector<const char*> ptrs;
    for (const auto& r : rows) ptrs.push_back(r.c_str());
    return FromRows(ptrs);
}

}  // namespace menvaro
