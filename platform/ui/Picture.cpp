#include "ui/Picture.h"

#include "base/Files.h"
#include "base/Streams.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "gfx/Bmp.h"
#include "gfx/Jpeg.h"

namespace menvaro {

MENVARO_CLASS_INFO(TPicture) {}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
    if (OnChange) OnChange();
}

void TPicture::Hook() {
    if (graphic_) graphic_->OnChange = [this] { Changed(); };
}

void TPicture::SetGraphic(const TGraphic* g) { SetGraphic(g ? g->Clone() : nullptr); }

void TPicture::SetGraphic(std::unique_ptr<TGraphic> g) {
    if (!g && !graphic_) return;
    graphic_ = std::move(g);
    Hook();
    Changed();
}

TBitmap* TPicture::Bitmap() {
    if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
    SetGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::LoadFromFile(const std::string& path) {
    std::string ext = LowerCase(ExtractFileExt(path));
    std::unique_ptr<TGraphic> g;
    if (ext == ".bmp")
        g = std::make_unique<TBitmap>();
    else if (ext == ".jpg" || ext == ".jpeg")
        g = std::make_unique<TJPEGImage>();
    else
        throw EInvalidGraphic("Unknown picture file extension (" + ext + "): " + path);
    g->LoadFromFile(path);
    SetGraphic(std::move(g));
}

void TPicture::SaveToFile(const std::string& path) const {
    if (graphic_) graphic_->SaveToFile(path);
}

void TPicture::Assign(const TPersistent* source) {
    if (!source) {
        SetGraphic(static_cast<const TGraphic*>(nullptr));
        return;
    }
    if (auto* p = dynamic_cast<const TPicture*>(source)) {
        if (p != this) SetGraphic(p->Graphic());
        return;
    }
    TPersistent::Assign(source);
}

std::string TPicture::Data(const TGraphic* g) {
    std::string out;
    if (!g || g->Empty()) {
        out.push_back('\0');
        return out;
    }
    std::string name = g->ClassName();
    TMemoryStream image;
    g->SaveToStream(image);
    auto n = static_cast<std::uint32_t>(image.Size());
    out.push_back(static_cast<char>(name.size()));
    out += name;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    out += image.Bytes();
    return out;
}

std::unique_ptr<TGraphic> TPicture::ReadData(TStream& s) {
    std::uint8_t n = 0;
    s.ReadBuffer(&n, 1);
    if (n == 0) return nullptr;
    std::string name(n, '\0');
    s.ReadBuffer(name.data(), n);
    std::unique_ptr<TGraphic> g;
    if (name == "TBitmap")
        g = std::make_unique<TBitmap>();
    else if (name == "TJPEGImage")
        g = std::make_unique<TJPEGImage>();
    else
        throw EReadError("picture data: unknown picture class '" + name + "'");
    std::uint8_t len[4];
    s.ReadBuffer(len, 4);
    std::uint32_t size = len[0] | (len[1] << 8) | (len[2] << 16) | (std::uint32_t(len[3]) << 24);
    std::int64_t left = s.Size() - s.Position();
    if (size != left)
        throw EReadError("picture data: the length says " + std::to_string(size) + " bytes, " + std::to_string(left) +
                         " follow");
    std::string bytes(size, '\0');
    s.ReadBuffer(bytes.data(), size);
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(g.get())) {
        jpeg->LoadFromMemory(bytes.data(), bytes.size());
    } else {
        auto* bmp = static_cast<TBitmap*>(g.get());
        ReadBmp(bytes.data(), bytes.size(), *bmp);
    }
    return g;
}

void TPicture::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { SetGraphic(ReadData(s)); },
        [this](TStream& s) {
            std::string d = Data(graphic_.get());
            s.WriteBuffer(d.data(), d.size());
        },
        !Empty());
}

}  // namespace menvaro
