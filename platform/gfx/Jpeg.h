// TJPEGImage: a JPEG picture decoded with libjpeg. The original bytes are
// kept, so saving writes the file back unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/Bitmap.h"
#include "gfx/Graphic.h"

namespace menvaro {

class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;
    TJPEGImage(const TJPEGImage& o);
    TJPEGImage& operator=(const TJPEGImage& o);

    int Width() const override { return bitmap_.Width(); }
    int Height() const override { return bitmap_.Height(); }
    bool Empty() const override { return bitmap_.Empty(); }
    void Draw(TCanvas& canvas, const TRect& rect) const override;
    // Decodes baseline and progressive JPEG (grey, YCbCr, CMYK) from the
    // rest of the stream (hand it a stream of the picture alone). A damaged
    // or oversized file (above 32767 a side or 2^26 pixels) raises
    // EInvalidGraphic and leaves the picture as it was.
    void LoadFromStream(TStream& stream) override;
    void LoadFromMemory(const void* data, std::size_t size);
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }
    const char* ClassName() const override { return "TJPEGImage"; }

    // The decoded pixels.
    const TBitmap& Bitmap() const { return bitmap_; }
    bool Grayscale() const { return grayscale_; }

private:
    std::vector<std::uint8_t> data_;
    TBitmap bitmap_;
    bool grayscale_ = false;
};

}  // namespace menvaro
