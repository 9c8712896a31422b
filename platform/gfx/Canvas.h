// TCanvas: the drawing surface every window and bitmap paints through, with
// GDI's pixel rules. A canvas draws onto a bitmap (TBitmap::Canvas) or onto a
// surface view a window backend binds.
//
// Coordinates: logical point (x, y) is device pixel (x + Origin.X, y +
// Origin.Y). The clip region lives in device pixels; its setters take logical
// coordinates. Everything drawn is also clipped to the surface.
//
// Pixel rules (all rectangles half-open, as in Types.h):
// - FillRect(R) fills [R.Left, R.Right) x [R.Top, R.Bottom) with the brush
//   (PATCOPY, whatever the pen mode); an empty or inverted R draws nothing.
// - FrameRect(R) paints the one-pixel border inside R with the brush: rows
//   R.Top and R.Bottom-1, columns R.Left and R.Right-1.
// - Rectangle, RoundRect and Ellipse cover the pixels of the shape inscribed
//   in [L, R) x [T, B): the right and bottom edges are excluded. A pixel lies
//   in an ellipse when its centre does; a round rectangle is the union of the
//   box minus its corners and the four corner ellipses of width x height. With
//   a pen of width w the outline is the shape minus the shape inset by w
//   (centred: the box grows by (w-1)/2 first); the brush fills the inset
//   shape. With a clear pen the brush fills the shape of [L, R-1) x [T, B-1),
//   as GDI does. The pen mode combines both pen and brush. The same shapes
//   with a 1-pixel pen cover exactly CreateRectRgn / CreateRoundRectRgn /
//   CreateEllipticRgn of the same arguments.
// - Polygon fills the pixels whose centres lie inside the closed polygon by
//   the fill mode (ALTERNATE or WINDING), a centre on a left or top edge being
//   inside and on a right or bottom edge outside (CreatePolygonRgn covers
//   exactly these), then draws the closed outline with the pen.
// - MoveTo/LineTo and Polyline draw Bresenham lines that omit the last
//   pixel; LineTo moves the pen position to the end point. Pens wider than 1
//   stamp a disc of that diameter at each pixel of the line.
// - Pixels outside the clip region are never touched; GetPixel answers
//   CLR_INVALID there.
//
// Monochrome targets (a pf1bit bitmap): in blits from a monochrome source
// to a colour target, source white takes the target's background colour and
// black its text colour; from a colour source to a monochrome target, a
// source pixel equal to the source canvas's background colour gives white,
// any other black. Pens and brushes on a monochrome target are white when
// their colour's brightness (r+g+b) is above 382, else black.
//
// Text and background: TextOut, TextRect, ExtTextOut and DrawText use the
// text colour and background colour/mode of the canvas. As in the class
// library, a font change sets the text colour to Font.Color, and a brush
// change sets the background colour to Brush.Color with the mode OPAQUE for
// a solid brush and TRANSPARENT otherwise; SetTextColor, SetBkColor and
// SetBkMode override them until the next change of the tool.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/Color.h"
#include "gfx/Fonts.h"
#include "gfx/GraphicsObjects.h"
#include "gfx/RasterOp.h"
#include "gfx/Region.h"
#include "gfx/Surface.h"
#include "gfx/Types.h"

namespace menvaro {

class TBitmap;
class TGraphic;

enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// DrawText format flags.
enum : unsigned {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_TABSTOP = 0x80,
    DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_INTERNAL = 0x1000,
    DT_EDITCONTROL = 0x2000,
    DT_PATH_ELLIPSIS = 0x4000,
    DT_END_ELLIPSIS = 0x8000,
    DT_MODIFYSTRING = 0x10000,
    DT_RTLREADING = 0x20000,
    DT_WORD_ELLIPSIS = 0x40000,
    DT_NOFULLWIDTHCHARBREAK = 0x80000,
    DT_HIDEPREFIX = 0x100000,
    DT_PREFIXONLY = 0x200000,
};

// ExtTextOut options.
enum : unsigned { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4 };

// DrawEdge: border kinds, edges and flags.
enum : unsigned {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    BDR_OUTER = 0x3,
    BDR_INNER = 0xC,
    BDR_RAISED = 0x5,
    BDR_SUNKEN = 0xA,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_TOPLEFT = BF_TOP | BF_LEFT,
    BF_TOPRIGHT = BF_TOP | BF_RIGHT,
    BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT,
    BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_DIAGONAL = 0x10,
    BF_MIDDLE = 0x800,
    BF_SOFT = 0x1000,
    BF_ADJUST = 0x2000,
    BF_FLAT = 0x4000,
    BF_MONO = 0x8000,
};

class TCanvas {
public:
    TCanvas();
    explicit TCanvas(const TSurfaceView& view);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Targets. Binding resets the origin, the clip, the saved states and
    // the pen position; the tools and colours are kept.
    void BindSurface(const TSurfaceView& view);
    void BindBitmap(TBitmap* bitmap);  // what TBitmap::Canvas does
    void Unbind();
    bool HasTarget() const;
    TSurfaceView Surface() const;  // empty when unbound; counts as a write for OnAccess
    TBitmap* Bitmap() const { return bitmap_; }
    bool Monochrome() const;

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }
    const TPen& Pen() const { return pen_; }
    const TBrush& Brush() const { return brush_; }
    const TFont& Font() const { return font_; }

    // Device-context state. Each setter answers the previous value.
    TColor TextColor() const;
    TColor SetTextColor(TColor c);
    TColor BkColor() const;
    TColor SetBkColor(TColor c);
    int BkMode() const;
    int SetBkMode(int mode);
    int PolyFillMode() const { return polyFillMode_; }
    int SetPolyFillMode(int mode);
    // Raster operation of CopyRect and Draw; SRCCOPY by default.
    std::uint32_t CopyMode() const { return copyMode_; }
    void SetCopyMode(std::uint32_t rop) { copyMode_ = rop; }
    // Where pattern brushes start, in device pixels; (0, 0) by default.
    TPoint BrushOrigin() const { return brushOrigin_; }
    void SetBrushOrigin(TPoint p) { brushOrigin_ = p; }
    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint p) { penPos_ = p; }

    // Logical origin, in device pixels.
    TPoint Origin() const { return origin_; }
    void SetOrigin(TPoint p) { origin_ = p; }
    void MoveOrigin(int dx, int dy) { origin_.X += dx, origin_.Y += dy; }

    // Clipping; arguments and answers in logical coordinates.
    bool HasClipRegion() const { return hasClip_; }
    TRegion ClipRegion() const;  // the whole surface when there is no clip
    void SetClipRegion(const TRegion& r);
    void SetClipRect(const TRect& r);
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    void IntersectClipRegion(const TRegion& r);
    void ClearClip();
    // Bounding box of what can be painted (clip and surface).
    TRect ClipRect() const;
    bool RectVisible(const TRect& r) const;
    bool PtVisible(int x, int y) const;

    // SaveDC / RestoreDC: tools, colours, modes, origin, clip, pen position.
    // RestoreState(n) goes back to the state SaveState answered n for (n < 0:
    // that many levels back); false when there is no such state.
    int SaveState();
    bool RestoreState(int level = -1);

    // Primitives (pixel rules above).
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int left, int top, int right, int bottom, int width, int height);
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void Polygon(const TPoint* points, int count);
    void Polygon(std::initializer_list<TPoint> pts) { Polygon(pts.begin(), int(pts.size())); }
    void Polygon(const std::vector<TPoint>& pts) { Polygon(pts.data(), int(pts.size())); }
    // Lines from point to point; the pen position ends at the last point.
    void Polyline(const TPoint* points, int count);
    void Polyline(std::initializer_list<TPoint> pts) { Polyline(pts.begin(), int(pts.size())); }
    void Polyline(const std::vector<TPoint>& pts) { Polyline(pts.data(), int(pts.size())); }
    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);

    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);

    // Brush-only raster operation over [x, x+w) x [y, y+h); negative sizes
    // extend to the left / up.
    void PatBlt(int x, int y, int w, int h, std::uint32_t rop);
    // Copies with any raster operation from another canvas (or this one;
    // overlapping copies behave as if the source were read first). Pixels
    // whose source lies outside the source surface are left alone.
    void BitBlt(int x, int y, int w, int h, const TCanvas& src, int sx, int sy, std::uint32_t rop);
    // Nearest-neighbour stretch; a negative width or height mirrors.
    void StretchBlt(int x, int y, int w, int h, const TCanvas& src, int sx, int sy, int sw, int sh, std::uint32_t rop);
    // StretchBlt with CopyMode.
    void CopyRect(const TRect& dest, const TCanvas& src, const TRect& source);
    // Stretches `source` into `dest` leaving out the source pixels of colour
    // `key` (an RGB TColor).
    void TransparentBlt(const TRect& dest, const TCanvas& src, const TRect& source, TColor key);
    void Draw(int x, int y, const TGraphic& g);
    void StretchDraw(const TRect& r, const TGraphic& g);

    // Borders: see the pixel rules in Canvas.cpp. With BF_ADJUST the
    // rectangle is shrunk by the drawn borders.
    bool DrawEdge(TRect& r, unsigned edge, unsigned flags);
    // `width` rings: the top and left sides in `top`, right and bottom in
    // `bottom` (which owns the top-right and bottom-left corner pixels); the
    // rectangle is shrunk by `width`.
    void Frame3D(TRect& r, TColor top, TColor bottom, int width);
    // Inverts every other pixel of R's one-pixel border ((x + y) even in
    // device pixels); drawing it twice restores the pixels.
    void DrawFocusRect(const TRect& r);
    void FillRgn(const TRegion& rgn, const TBrush& brush);
    void FillRgn(const TRegion& rgn) { FillRgn(rgn, brush_); }
    // Paints the region's border, w pixels wide at left and right, h at top
    // and bottom, inside the region.
    void FrameRgn(const TRegion& rgn, const TBrush& brush, int w, int h);
    void InvertRgn(const TRegion& rgn);
    void InvertRect(const TRect& r);

    // Text (UTF-8). (x, y) is the top-left of the text cell; with a rotated
    // font the text turns about that point.
    void TextOut(int x, int y, std::string_view text);
    // ExtTextOut clipped to r, opaque (background colour fill of r) unless
    // the brush is clear.
    void TextRect(const TRect& r, int x, int y, std::string_view text);
    TSize TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }
    // ETO_OPAQUE fills `rect` with the background colour first; ETO_CLIPPED
    // clips the text to it. `dx`, when given, holds one advance a character.
    bool ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::string_view text, const int* dx = nullptr);
    TTextMetric TextMetrics();
    // Lays out and draws text in `r` by the DT_* flags. Lines end at CR, LF
    // or CR LF (not with DT_SINGLELINE); DT_WORDBREAK breaks at blanks and
    // next to Chinese characters, a word wider than the line stays whole
    // (DT_END_ELLIPSIS then shortens it); DT_VCENTER and DT_BOTTOM apply to
    // DT_SINGLELINE only; with DT_EDITCONTROL a word wider than the line is
    // broken between characters; "&" underlines the next character and "&&" is one
    // "&" unless DT_NOPREFIX; DT_EXPANDTABS puts tab stops every 8 average
    // character widths; without DT_NOCLIP the text is clipped to r. With
    // DT_CALCRECT nothing is drawn and r gets the text's extent (its right
    // edge the widest line, its bottom the last line). Answers the height of
    // the text (with DT_VCENTER/DT_BOTTOM: from r.Top to the text's bottom).
    int DrawText(std::string_view text, TRect& r, unsigned format);
    // The lines DrawText shows `text` in, for a rectangle `width` pixels wide
    // and the same format, each as the text it shows (prefixes resolved).
    std::vector<std::string> TextLines(std::string_view text, int width, unsigned format);

    // Told before the canvas reads (false) or may write (true) the pixels
    // of its target, also as the source of a blit or through Surface(): an
    // owner that keeps the picture in another form as well brings it in
    // first and takes it back after writes.
    std::function<void(bool writing)> OnAccess;

private:
    struct State;
    struct Target;
    friend struct CanvasAccess;

    TBitmap* bitmap_ = nullptr;
    TSurfaceView view_;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    // The colours and mode follow the font and brush (see above): Sync
    // applies a change of either before the state is read or used.
    void Sync() const;
    void EnsureClip();
    mutable TColor textColor_ = clBlack;
    mutable TColor bkColor_ = clWhite;
    mutable int bkMode_ = OPAQUE;
    mutable std::uint64_t fontGen_ = ~0ull;
    mutable std::uint64_t brushGen_ = ~0ull;
    int polyFillMode_ = ALTERNATE;
    std::uint32_t copyMode_ = SRCCOPY;
    TPoint brushOrigin_{};
    TPoint penPos_{};
    TPoint origin_{};
    bool hasClip_ = false;
    TRegion clip_;  // device pixels, valid when hasClip_
    std::vector<std::unique_ptr<State>> saved_;
};

// SaveState for one scope: the canvas goes back to the saved state when this
// goes, also when the drawing in between raises.
class TCanvasStateSaver {
public:
    explicit TCanvasStateSaver(TCanvas& canvas) : canvas_(canvas), level_(canvas.SaveState()) {}
    ~TCanvasStateSaver() { canvas_.RestoreState(level_); }
    TCanvasStateSaver(const TCanvasStateSaver&) = delete;
    TCanvasStateSaver& operator=(const TCanvasStateSaver&) = delete;

private:
    TCanvas& canvas_;
    int level_;
};

}  // namespace menvaro
