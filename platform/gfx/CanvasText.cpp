// Text: glyph drawing, ExtTextOut and the DrawText layout.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "gfx/CanvasImpl.h"
#include "gfx/Scan.h"

namespace menvaro {

namespace {

std::u32string Decode(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) out.push_back(NextCodePoint(s, i));
    return out;
}

inline std::uint32_t Blend(std::uint32_t d, std::uint32_t s, unsigned a) {
    const unsigned ia = 255 - a;
    std::uint32_t rb = (s & 0xFF00FF) * a + (d & 0xFF00FF) * ia + 0x800080;
    rb = ((rb + ((rb >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
    std::uint32_t g = (s & 0xFF00) * a + (d & 0xFF00) * ia + 0x8000;
    g = ((g + ((g >> 8) & 0xFF00)) >> 8) & 0xFF00;
    return rb | g;
}

bool IsCJK(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

// Glyph drawing shared by ExtTextOut and DrawText.
struct TextPainter {
    TCanvas& c;
    TFontFace& face;
    int tenths;
    double cs, sn;  // direction of the baseline: (cs, -sn) on the surface
    TSurfaceView v;
    bool mono;
    std::uint32_t color;
    TPoint org;

    explicit TextPainter(TCanvas& canvas)
        : c(canvas),
          face(*canvas.Font().Face()),
          tenths(((canvas.Font().Orientation() % 3600) + 3600) % 3600),
          cs(std::cos(tenths * M_PI / 1800.0)),
          sn(std::sin(tenths * M_PI / 1800.0)),
          v(CanvasAccess::Target(canvas)),
          mono(CanvasAccess::Mono(canvas)),
          org(canvas.Origin()) {
        CanvasAccess::SyncTools(canvas);
        color = NativeColor(CanvasAccess::Text(canvas), mono);
    }

    // Advances of the characters (whole pixels), from dx or the font, with
    // tab stops when tabWidth > 0.
    std::vector<int> Advances(const std::u32string& t, const int* dx, int tabWidth, int startX = 0) {
        std::vector<int> adv(t.size());
        int x = startX;
        for (std::size_t i = 0; i < t.size(); ++i) {
            int a;
            if (dx)
                a = dx[i];
            else if (t[i] == U'\t' && tabWidth > 0)
                a = ((x / tabWidth) + 1) * tabWidth - x;
            else
                a = face.Advance(t[i]);
            adv[i] = a;
            x += a;
        }
        return adv;
    }

    // Device point of logical (x, y) moved by `along` pixels on the baseline
    // direction and `down` pixels across it.
    void At(int x, int y, double along, double down, double& px, double& py) const {
        px = x + org.X + along * cs + down * sn;
        py = y + org.Y - along * sn + down * cs;
    }

    // Fills a rectangle of the text's own frame (along, down extents).
    void FillFrame(int x, int y, double a0, double d0, double a1, double d1, const TPaint& p,
                   const TRect* clip) {
        if (tenths == 0) {
            const TRect r{x + org.X + int(a0), y + org.Y + int(d0), x + org.X + int(a1), y + org.Y + int(d1)};
            CanvasAccess::PaintRect(c, r, p, clip);
            return;
        }
        TPoint pts[4];
        const double corners[4][2] = {{a0, d0}, {a1, d0}, {a1, d1}, {a0, d1}};
        for (int i = 0; i < 4; ++i) {
            double px, py;
            At(x, y, corners[i][0], corners[i][1], px, py);
            pts[i] = {int(std::lround(px)), int(std::lround(py))};
        }
        std::vector<TRegion::Span> spans;
        scan::PolygonSpans(pts, 4, ALTERNATE, spans);
        TRegion rgn = TRegion::FromSpans(spans);
        if (clip) rgn.Intersect(*clip);
        CanvasAccess::PaintRegion(c, rgn, p);
    }

    void DrawGlyph(const TGlyph& g, int gx, int gy, const TRect* clip) {
        if (g.Width == 0 || g.Height == 0) return;
        const TRect box{gx, gy, gx + g.Width, gy + g.Height};
        CanvasAccess::ForEachClipped(
            c, box,
            [&](const TRect& piece) {
                for (int y = piece.Top; y < piece.Bottom; ++y) {
                    const std::uint8_t* cov = &g.Coverage[std::size_t(y - gy) * std::size_t(g.Pitch)];
                    std::uint32_t* row = v.Row(y);
                    for (int x = piece.Left; x < piece.Right; ++x) {
                        const unsigned a = cov[x - gx];
                        if (a == 0) continue;
                        if (a == 255 || (mono && a >= 128))
                            row[x] = color;
                        else if (!mono)
                            row[x] = Blend(row[x], color, a);
                    }
                }
            },
            clip);
    }

    // Draws characters with their advances from logical (x, y), the top-left
    // of the cell. `underline` marks characters to underline (may be empty).
    void Draw(int x, int y, const std::u32string& t, const std::vector<int>& adv, bool opaque,
              const TRect* clip, const std::vector<bool>& underline) {
        const TTextMetric& tm = face.Metrics();
        int total = 0;
        for (int a : adv) total += a;
        if (opaque) {
            TPaint bg;
            bg.kind = TPaint::Solid;
            bg.color = NativeColor(CanvasAccess::Bk(c), mono);
            FillFrame(x, y, 0, 0, total, tm.Height, bg, clip);
        }
        double along = 0;
        for (std::size_t i = 0; i < t.size(); ++i) {
            const TGlyph& g = face.Glyph(t[i], tenths);
            double px, py;
            At(x, y, along, tm.Ascent, px, py);
            DrawGlyph(g, int(std::lround(px)) + g.Left, int(std::lround(py)) - g.Top, clip);
            along += adv[i];
        }
        TPaint ink;
        ink.kind = TPaint::Solid;
        ink.color = color;
        const int th = face.LineThickness();
        const TFontStyles st = c.Font().Style();
        auto line = [&](int offset, double a0, double a1) {
            const double d0 = tm.Ascent + offset;
            FillFrame(x, y, a0, d0, a1, d0 + th, ink, clip);
        };
        if (st & fsUnderline) line(face.UnderlineOffset(), 0, total);
        if (st & fsStrikeOut) line(face.StrikeoutOffset(), 0, total);
        if (!underline.empty() && !(st & fsUnderline)) {
            double a = 0;
            for (std::size_t i = 0; i < t.size(); ++i) {
                if (i < underline.size() && underline[i]) line(face.UnderlineOffset(), a, a + adv[i]);
                a += adv[i];
            }
        }
    }
};

}  // namespace

TTextMetric TCanvas::TextMetrics() { return font_.Face()->Metrics(); }

TSize TCanvas::TextExtent(std::string_view text) {
    TFontFace& face = *font_.Face();
    int w = 0;
    for (std::size_t i = 0; i < text.size();) w += face.Advance(NextCodePoint(text, i));
    return {w, face.Metrics().Height};
}

bool TCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::string_view text,
                         const int* dx) {
    TextPainter tp(*this);
    TRect clipDev;
    const TRect* clip = nullptr;
    if (rect) {
        clipDev = OffsetRect(*rect, origin_.X, origin_.Y);
        if (options & ETO_OPAQUE) {
            TPaint bg;
            bg.kind = TPaint::Solid;
            bg.color = NativeColor(bkColor_, tp.mono);
            CanvasAccess::PaintRect(*this, clipDev, bg);
        }
        if (options & ETO_CLIPPED) clip = &clipDev;
    }
    const std::u32string t = Decode(text);
    const std::vector<int> adv = tp.Advances(t, dx, 0);
    // With ETO_OPAQUE the rectangle is the background; otherwise the mode decides.
    const bool opaqueCell = bkMode_ == OPAQUE && !(rect && (options & ETO_OPAQUE));
    tp.Draw(x, y, t, adv, opaqueCell, clip, {});
    return true;
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    ExtTextOut(x, y, 0, nullptr, text);
    // The class library moves the pen position past the text.
    penPos_ = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::string_view text) {
    Sync();
    const unsigned opts = ETO_CLIPPED | (brush_.Style() != bsClear ? ETO_OPAQUE : 0u);
    ExtTextOut(x, y, opts, &r, text);
}

// ---- DrawText

namespace {

struct Line {
    std::u32string text;
    std::vector<bool> underline;
};

// DrawText's lines: prefixes resolved, paragraphs split at line breaks and,
// with DT_WORDBREAK, broken to `maxWidth` (with DT_EDITCONTROL also inside a
// word wider than the line).
std::vector<Line> LayOutLines(TextPainter& tp, std::string_view text, int maxWidth, unsigned format, int tabWidth) {
    const bool single = format & DT_SINGLELINE;

    // Accelerator prefixes.
    const std::u32string raw = Decode(text);
    std::u32string shown;
    std::vector<bool> marks;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (!(format & DT_NOPREFIX) && raw[i] == U'&') {
            if (i + 1 >= raw.size()) break;
            if (raw[i + 1] == U'&') {
                shown.push_back(U'&');
                marks.push_back(false);
            } else {
                shown.push_back(raw[i + 1]);
                marks.push_back(!(format & DT_HIDEPREFIX));
            }
            ++i;
            continue;
        }
        shown.push_back(raw[i]);
        marks.push_back(false);
    }

    auto width = [&](const std::u32string& s) {
        int w = 0;
        for (int a : tp.Advances(s, nullptr, tabWidth)) w += a;
        return w;
    };

    // Paragraphs.
    std::vector<Line> paras(1);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char32_t ch = shown[i];
        if (ch == U'\r' || ch == U'\n') {
            if (single) continue;
            if (ch == U'\r' && i + 1 < shown.size() && shown[i + 1] == U'\n') ++i;
            paras.emplace_back();
            continue;
        }
        paras.back().text.push_back(ch);
        paras.back().underline.push_back(marks[i]);
    }
    if (shown.empty()) paras.clear();

    // Word breaking.
    std::vector<Line> lines;
    for (Line& p : paras) {
        if (!(format & DT_WORDBREAK) || single) {
            lines.push_back(std::move(p));
            continue;
        }
        const std::u32string& s = p.text;
        std::size_t start = 0;
        while (true) {
            if (start >= s.size()) {
                if (start == 0) lines.push_back({});
                break;
            }
            // Extend to the last break opportunity that still fits.
            std::size_t end = start, best = 0;
            bool haveBest = false;
            while (end < s.size()) {
                // Next segment: a word and its blanks, or one Chinese character.
                std::size_t segEnd = end;
                if (IsCJK(s[segEnd])) {
                    ++segEnd;
                } else {
                    while (segEnd < s.size() && s[segEnd] != U' ' && !IsCJK(s[segEnd])) ++segEnd;
                }
                std::size_t inkEnd = segEnd;
                while (segEnd < s.size() && s[segEnd] == U' ') ++segEnd;
                if (inkEnd == end) inkEnd = segEnd;  // leading blanks only
                const int w = width(s.substr(start, inkEnd - start));
                if (w > maxWidth && haveBest) break;
                if (w > maxWidth && (format & DT_EDITCONTROL) && inkEnd - start > 1) {
                    // As many characters of the word as fit, one at least.
                    std::size_t fit = start + 1;
                    while (fit < inkEnd && width(s.substr(start, fit + 1 - start)) <= maxWidth) ++fit;
                    segEnd = fit;
                }
                best = segEnd;
                haveBest = true;
                end = segEnd;
                if (w > maxWidth) break;  // one word wider than the line stays whole
            }
            std::size_t lineEnd = best;
            std::size_t inkEnd = lineEnd;
            while (inkEnd > start && s[inkEnd - 1] == U' ') --inkEnd;
            Line l;
            l.text = s.substr(start, inkEnd - start);
            l.underline.assign(p.underline.begin() + std::ptrdiff_t(start),
                               p.underline.begin() + std::ptrdiff_t(inkEnd));
            lines.push_back(std::move(l));
            start = lineEnd;
            if (start >= s.size()) break;
        }
    }
    return lines;
}

}  // namespace

std::vector<std::string> TCanvas::TextLines(std::string_view text, int width, unsigned format) {
    TextPainter tp(*this);
    const int tabWidth = (format & DT_EXPANDTABS) ? 8 * std::max(1, tp.face.Metrics().AveCharWidth) : 0;
    std::vector<std::string> out;
    for (const Line& l : LayOutLines(tp, text, width, format, tabWidth)) {
        std::string u;
        for (char32_t c : l.text) AppendUtf8(u, c);
        out.push_back(std::move(u));
    }
    return out;
}

int TCanvas::DrawText(std::string_view text, TRect& r, unsigned format) {
    TextPainter tp(*this);
    const TTextMetric& tm = tp.face.Metrics();
    const int tabWidth = (format & DT_EXPANDTABS) ? 8 * std::max(1, tm.AveCharWidth) : 0;
    const int lineHeight = tm.Height + ((format & DT_EXTERNALLEADING) ? tm.ExternalLeading : 0);
    const bool single = format & DT_SINGLELINE;
    const int maxWidth = r.Right - r.Left;
    auto width = [&](const std::u32string& s) {
        int w = 0;
        for (int a : tp.Advances(s, nullptr, tabWidth)) w += a;
        return w;
    };
    std::vector<Line> lines = LayOutLines(tp, text, maxWidth, format, tabWidth);

    // Ellipsis.
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        const std::u32string dots = U"...";
        for (Line& l : lines) {
            if (width(l.text) <= maxWidth) continue;
            while (!l.text.empty() && width(l.text + dots) > maxWidth) {
                l.text.pop_back();
                l.underline.pop_back();
            }
            l.text += dots;
            l.underline.resize(l.text.size(), false);
        }
    }

    int maxLine = 0;
    std::vector<int> widths;
    for (const Line& l : lines) {
        widths.push_back(width(l.text));
        maxLine = std::max(maxLine, widths.back());
    }
    const int total = int(lines.size()) * lineHeight;
    if (format & DT_CALCRECT) {
        r.Right = r.Left + maxLine;
        r.Bottom = r.Top + total;
        return total;
    }
    int y = r.Top;
    if (single) {
        if (format & DT_VCENTER)
            y = r.Top + (r.Bottom - r.Top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = r.Bottom - lineHeight;
    }
    const int top = y;
    TRect clipDev = OffsetRect(r, origin_.X, origin_.Y);
    const TRect* clip = (format & DT_NOCLIP) ? nullptr : &clipDev;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int x = r.Left;
        if (format & DT_CENTER)
            x = r.Left + (maxWidth - widths[i]) / 2;
        else if (format & DT_RIGHT)
            x = r.Right - widths[i];
        const std::vector<int> adv = tp.Advances(lines[i].text, nullptr, tabWidth);
        tp.Draw(x, y, lines[i].text, adv, bkMode_ == OPAQUE, clip, lines[i].underline);
        y += lineHeight;
    }
    return (top - r.Top) + total;
}

}  // namespace menvaro
