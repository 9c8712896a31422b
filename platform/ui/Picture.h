// TPicture: the picture a TImage shows, holding a BMP (TBitmap) or a JPEG
// (TJPEGImage) graphic, streamed in form files as "Picture.Data = { hex }".
//
// The data of Picture.Data, byte for byte:
//   1 byte       n, the length of the graphic's class name (0: no picture,
//                and nothing follows)
//   n bytes      the class name in ASCII: "TBitmap" or "TJPEGImage"
//   4 bytes      the length L of the file image, little-endian
//   L bytes      the file image: a BMP file (starting "BM") or a JPEG file
//                (starting FF D8)
// PictureData.cmake turns a .jpg or .bmp file into that form text.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "classes/Classes.h"
#include "gfx/Bitmap.h"
#include "gfx/Graphic.h"

namespace menvaro {

class TStream;

class TPicture : public TPersistent {
    MENVARO_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    // nullptr when there is no picture.
    TGraphic* Graphic() const { return graphic_.get(); }
    // Copies `g` (nullptr empties the picture).
    void SetGraphic(const TGraphic* g);
    void SetGraphic(std::unique_ptr<TGraphic> g);
    // The picture as a bitmap; any other graphic is replaced by an empty one.
    TBitmap* Bitmap();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    bool Empty() const { return !graphic_ || graphic_->Empty(); }

    // By the file's extension: .bmp, .jpg, .jpeg (letter case ignored).
    // Raises EInvalidGraphic for another extension or a damaged file, and
    // leaves the picture as it was.
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

    // Picture.Data of a graphic (nullptr: no picture) and back.
    static std::string Data(const TGraphic* g);
    static std::unique_ptr<TGraphic> ReadData(TStream& stream);

    std::function<void()> OnChange;

private:
    void Changed();
    void Hook();
    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace menvaro
