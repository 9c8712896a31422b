#include "ui/GraphicsClasses.h"

#include "base/Streams.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "ui/WindowManager.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)
MENVARO_DEFINE_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
MENVARO_DEFINE_ENUM(TPenMode, pmBlack, pmNotMerge, pmMaskNotPen, pmNotCopy, pmMaskPenNot, pmNot, pmXor, pmNotMask,
                    pmMask, pmNotXor, pmNop, pmMergeNotPen, pmCopy, pmMergePenNot, pmMerge, pmWhite)
MENVARO_DEFINE_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
                    bsDiagCross, bsPattern)

template <>
const TEnumInfo& EnumInfoOf<TFontStyleElement>() {
    static const TEnumInfo info{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
    return info;
}

const TIdentMap& ColorIdents() {
    static const TIdentMap map = [] {
        TIdentMap m;
        m.TypeName = "TColor";
        m.ToValue = [](std::string_view name, std::int64_t& v) {
            TColor c = 0;
            if (!IdentToColor(std::string(name).c_str(), c)) return false;
            v = c;
            return true;
        };
        m.ToName = [](std::int64_t v, std::string& name) {
            const char* n = ColorToIdent(static_cast<TColor>(v));
            if (!n) return false;
            name = n;
            return true;
        };
        return m;
    }();
    return map;
}

const TIdentMap& CursorIdents() {
    static const TIdentMap map{
        "TCursor", {{"crDefault", crDefault},     {"crNone", crNone},           {"crArrow", crArrow},
                    {"crCross", crCross},         {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW},
                    {"crSizeNS", crSizeNS},       {"crSizeNWSE", crSizeNWSE},   {"crSizeWE", crSizeWE},
                    {"crUpArrow", crUpArrow},     {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
                    {"crNoDrop", crNoDrop},       {"crHSplit", crHSplit},       {"crVSplit", crVSplit},
                    {"crMultiDrag", crMultiDrag}, {"crSQLWait", crSQLWait},     {"crNo", crNo},
                    {"crAppStart", crAppStart},   {"crHelp", crHelp},           {"crHandPoint", crHandPoint},
                    {"crSizeAll", crSizeAll}}};
    return map;
}

const TIdentMap& CharsetIdents() {
    static const TIdentMap map{"TFontCharset",
                               {{"ANSI_CHARSET", ANSI_CHARSET},
                                {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                {"SYMBOL_CHARSET", SYMBOL_CHARSET},
                                {"GB2312_CHARSET", GB2312_CHARSET},
                                {"OEM_CHARSET", 255}}};
    return map;
}

using TFontStyleSet = TSet<TFontStyleElement>;

MENVARO_FOREIGN_CLASS_INFO(TFont, "TFont") {
    c.Prop("Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET).Idents(CharsetIdents());
    c.Prop("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText).Idents(ColorIdents());
    c.Prop("Height", &TFont::Height, &TFont::SetHeight).Default(-11);
    c.Prop("Name", &TFont::Name, &TFont::SetName);
    c.Prop("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    c.Prop("Size", &TFont::Size, &TFont::SetSize).Stored(false);
    c.PropFn<TFontStyleSet>(
         "Style", [](TFont& f) { return TFontStyleSet::FromBits(f.Style()); },
         [](TFont& f, TFontStyleSet s) { f.SetStyle(static_cast<TFontStyles>(s.Bits())); })
        .Default(TFontStyleSet{});
}

MENVARO_FOREIGN_CLASS_INFO(TPen, "TPen") {
    c.Prop("Color", &TPen::Color, &TPen::SetColor).Default(clBlack).Idents(ColorIdents());
    c.Prop("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
    c.Prop("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
    c.Prop("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

MENVARO_FOREIGN_CLASS_INFO(TBrush, "TBrush") {
    c.Prop("Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite).Idents(ColorIdents());
    c.Prop("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void ReadGraphicData(TStream& s, TGraphic& graphic) {
    const std::int64_t size = s.Size() - s.Position();
    if (size < 4) throw EReadError("bitmap data: " + std::to_string(size) + " bytes are too few for its length");
    std::uint8_t len[4];
    s.ReadBuffer(len, 4);
    std::uint32_t n = len[0] | (len[1] << 8) | (len[2] << 16) | (std::uint32_t(len[3]) << 24);
    if (n != static_cast<std::uint64_t>(size - 4))
        throw EReadError("bitmap data: the length says " + std::to_string(n) + " bytes, " + std::to_string(size - 4) +
                         " follow");
    graphic.LoadFromStream(s);
}

void WriteGraphicData(TStream& s, const TGraphic& graphic) {
    TMemoryStream image;
    graphic.SaveToStream(image);
    auto n = static_cast<std::uint32_t>(image.Size());
    std::uint8_t len[4] = {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)};
    s.WriteBuffer(len, 4);
    s.WriteBuffer(image.Memory(), n);
}

MENVARO_FOREIGN_CLASS_INFO(TBitmap, "TBitmap") {
    c.DefineProperties([](TBitmap& bmp, TFiler& filer) {
        filer.DefineBinaryProperty(
            "Data", [&bmp](TStream& s) { ReadGraphicData(s, bmp); }, [&bmp](TStream& s) { WriteGraphicData(s, bmp); },
            !bmp.Empty());
    });
}

}  // namespace menvaro
