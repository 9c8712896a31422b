// Draws the pictures of the updater's main window:
//   make_logo LOGO.jpg FOLDER.bmp
// The logo sits at the right of the banner, 154 x 69 pixels: a red seal with
// 餐 beside the product name. The folder is the two-state glyph (normal,
// disabled; 32 x 16, olive is transparent) of the button that browses for
// the source folder. The form file holds both: Picture.Data from
// platform/ui/PictureData.cmake, Glyph.Data as the BMP's length (4 bytes,
// little-endian) followed by the BMP.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <vector>

#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"

using namespace menvaro;

namespace {

bool WriteJpeg(const TBitmap& bmp, const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = static_cast<JDIMENSION>(bmp.Width());
    c.image_height = static_cast<JDIMENSION>(bmp.Height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(bmp.Width()) * 3);
    for (int y = 0; y < bmp.Height(); ++y) {
        const std::uint32_t* px = bmp.ScanLine(y);
        for (int x = 0; x < bmp.Width(); ++x) {
            row[x * 3 + 0] = static_cast<unsigned char>(px[x] >> 16);
            row[x * 3 + 1] = static_cast<unsigned char>(px[x] >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(px[x]);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(f) == 0;
}

void DrawFolder(TCanvas& c, int x, TColor body, TColor line) {
    c.Pen().SetColor(line);
    c.Brush().SetColor(body);
    c.Polygon({{x + 1, 3}, {x + 6, 3}, {x + 7, 5}, {x + 14, 5}, {x + 14, 13}, {x + 1, 13}});
    c.MoveTo(x + 1, 6);
    c.LineTo(x + 14, 6);
}

void WriteFolderGlyph(const char* path) {
    TBitmap bmp;
    bmp.SetSize(32, 16);
    TCanvas& c = bmp.Canvas();
    c.Brush().SetColor(clOlive);
    c.FillRect(Rect(0, 0, 32, 16));
    DrawFolder(c, 0, RGB(0xFF, 0xCC, 0x33), RGB(0x80, 0x60, 0x00));
    // Disabled: the outline embossed in white and grey.
    c.Brush().SetStyle(bsClear);
    c.Pen().SetColor(clWhite);
    c.Polygon({{17 + 1, 4}, {17 + 6, 4}, {17 + 7, 6}, {17 + 14, 6}, {17 + 14, 14}, {17 + 1, 14}});
    c.Pen().SetColor(clGray);
    c.Polygon({{16 + 1, 3}, {16 + 6, 3}, {16 + 7, 5}, {16 + 14, 5}, {16 + 14, 13}, {16 + 1, 13}});
    bmp.SaveToFile(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_logo LOGO.jpg FOLDER.bmp\n");
        return 2;
    }
    WriteFolderGlyph(argv[2]);
    TBitmap bmp;
    bmp.SetSize(154, 69);
    TCanvas& c = bmp.Canvas();
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, 154, 69));

    // The seal: a red rounded square with a white 餐.
    c.Pen().SetColor(RGB(0xB0, 0x10, 0x18));
    c.Brush().SetColor(RGB(0xC8, 0x1E, 0x24));
    c.RoundRect(8, 10, 57, 59, 12, 12);
    c.Pen().SetColor(clWhite);
    c.Brush().SetStyle(bsClear);
    c.RoundRect(11, 13, 54, 56, 9, 9);
    c.Font().SetName("楷体_GB2312");
    c.Font().SetHeight(-36);
    c.Font().SetStyle(fsBold);
    c.Font().SetColor(clWhite);
    c.SetBkMode(TRANSPARENT);
    TRect seal = Rect(8, 10, 57, 59);
    c.DrawText("餐", seal, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    // The name and the line under it.
    c.Font().SetName("Tahoma");
    c.Font().SetHeight(-17);
    c.Font().SetStyle(fsBold);
    c.Font().SetColor(RGB(0x80, 0x00, 0x80));
    c.TextOut(105 - c.TextWidth("Menvaro") / 2, 13, "Menvaro");
    c.Pen().SetColor(RGB(0xC8, 0x1E, 0x24));
    c.MoveTo(64, 36);
    c.LineTo(146, 36);
    c.Font().SetName("黑体");
    c.Font().SetHeight(-14);
    c.Font().SetStyle(0);
    c.Font().SetColor(RGB(0x00, 0x00, 0x80));
    c.TextOut(105 - c.TextWidth("无线点餐") / 2, 41, "无线点餐");
    return WriteJpeg(bmp, argv[1]) ? 0 : 1;
}
