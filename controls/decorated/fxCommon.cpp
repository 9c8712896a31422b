#include "decorated/fxCommon.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "base/Exceptions.h"
#include "base/Strings.h"
#include "decorated/fxBitmap.h"
#include "ui/WindowManager.h"

namespace menvaro {

std::string fxVersion;

namespace {

// Sets the version text when the program starts and clears it at its end.
struct TVersionText {
    TVersionText() { fxVersion = "1.01C"; }
    ~TVersionText() { fxVersion.clear(); }
} versionText;

using i64 = std::int64_t;

}  // namespace

// ---- colour and pixel conversion

TRGBTriple fxColorToTriple(TColor color) {
    const TColor c = ColorToRGB(color);
    return {std::uint8_t(GetBValue(c)), std::uint8_t(GetGValue(c)), std::uint8_t(GetRValue(c))};
}

TColor fxTripleToColor(std::uint32_t packed) {
    return RGB(int((packed >> 16) & 0xFF), int((packed >> 8) & 0xFF), int(packed & 0xFF));
}

TColor fxTripleToColor(const TRGBTriple& t) { return RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue); }

TRGBTriple fxMakeTriple(std::uint8_t red, std::uint8_t green, std::uint8_t blue) { return {blue, green, red}; }

std::uint32_t fxColorToPacked(TColor color) { return ColorToPixel(ColorToRGB(color)) & 0xFFFFFF; }

TfxColorBytes fxColorToBytes(TColor color) {
    const std::uint32_t c = std::uint32_t(ColorToRGB(color));
    return {std::uint8_t(c >> 24), std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)};
}

int fxClamp(int value, int low, int high) { return value > high ? high : (value < low ? low : value); }

TColor fxShadeColor(TColor color, int amount, bool percent) {
    const TfxColorBytes b = fxColorToBytes(color);
    auto shade = [&](int c) -> int {
        if (!percent) return fxClampByte(fxWrap32(i64(c) + amount));
        const int part = fxMul32(amount > 0 ? 255 - c : c, amount) / 100;
        return fxClampByte(fxWrap32(i64(c) + part));
    };
    return RGB(shade(b.Red), shade(b.Green), shade(b.Blue));
}

std::uint32_t fxImageListColor(TColor color) { return ImageListColor(color); }

// ---- arithmetic and geometry

void fxSetFlag(bool condition, std::uint32_t& flags, std::uint32_t mask) {
    if (condition)
        flags |= mask;
    else
        flags &= ~mask;
}

TPoint fxGetCursorPos() { return GetCursorPos(); }

bool fxIntersectRect(TRect& dest, const TRect& a, const TRect& b) { return IntersectRect(dest, a, b); }

bool fxIsRectEmpty(const TRect& r) { return r == TRect{}; }

TRect fxFitRect(const TRect& r, int w, int h) {
    const i64 rw = i64(r.Right) - r.Left, rh = i64(r.Bottom) - r.Top;
    if (rw <= 0 || rh <= 0 || w <= 0 || h <= 0) return {};
    i64 width, height;
    if (double(h) / double(rh) >= double(w) / double(rw)) {
        height = rh;
        width = rh * w / h;
    } else {
        width = rw;
        height = rw * h / w;
    }
    return {r.Left, r.Top, int(r.Left + width), int(r.Top + height)};
}

// ---- strings

namespace {

// Where `sub` occurs in `s`, 1-based, each search one past the previous hit.
std::vector<int> Occurrences(std::string_view sub, std::string_view s) {
    std::vector<int> out;
    if (sub.empty()) return out;
    for (std::size_t from = 0;;) {
        const std::size_t at = s.find(sub, from);
        if (at == std::string_view::npos) break;
        out.push_back(int(at) + 1);
        from = at + 1;
    }
    return out;
}

std::vector<std::string> Tokens(std::string_view s, std::string_view delim) {
    std::vector<std::string> out;
    if (s.empty()) return out;
    const std::vector<int> at = Occurrences(delim, s);
    for (std::size_t i = 0; i <= at.size(); ++i) {
        const int from = i == 0 ? 1 : at[i - 1] + int(delim.size());
        const int to = i < at.size() ? at[i] : int(s.size()) + 1;
        out.push_back(to > from ? std::string(s.substr(std::size_t(from - 1), std::size_t(to - from))) : "");
    }
    return out;
}

}  // namespace

std::string fxSubString(std::string_view s, int from, int to) {
    const i64 len = i64(s.size());
    const i64 first = std::max<i64>(from, 1);
    const i64 end = to == 0 ? len + 1 : std::min<i64>(to, len + 1);
    if (end <= first) return {};
    return std::string(s.substr(std::size_t(first - 1), std::size_t(end - first)));
}

int fxPosFrom(std::string_view sub, std::string_view s, int start) {
    if (sub.empty()) return 0;
    const std::size_t from = start < 1 ? 0 : std::size_t(start - 1);
    if (from > s.size()) return 0;
    const std::size_t at = s.find(sub, from);
    return at == std::string_view::npos ? 0 : int(at) + 1;
}

int fxNthPos(std::string_view sub, std::string_view s, int n) {
    if (n < 0) return 0;
    // The searches run through the occurrences and a miss, again and again.
    const std::vector<int> at = Occurrences(sub, s);
    const std::size_t k = std::size_t(n) % (at.size() + 1);
    return k < at.size() ? at[k] : 0;
}

int fxCountTokens(std::string_view s, std::string_view delim) {
    if (s.empty()) return 0;
    return 1 + int(Occurrences(delim, s).size());
}

std::string fxGetToken(std::string_view s, std::string_view delim, int index) {
    if (index < 0) return {};
    const std::vector<std::string> tokens = Tokens(s, delim);
    return std::size_t(index) < tokens.size() ? tokens[std::size_t(index)] : std::string();
}

int fxTokenIndex(std::string_view s, std::string_view delim, std::string_view token) {
    const std::vector<std::string> tokens = Tokens(s, delim);
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i] == token) return int(i);
    return -1;
}

std::string fxReplaceAll(std::string_view s, std::string_view find, std::string_view replace) {
    return ReplaceAll(s, find, replace);  // an empty pattern is never found
}

std::string fxStripAccelerators(std::string_view s) {
    std::string t = fxReplaceAll(s, "&&", std::string(1, '\0'));
    t.erase(std::remove(t.begin(), t.end(), '&'), t.end());
    std::replace(t.begin(), t.end(), '\0', '&');
    return t;
}

// ---- text measuring

int fxTextHeight(TCanvas& canvas, unsigned flags, int width, std::string_view text) {
    TRect r{0, 0, width, 0};
    canvas.DrawText(text, r, flags | DT_CALCRECT);
    return r.Bottom - r.Top;
}

void fxMultiLineTextSize(TCanvas& canvas, std::string_view text, int lineSpacing, TSize& size, unsigned flags,
                         int width) {
    size = {0, 0};
    const std::vector<std::string> lines = Tokens(text, "\r\n");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (width != 0) {
            TRect r{0, 0, width, 0};
            canvas.DrawText(lines[i], r, flags | DT_CALCRECT);
            size.cy += r.Bottom - r.Top;
            size.cx = std::max(size.cx, r.Right - r.Left);
        } else {
            size.cy += canvas.TextHeight(lines[i]);
            size.cx = std::max(size.cx, canvas.TextWidth(lines[i]));
        }
        if (i + 1 < lines.size()) size.cy += lineSpacing;
    }
}

// ---- classes

bool fxIsClassNamed(const TClassInfo& cls, std::string_view name) {
    for (const TClassInfo* c = &cls; c; c = c->Parent())
        if (SameText(c->Name, name)) return true;
    return false;
}

// ---- drawing

void fxMaskBlt(TCanvas& canvas, const TRect& r, TBitmap& image, bool offScreen, TBitmap& mask) {
    const TColor oldBk = canvas.SetBkColor(clWhite);
    const TColor oldText = canvas.SetTextColor(clBlack);
    const int w = fxRectWidth(r), h = fxRectHeight(r);
    TBitmap work;
    TCanvas* target = &canvas;
    int x = r.Left, y = r.Top;
    if (offScreen) {
        work.SetSize(w, h);
        work.Canvas().CopyRect({0, 0, w, h}, canvas, r);
        target = &work.Canvas();
        x = y = 0;
    }
    // Where the mask is white the image shows, where it is black what was there.
    target->BitBlt(x, y, w, h, image.Canvas(), 0, 0, SRCINVERT);
    target->BitBlt(x, y, w, h, mask.Canvas(), 0, 0, ROP_DSna);
    target->BitBlt(x, y, w, h, image.Canvas(), 0, 0, SRCINVERT);
    if (offScreen) canvas.BitBlt(r.Left, r.Top, w, h, work.Canvas(), 0, 0, SRCCOPY);
    canvas.SetBkColor(oldBk);
    canvas.SetTextColor(oldText);
}

void fxTransparentDrawBitmap(TCanvas& canvas, const TRect& r, const TfxBitmap& picture, TColor key) {
    if (picture.Empty()) return;
    // The picture's own transparent drawing, with this key.
    TOwned<TfxBitmap> copy(Create<TfxBitmap>());
    copy->Assign(&picture);
    copy->SetTransparentColor(key == -1 ? clNone : key);
    copy->TransparentDraw(canvas, r);
}

void fxFillOutsideRegion(TfxBitmap& picture, const TRegion& region) {
    TRegion outside(TRect{0, 0, picture.Width(), picture.Height()});
    outside.Subtract(region);
    if (outside.IsEmpty()) return;
    TBrush brush;
    brush.SetColor(picture.TransparentColor());
    picture.Canvas().FillRgn(outside, brush);
}

std::optional<TRegion> fxRegionFromBitmap(const TfxBitmap& picture, TColor key) {
    if (picture.Width() <= 0 || picture.Height() <= 0) return std::nullopt;
    const std::uint8_t* const* rows = picture.RowTable();
    auto colourAt = [&](int x, int y) {
        return fxTripleToColor(fxMakeTriple(rows[y][3 * x + 2], rows[y][3 * x + 1], rows[y][3 * x]));
    };
    const TColor k = key == -1 ? colourAt(0, 0) : ColorToRGB(key);
    std::vector<TRegion::Span> spans;
    const int w = picture.Width();
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < w;) {
            if (colourAt(x, y) == k) {
                ++x;
                continue;
            }
            const int from = x;
            while (x < w && colourAt(x, y) != k) ++x;
            spans.push_back({y, from, x});
        }
    }
    if (spans.empty()) return std::nullopt;
    return TRegion::FromSpans(spans);
}

TBrush fxCreateDitherBrush() {
    TBrush brush;
    brush.SetMonoPattern({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55});
    return brush;
}

void fxDitherFill(TCanvas& canvas, const TRect& r, TColor color1, TColor color2) {
    if (color2 == clNone) throw EInvalidOperation("Color2 cannot be clNone");
    if (color1 == clNone) {
        // Color1's squares in a colour that is not Color2, left out as the key.
        TOwned<TfxBitmap> tmp(Create<TfxBitmap>());
        tmp->SetSize(fxRectWidth(r), fxRectHeight(r));
        if (tmp->Empty()) return;
        TCanvas& t = tmp->Canvas();
        // The squares fall where a fill of `r` on the canvas would put them.
        const TPoint o = canvas.Origin(), b = canvas.BrushOrigin();
        t.SetBrushOrigin({b.X - r.Left - o.X, b.Y - r.Top - o.Y});
        const TColor key = ~color2 & 0xFFFFFF;  // the nearest colour on a 32-bit surface is the colour
        fxDitherFill(t, {0, 0, tmp->Width(), tmp->Height()}, key, color2);
        fxTransparentDrawBitmap(canvas, r, *tmp, key);
        return;
    }
    TCanvasStateSaver saved(canvas);
    canvas.Brush().Assign(fxCreateDitherBrush());
    canvas.SetTextColor(ColorToRGB(color2));
    canvas.SetBkColor(ColorToRGB(color1));
    canvas.FillRect(r);
}

std::pair<std::int64_t, std::int64_t> fxVisibleTiles(std::int64_t limit, std::int64_t step, std::int64_t offset,
                                                     std::int64_t visLo, std::int64_t visHi) {
    const i64 first = std::max<i64>(0, fxFloorDiv(visLo + offset - step, step) + 1);
    const i64 end = std::min(fxFloorDiv(limit - 1, step) + 1, fxFloorDiv(visHi + offset - 1, step) + 1);
    return {first, end};
}

void fxTileGraphic(const TGraphic& graphic, TCanvas& canvas, const TRect& r) {
    const int w = graphic.Width(), h = graphic.Height();
    if (w <= 0 || h <= 0) return;
    const TRect clip = canvas.ClipRect();
    const auto [x0, x1] = fxVisibleTiles(fxRectWidth(r), w, 0, clip.Left, clip.Right);
    const auto [y0, y1] = fxVisibleTiles(fxRectHeight(r), h, 0, clip.Top, clip.Bottom);
    for (i64 kx = x0; kx < x1; ++kx)
        for (i64 ky = y0; ky < y1; ++ky) canvas.Draw(int(kx * w), int(ky * h), graphic);
}

void fxDrawImageListImage(const TCustomImageList* list, int index, TCanvas& canvas, bool enabled, unsigned style, int x,
                          int y) {
    if (!list) return;
    if (enabled)
        list->Handle()->DrawEx(canvas, index, x, y, fxImageListColor(list->BkColor()), fxImageListColor(list->BlendColor()),
                     style);
    else
        list->Draw(canvas, x, y, index, false);  // the mask embossed, as the list draws it disabled
}

void fxDrawDisabledBitmap(const TBitmap& source, TBitmap& dest) {
    const int w = source.Width(), h = source.Height();
    if (dest.Width() != w || dest.Height() != h) dest.SetSize(w, h);
    TBitmap mono(source);
    mono.SetMonochrome(true);  // white stays white, every other colour turns black
    TCanvas& c = dest.Canvas();
    TCanvasStateSaver saved(c);
    c.Brush().SetColor(clBtnFace);
    c.FillRect({0, 0, w, h});
    for (const auto& [at, colour] : {std::pair{1, clBtnHighlight}, std::pair{0, clBtnShadow}}) {
        c.Brush().SetColor(colour);
        c.SetTextColor(clBlack);
        c.SetBkColor(clWhite);
        c.BitBlt(at, at, w, h, mono.Canvas(), 0, 0, ROP_DSPDxax);
    }
}

void fxLayoutGlyphAndText(TPoint centre, TRect* textRect, TRect* glyphRect, int spacing, TButtonLayout layout,
                          TSize glyphSize, TSize textSize) {
    if (glyphSize.cx == 0 || glyphSize.cy == 0) spacing = (spacing - 6) / 2;
    struct Flags {
        int textH, textV, glyphH, glyphV;
    };
    static constexpr Flags kFlags[] = {
        {7, 2, 3, 1},  // blGlyphLeft
        {3, 2, 7, 1},  // blGlyphRight
        {2, 7, 1, 3},  // blGlyphTop
        {2, 3, 1, 7},  // blGlyphBottom
    };
    const Flags& f = kFlags[layout];
    // Along one axis: bit 1 counts the glyph, bit 2 the text, both also the
    // spacing; bit 4 puts the item after the other one. In the sum the
    // glyph's height counts one more.
    auto start = [&](int flags, int c, i64 glyphInSum, i64 text, i64 other) {
        i64 extent = 0;
        if ((flags & 3) == 3) extent += spacing;
        if (flags & 1) extent += glyphInSum;
        if (flags & 2) extent += text;
        i64 at = c - extent / 2;
        if (flags & 4) at += spacing + other;
        return int(at);
    };
    const i64 glyphHeightInSum = i64(glyphSize.cy) + 1;
    if (textRect) {
        const int x = start(f.textH, centre.X, glyphSize.cx, textSize.cx, glyphSize.cx);
        const int y = start(f.textV, centre.Y, glyphHeightInSum, textSize.cy, glyphSize.cy);
        *textRect = Bounds(x, y, textSize.cx, textSize.cy);
    }
    if (glyphRect) {
        const int x = start(f.glyphH, centre.X, glyphSize.cx, textSize.cx, textSize.cx);
        const int y = start(f.glyphV, centre.Y, glyphHeightInSum, textSize.cy, textSize.cy);
        *glyphRect = Bounds(x, y, glyphSize.cx, glyphSize.cy);
    }
}

// ---- window invalidation

void fxInvalidateWindowTree(HWND wnd) {
    InvalidateRect(wnd, nullptr, false);
    for (HWND child : GetChildWindows(wnd)) fxInvalidateWindowTree(child);
}

void fxInvalidateOverlapping(HWND parentWnd, HWND wnd) {
    TRect area;
    if (!GetWindowRect(wnd, area)) return;
    std::function<void(HWND)> visit = [&](HWND parent) {
        for (HWND child : GetChildWindows(parent)) {
            TRect r, common;
            if (GetWindowRect(child, r) && IntersectRect(common, r, area)) fxInvalidateWindowTree(child);
            visit(child);
        }
    };
    visit(parentWnd);
}

void fxInvalidateParentArea(const TControl* control, bool erase) {
    if (!control || !control->Parent() || !control->Parent()->HandleAllocated()) return;
    const TRect r = control->BoundsRect();
    InvalidateRect(control->Parent()->WindowHandle(), &r, erase);
}

}  // namespace menvaro
