// The free routines every decorated control shares: colour and pixel
// conversions, rectangle arithmetic, string tokens, text measuring, regions
// from pictures, masked blits, the dither, the disabled look of glyphs, the
// layout of a glyph beside a caption, and window invalidation. None keeps
// state between calls.
//
// Positions in strings are 1-based, 0 meaning not found; token indices
// start at 0. A string is cut into tokens at every occurrence of a
// delimiter; occurrences are found one after another, each search starting
// one past the previous hit, so overlapping ones count ("aaa" holds "aa"
// twice). An empty delimiter or pattern never matches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "classes/TypeInfo.h"
#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "gfx/Color.h"
#include "gfx/GraphicsObjects.h"
#include "gfx/Region.h"
#include "gfx/Types.h"
#include "ui/Buttons.h"
#include "ui/Controls.h"
#include "ui/ImgList.h"

namespace menvaro {

class TfxBitmap;

// The library's version text, set when the program starts; nothing reads it.
extern std::string fxVersion;

// The class library's 32-bit integer arithmetic, without overflow: the low
// 32 bits of the exact result.
inline std::int32_t fxWrap32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }
inline std::int32_t fxMul32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
// Division rounded down (b > 0).
inline std::int64_t fxFloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && a < 0 ? 1 : 0); }

// ---- colour and pixel conversion

// One pixel as the pictures store it: blue, green, red.
struct TRGBTriple {
    std::uint8_t rgbtBlue = 0;
    std::uint8_t rgbtGreen = 0;
    std::uint8_t rgbtRed = 0;
    friend bool operator==(const TRGBTriple&, const TRGBTriple&) = default;
};

// The four bytes of a colour after ColorToRGB, the top one first.
struct TfxColorBytes {
    std::uint8_t Top = 0;
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;
};

TRGBTriple fxColorToTriple(TColor color);
// A packed pixel 0x00RRGGBB (a triple read as a little-endian number) as a
// TColor RGB(red, green, blue).
TColor fxTripleToColor(std::uint32_t packed);
TColor fxTripleToColor(const TRGBTriple& t);
TRGBTriple fxMakeTriple(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// A colour (after ColorToRGB) as a packed pixel 0x00RRGGBB.
std::uint32_t fxColorToPacked(TColor color);
TfxColorBytes fxColorToBytes(TColor color);
inline std::uint8_t fxClampByte(std::int64_t value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}
// High when value > high, else low when value < low, else value.
int fxClamp(int value, int low, int high);
// Each of red, green and blue changed on its own and clamped: with Percent
// c + (255 - c) * Amount div 100 for Amount > 0, c + c * Amount div 100
// otherwise; without, c + Amount.
TColor fxShadeColor(TColor color, int amount, bool percent);
// clNone gives CLR_NONE, clDefault CLR_DEFAULT, others the RGB value.
std::uint32_t fxImageListColor(TColor color);

// ---- arithmetic and geometry

inline int fxMin(int a, int b) { return a < b ? a : b; }
inline int fxMax(int a, int b) { return a > b ? a : b; }
inline int fxRectWidth(const TRect& r) { return fxWrap32(std::int64_t(r.Right) - r.Left); }
inline int fxRectHeight(const TRect& r) { return fxWrap32(std::int64_t(r.Bottom) - r.Top); }
inline TPoint fxPoint(int x, int y) { return {x, y}; }
template <class T>
T fxIf(bool condition, T a, T b) {
    return condition ? a : b;
}
// Sets the mask bits when the condition holds, clears them otherwise.
void fxSetFlag(bool condition, std::uint32_t& flags, std::uint32_t mask);
TPoint fxGetCursorPos();
bool fxIntersectRect(TRect& dest, const TRect& a, const TRect& b);
// True only for (0, 0, 0, 0).
bool fxIsRectEmpty(const TRect& r);
// The largest rectangle of aspect W:H inside `r`, at its top-left corner;
// (0, 0, 0, 0) when `r` is empty or W or H is not above 0.
TRect fxFitRect(const TRect& r, int w, int h);

// ---- strings (case-sensitive)

// The characters from position From up to, not including, To (0: the end).
std::string fxSubString(std::string_view s, int from, int to);
// The first occurrence of `sub` at or after `start`.
int fxPosFrom(std::string_view sub, std::string_view s, int start);
// N + 1 searches, each from one past the previous hit (from 1 after a miss):
// occurrence N + 1, or 0 when S holds exactly N; with fewer the searches
// start over after the miss.
int fxNthPos(std::string_view sub, std::string_view s, int n);
int fxCountTokens(std::string_view s, std::string_view delim);
std::string fxGetToken(std::string_view s, std::string_view delim, int index);
// -1 when no token equals `token`.
int fxTokenIndex(std::string_view s, std::string_view delim, std::string_view token);
// Left to right, without overlap.
std::string fxReplaceAll(std::string_view s, std::string_view find, std::string_view replace);
// "&&" becomes "&", every other "&" goes; a character 0 comes out as "&".
std::string fxStripAccelerators(std::string_view s);

// ---- text measuring (DT_CALCRECT added to the flags)

// Height of the text laid out in (0, 0, width, 0).
int fxTextHeight(TCanvas& canvas, unsigned flags, int width, std::string_view text);
// The size of the lines of `text` (cut at CR LF) one below the other, with
// `lineSpacing` between them: laid out in `width` when it is not 0, else
// each line's text extent.
void fxMultiLineTextSize(TCanvas& canvas, std::string_view text, int lineSpacing, TSize& size, unsigned flags,
                         int width);

// ---- classes

// True when the class or one of its ancestors has this name (any case).
bool fxIsClassNamed(const TClassInfo& cls, std::string_view name);

// ---- drawing

// Draws `image` into `r` through a monochrome mask (black: transparent),
// off-screen through a bitmap of the rectangle's size when `offScreen`.
void fxMaskBlt(TCanvas& canvas, const TRect& r, TBitmap& image, bool offScreen, TBitmap& mask);
// Draws `picture` leaving out its pixels of colour `key` (-1: the colour of
// its top-left pixel).
void fxTransparentDrawBitmap(TCanvas& canvas, const TRect& r, const TfxBitmap& picture, TColor key);
// Fills what of the picture lies outside `region` with its TransparentColor.
void fxFillOutsideRegion(TfxBitmap& picture, const TRegion& region);
// The pixels that do not have the key colour (-1: the top-left pixel's),
// row by row; nothing when the picture is empty or all key colour.
std::optional<TRegion> fxRegionFromBitmap(const TfxBitmap& picture, TColor key);
// A checkerboard pattern brush: the background colour on (x + y) even.
TBrush fxCreateDitherBrush();
// Fills `r` with a checkerboard of Color1 (on (x + y) even) and Color2;
// Color1 clNone leaves those squares alone. Color2 clNone raises
// EInvalidOperation.
void fxDitherFill(TCanvas& canvas, const TRect& r, TColor color1, TColor color2);
// Tiles the graphic from the canvas origin over the width and height of `r`.
void fxTileGraphic(const TGraphic& graphic, TCanvas& canvas, const TRect& r);
// Tiles k = 0, 1, ... lie at k * step - offset while k * step < limit; the
// range [first, end) of those reaching into [visLo, visHi), the only ones
// that can draw anything (a tiling of a huge rectangle costs no more than
// what shows).
std::pair<std::int64_t, std::int64_t> fxVisibleTiles(std::int64_t limit, std::int64_t step, std::int64_t offset,
                                                     std::int64_t visLo, std::int64_t visHi);
// An image of the list, or its embossed disabled look; nothing without a list.
void fxDrawImageListImage(const TCustomImageList* list, int index, TCanvas& canvas, bool enabled, unsigned style, int x,
                          int y);
// The disabled look of `source` into `dest`, which takes its size.
void fxDrawDisabledBitmap(const TBitmap& source, TBitmap& dest);
// Places a glyph and a caption around `centre` by the button layout; either
// output may be null.
void fxLayoutGlyphAndText(TPoint centre, TRect* textRect, TRect* glyphRect, int spacing, TButtonLayout layout,
                          TSize glyphSize, TSize textSize);

// ---- window invalidation

// The window and every descendant, without erasing.
void fxInvalidateWindowTree(HWND wnd);
// Every descendant of `parentWnd` whose screen rectangle meets `wnd`'s.
void fxInvalidateOverlapping(HWND parentWnd, HWND wnd);
// The control's bounds on its parent's window; nothing without a parent
// window.
void fxInvalidateParentArea(const TControl* control, bool erase);

}  // namespace menvaro
