#include "gfx/Fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "base/Exceptions.h"
#include "base/Strings.h"

namespace menvaro {

namespace {

struct MapEntry {
    const char* from;
    const char* to;
    // The face for small text (kSmallFrom to kSmallTo pixels) where `to`
    // renders badly there; nullptr: `to` at every size.
    const char* small;
};

// Small text in the Song face: its outlines carry no hints, so at 12 pixels
// "s" renders like "c". The small face has a drawn bitmap for every
// character at these sizes, as the original system's Song face has.
constexpr int kSmallFrom = 11, kSmallTo = 16;

// The design's table of the original system's family names.
constexpr MapEntry kFamilyMap[] = {
    {"宋体", "AR PL SungtiL GB", "AR PL UMing CN"},
    {"SimSun", "AR PL SungtiL GB", "AR PL UMing CN"},
    {"楷体_GB2312", "AR PL KaitiM GB", nullptr},
    {"华文行楷", "AR PL KaitiM GB", nullptr},
    {"黑体", "WenQuanYi Zen Hei", nullptr},
    {"MS Sans Serif", "DejaVu Sans", nullptr},
    {"Tahoma", "DejaVu Sans", nullptr},
    {"Courier New", "DejaVu Sans Mono", nullptr},
};

FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) throw Exception("cannot initialise FreeType");
        return l;
    }();
    return lib;
}

std::mutex& RegistryLock() {
    static std::mutex m;
    return m;
}

struct FontFile {
    std::string path;
    int index = 0;
    std::string family;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
};

// Asks fontconfig for the best file for a family and style, optionally one
// that has the character `cp`.
bool MatchFont(const std::string& family, bool bold, bool italic, char32_t cp, FontFile& out) {
    static bool ready = FcInit();
    if (!ready) return false;
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    FcCharSet* cs = nullptr;
    if (cp) {
        cs = FcCharSetCreate();
        FcCharSetAddChar(cs, FcChar32(cp));
        FcPatternAddCharSet(pat, FC_CHARSET, cs);
    }
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res = FcResultNoMatch;
    FcPattern* m = FcFontMatch(nullptr, pat, &res);
    bool ok = false;
    if (m) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch) {
            out.path = reinterpret_cast<const char*>(file);
            FcPatternGetInteger(m, FC_INDEX, 0, &out.index);
            FcChar8* fam = nullptr;
            if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch)
                out.family = reinterpret_cast<const char*>(fam);
            FcPatternGetInteger(m, FC_WEIGHT, 0, &out.weight);
            FcPatternGetInteger(m, FC_SLANT, 0, &out.slant);
            // fontconfig's synthetic rules mark a face that must be made bold
            // or oblique; it does not make the glyphs so itself.
            FcBool embolden = FcFalse;
            if (FcPatternGetBool(m, FC_EMBOLDEN, 0, &embolden) == FcResultMatch && embolden)
                out.weight = FC_WEIGHT_REGULAR;
            FcMatrix* mx = nullptr;
            if (FcPatternGetMatrix(m, FC_MATRIX, 0, &mx) == FcResultMatch && mx && mx->xy != 0)
                out.slant = FC_SLANT_ROMAN;
            ok = true;
            if (cp) {
                FcCharSet* have = nullptr;
                ok = FcPatternGetCharSet(m, FC_CHARSET, 0, &have) == FcResultMatch &&
                     FcCharSetHasChar(have, FcChar32(cp));
            }
        }
        FcPatternDestroy(m);
    }
    if (cs) FcCharSetDestroy(cs);
    FcPatternDestroy(pat);
    return ok;
}

}  // namespace

std::string MapFontFamily(std::string_view name) {
    for (const MapEntry& e : kFamilyMap)
        if (SameText(name, e.from)) return e.to;
    return std::string(name);
}

std::string MapFontFamily(std::string_view name, int height) {
    // Compared on both sides of zero: any int may come, INT_MIN too.
    const bool small = (height >= kSmallFrom && height <= kSmallTo) || (height >= -kSmallTo && height <= -kSmallFrom);
    for (const MapEntry& e : kFamilyMap)
        if (SameText(name, e.from)) return e.small && small ? e.small : e.to;
    return std::string(name);
}

struct TFontFace::Impl {
    struct Face {
        FT_Face face = nullptr;
        std::string path;
    };
    std::vector<Face> faces;  // [0] is the main face; the others are fallbacks
    std::map<char32_t, int> fallbackOf;  // code point -> index into faces (-1: none)
    std::string requestFamily;
    bool bold = false, italic = false;

    ~Impl() {
        for (Face& f : faces)
            if (f.face) FT_Done_Face(f.face);
    }
};

struct FaceBuilder {
    static FT_Face Open(const std::string& path, int index, int pixelSize) {
        FT_Face f = nullptr;
        if (FT_New_Face(Library(), path.c_str(), index, &f) != 0) return nullptr;
        if (FT_Set_Pixel_Sizes(f, 0, FT_UInt(pixelSize)) != 0 && f->num_fixed_sizes > 0) {
            int best = 0;
            for (int i = 1; i < f->num_fixed_sizes; ++i)
                if (std::abs(f->available_sizes[i].height - pixelSize) <
                    std::abs(f->available_sizes[best].height - pixelSize))
                    best = i;
            FT_Select_Size(f, best);
        }
        return f;
    }
};

static std::string FaceKey(const std::string& name, int height, TFontStyles style, TFontQuality q) {
    return name + '\x01' + std::to_string(height) + '\x01' + std::to_string(style & (fsBold | fsItalic)) +
           '\x01' + std::to_string(int(q));
}

std::shared_ptr<TFontFace> TFontFace::Get(const std::string& name, int height, TFontStyles style,
                                          TFontQuality quality) {
    std::lock_guard<std::mutex> lock(RegistryLock());
    static std::map<std::string, std::shared_ptr<TFontFace>> registry;
    const std::string key = FaceKey(name, height, style, quality);
    if (auto it = registry.find(key); it != registry.end()) return it->second;

    std::shared_ptr<TFontFace> face(new TFontFace());
    face->impl_ = std::make_unique<Impl>();
    Impl& im = *face->impl_;
    im.requestFamily = MapFontFamily(name, height);
    im.bold = style & fsBold;
    im.italic = style & fsItalic;
    FontFile ff;
    // Where the small face is not installed, the family's own face serves.
    if (im.requestFamily != MapFontFamily(name) &&
        (!MatchFont(im.requestFamily, im.bold, im.italic, 0, ff) || !SameText(ff.family, im.requestFamily)))
        im.requestFamily = MapFontFamily(name);
    if (!MatchFont(im.requestFamily, im.bold, im.italic, 0, ff) &&
        !MatchFont("DejaVu Sans", im.bold, im.italic, 0, ff))
        throw Exception("no font found for \"" + name + "\"");
    face->family_ = ff.family;
    face->file_ = ff.path;
    face->fakeBold_ = im.bold && ff.weight < FC_WEIGHT_DEMIBOLD;
    face->fakeItalic_ = im.italic && ff.slant == FC_SLANT_ROMAN;
    face->mono_ = quality == fqNonAntialiased;

    // Probe the face for its vertical metrics to size it.
    FT_Face probe = nullptr;
    if (FT_New_Face(Library(), ff.path.c_str(), ff.index, &probe) != 0)
        throw Exception("cannot open font file " + ff.path);
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(probe, FT_SFNT_OS2));
    const double upem = probe->units_per_EM ? probe->units_per_EM : 1000;
    double asc = os2 && os2->usWinAscent ? os2->usWinAscent : probe->ascender;
    double desc = os2 && os2->usWinDescent ? os2->usWinDescent : -probe->descender;
    if (asc + desc <= 0) asc = upem * 0.8, desc = upem * 0.2;
    // 64-bit, so that no Height overflows on its way to the cap.
    const std::int64_t want = height < 0   ? -std::int64_t(height)
                              : height > 0 ? std::llround(height * upem / (asc + desc))
                                           : 16;
    const int em = int(std::clamp<std::int64_t>(want, 1, 2048));
    face->pixelSize_ = em;
    const double scale = em / upem;
    TTextMetric& tm = face->metrics_;
    tm.Ascent = int(std::ceil(asc * scale - 0.01));
    tm.Descent = int(std::ceil(desc * scale - 0.01));
    if (height > 0 && tm.Ascent + tm.Descent != height) tm.Descent = std::max(0, height - tm.Ascent);
    tm.Height = tm.Ascent + tm.Descent;
    tm.InternalLeading = std::max(0, tm.Height - em);
    tm.ExternalLeading = 0;
    tm.MaxCharWidth = int(std::ceil(probe->max_advance_width * scale));
    const double ulPos = probe->underline_position ? -probe->underline_position : upem / 10.0;
    const double ulThick = probe->underline_thickness ? probe->underline_thickness : upem / 20.0;
    face->lineThickness_ = std::max(1, int(std::lround(ulThick * scale)));
    face->underlineOffset_ = std::max(1, int(std::lround(ulPos * scale)));
    const double stPos = os2 && os2->yStrikeoutPosition ? os2->yStrikeoutPosition : asc * 0.3;
    face->strikeoutOffset_ = -int(std::lround(stPos * scale));
    const int avg = os2 ? int(std::lround(os2->xAvgCharWidth * scale)) : 0;
    FT_Done_Face(probe);

    FT_Face main = FaceBuilder::Open(ff.path, ff.index, em);
    if (!main) throw Exception("cannot open font file " + ff.path);
    im.faces.push_back({main, ff.path});
    tm.AveCharWidth = avg > 0 ? avg : std::max(1, face->Advance(U'x'));
    if (face->fakeBold_) tm.AveCharWidth += 1, tm.MaxCharWidth += 1;
    registry.emplace(key, face);
    return face;
}

TFontFace::~TFontFace() = default;

const TGlyph& TFontFace::Glyph(char32_t cp, int tenths) {
    tenths %= 3600;
    if (tenths < 0) tenths += 3600;
    if (tenths == 0 && cp < 0x10000 && !bmp_.empty() && bmp_[cp]) return *bmp_[cp];
    const std::uint64_t key = (std::uint64_t(tenths) << 32) | std::uint32_t(cp);
    if (auto it = glyphs_.find(key); it != glyphs_.end()) return it->second;

    Impl& im = *impl_;
    TGlyph g;
    // Control characters take no room and draw nothing.
    if (cp >= 0x20 || cp == U'\t') {
        int fi = 0;
        FT_UInt gi = FT_Get_Char_Index(im.faces[0].face, FT_ULong(cp));
        if (gi == 0) {
            auto fb = im.fallbackOf.find(cp);
            if (fb == im.fallbackOf.end()) {
                int found = -1;
                FontFile ff;
                if (MatchFont(im.requestFamily, im.bold, im.italic, cp, ff)) {
                    for (std::size_t i = 0; i < im.faces.size(); ++i)
                        if (im.faces[i].path == ff.path) found = int(i);
                    if (found < 0) {
                        if (FT_Face f = FaceBuilder::Open(ff.path, ff.index, pixelSize_)) {
                            im.faces.push_back({f, ff.path});
                            found = int(im.faces.size() - 1);
                        }
                    }
                }
                fb = im.fallbackOf.emplace(cp, found).first;
            }
            if (fb->second >= 0) {
                fi = fb->second;
                gi = FT_Get_Char_Index(im.faces[std::size_t(fi)].face, FT_ULong(cp));
            }
        }
        FT_Face f = im.faces[std::size_t(fi)].face;
        const bool sheared = fakeItalic_;
        const bool transformed = tenths != 0 || sheared;
        if (transformed) {
            const double a = tenths * M_PI / 1800.0;
            const double c = std::cos(a), s = std::sin(a);
            const double sh = sheared ? 0.2 : 0.0;
            // Rotation after shear: [c -s; s c] * [1 sh; 0 1].
            FT_Matrix m;
            m.xx = FT_Fixed(std::lround(c * 65536));
            m.xy = FT_Fixed(std::lround((c * sh - s) * 65536));
            m.yx = FT_Fixed(std::lround(s * 65536));
            m.yy = FT_Fixed(std::lround((s * sh + c) * 65536));
            FT_Set_Transform(f, &m, nullptr);
        } else {
            FT_Set_Transform(f, nullptr, nullptr);
        }
        FT_Int32 flags = FT_LOAD_DEFAULT;
        if (transformed) flags |= FT_LOAD_NO_BITMAP;
        if (mono_) flags |= FT_LOAD_TARGET_MONO;
        if (FT_Load_Glyph(f, gi, flags) == 0) {
            FT_GlyphSlot slot = f->glyph;
            if (fakeBold_) FT_GlyphSlot_Embolden(slot);
            if (slot->format != FT_GLYPH_FORMAT_BITMAP)
                FT_Render_Glyph(slot, mono_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL);
            const FT_Bitmap& bm = slot->bitmap;
            g.Left = slot->bitmap_left;
            g.Top = slot->bitmap_top;
            g.Width = int(bm.width);
            g.Height = int(bm.rows);
            g.Pitch = g.Width;
            g.Coverage.assign(std::size_t(g.Width) * std::size_t(g.Height), 0);
            bool opaque = true;
            for (int y = 0; y < g.Height; ++y) {
                const unsigned char* src = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
                std::uint8_t* dst = &g.Coverage[std::size_t(y) * std::size_t(g.Width)];
                for (int x = 0; x < g.Width; ++x) {
                    std::uint8_t v;
                    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                        v = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
                    else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256)
                        v = src[x];
                    else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                        v = std::uint8_t(src[x] * 255 / std::max(1, bm.num_grays - 1));
                    else
                        v = 0;
                    dst[x] = v;
                    if (v != 0 && v != 255) opaque = false;
                }
            }
            g.Opaque = opaque;
            if (tenths != 0) {
                g.AdvanceX = int(slot->advance.x);
                g.AdvanceY = int(slot->advance.y);
            } else {
                g.AdvanceX = int((slot->advance.x + 32) & ~63);
                g.AdvanceY = 0;
            }
        }
        if (cp == U'\t') g.Coverage.clear(), g.Width = g.Height = 0;
    }
    const TGlyph& stored = glyphs_.emplace(key, std::move(g)).first->second;
    if (tenths == 0 && cp < 0x10000) {
        if (bmp_.empty()) bmp_.assign(0x10000, nullptr);
        bmp_[cp] = &stored;
    }
    return stored;
}

}  // namespace menvaro

// fontconfig keeps blocks from parsing its configuration that it never
// frees; the leak checker of the sanitizer build is told to ignore them.
// Weak, so that a program or test with its own list can replace it (that
// list should then name libfontconfig too).
extern "C" __attribute__((weak, used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
