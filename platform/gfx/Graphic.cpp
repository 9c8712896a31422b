#include "gfx/Graphic.h"

#include <cstdio>
#include <unistd.h>

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
    const std::string tmp = path + ".tmp" + std::to_string(::getpid());
    try {
        {
            TFileStream f(tmp, fmCreate);
            SaveToStream(f);
        }
        if (std::rename(tmp.c_str(), path.c_str()) != 0) RaiseLastOSError("cannot replace " + path);
    } catch (...) {
        std::remove(tmp.c_str());
        throw;
    }
}

}  // namespace menvaro
