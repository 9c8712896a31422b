#include "gfx/Graphic.h"

#include "base/Files.h"
#include "base/Streams.h"

namespace menvaro {

void TGraphic::Changed() {
    if (OnChange) OnChange();
}

void TGraphic::SetTransparent(bool t) {
    if (t == transparent_) return;
    transparent_ = t;
    Changed();
}

void TGraphic::LoadFromFile(const std::string& path) {
    TFileStream f(path, fmOpenRead);
    LoadFromStream(f);
}

void TGraphic::SaveToFile(const std::string& path) const {
    TMemoryStream m;
    SaveToStream(m);
    WriteFileAtomic(path, std::string_view(reinterpret_cast<const char*>(m.Memory()), std::size_t(m.Size())));
}

}  // namespace menvaro
