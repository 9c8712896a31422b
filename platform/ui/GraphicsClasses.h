// The graphics layer's objects as streamable (foreign) classes, so that form
// files can set Font.Name, Font.Style = [fsBold], Brush.Color, Glyph.Data.
#pragma once

#include "classes/TypeInfo.h"
#include "gfx/Bitmap.h"
#include "gfx/Color.h"
#include "gfx/Graphic.h"
#include "gfx/GraphicsObjects.h"

namespace menvaro {

class TStream;

MENVARO_DECLARE_FOREIGN_CLASS(TFont)
MENVARO_DECLARE_FOREIGN_CLASS(TPen)
MENVARO_DECLARE_FOREIGN_CLASS(TBrush)
// A bitmap streams as "Data": a 4-byte little-endian length and a BMP file image.
MENVARO_DECLARE_FOREIGN_CLASS(TBitmap)

MENVARO_DECLARE_ENUM(TFontPitch)
MENVARO_DECLARE_ENUM(TPenStyle)
MENVARO_DECLARE_ENUM(TPenMode)
MENVARO_DECLARE_ENUM(TBrushStyle)
// The elements of Font.Style, named fsBold, fsItalic, fsUnderline, fsStrikeOut.
enum TFontStyleElement { fseBold, fseItalic, fseUnderline, fseStrikeOut };
MENVARO_DECLARE_ENUM(TFontStyleElement)

// A graphic's "Data" in a form file: the length of its file image as 4
// bytes little-endian, then the image (a BMP file for a bitmap). Reading
// raises EReadError when the length does not match what follows, and the
// graphic's own error for a damaged image; the graphic is left as it was.
void ReadGraphicData(TStream& stream, TGraphic& graphic);
void WriteGraphicData(TStream& stream, const TGraphic& graphic);

// Colour names (clBtnFace, clRed, ...) and cursor names (crHourGlass, ...)
// as form files write them.
const TIdentMap& ColorIdents();
const TIdentMap& CursorIdents();
// Character set names (DEFAULT_CHARSET, GB2312_CHARSET, ...).
const TIdentMap& CharsetIdents();

}  // namespace menvaro
