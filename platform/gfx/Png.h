// PNG writing (screenshots of windows for tests and the demo).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Surface.h"

namespace menvaro {

class TStream;
class TBitmap;

// 8-bit RGB PNG of the surface's pixels. Raises EInvalidGraphic for an
// empty surface and EWriteError when the stream fails.
std::vector<std::uint8_t> EncodePNG(const TSurfaceView& view);
void SavePNG(const TSurfaceView& view, TStream& stream);
// Written to a temporary file beside `path`, then renamed over it.
void SavePNGFile(const TSurfaceView& view, const std::string& path);
void SavePNGFile(const TBitmap& bmp, const std::string& path);

}  // namespace menvaro
