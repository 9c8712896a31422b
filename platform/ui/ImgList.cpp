#include "ui/ImgList.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "ui/GraphicsClasses.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent)
MENVARO_DEFINE_ENUM(TImageType, itImage, itMask)

TChangeLink::~TChangeLink() {
    if (sender_) sender_->UnRegisterChanges(this);
}

MENVARO_CLASS_INFO(TCustomImageList) {
    c.Prop("AllocBy", &TCustomImageList::AllocBy, &TCustomImageList::AllocBy).Default(4);
    c.Prop("BlendColor", &TCustomImageList::BlendColor, &TCustomImageList::SetBlendColor)
        .Idents(ColorIdents())
        .Default(clNone);
    c.Prop("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor).Idents(ColorIdents()).Default(clNone);
    c.Prop("DrawingStyle", &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle).Default(dsNormal);
    c.Prop("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16);
    c.Prop("ImageType", &TCustomImageList::ImageType, &TCustomImageList::SetImageType).Default(itImage);
    c.Prop("Masked", &TCustomImageList::Masked, &TCustomImageList::Masked).Default(true);
    c.Prop("ShareImages", &TCustomImageList::ShareImages, &TCustomImageList::ShareImages).Default(false);
    c.Prop("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16);
    c.Event("OnChange", &TCustomImageList::OnChange);
}

MENVARO_CLASS_INFO(TImageList) {}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner), images_(16, 16) {
    images_.OnChange = [this] { Change(); };
}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::BeforeDestruction() {
    for (TChangeLink* link : links_) link->sender_ = nullptr;
    links_.clear();
    images_.OnChange = nullptr;
    TComponent::BeforeDestruction();
}

void TCustomImageList::SetWidth(int v) {
    if (v > 0 && v != Width()) images_.SetSize(v, Height());
}

void TCustomImageList::SetHeight(int v) {
    if (v > 0 && v != Height()) images_.SetSize(Width(), v);
}

void TCustomImageList::SetBkColor(TColor c) { images_.SetBkColor(c); }
void TCustomImageList::SetBlendColor(TColor c) { images_.SetBlendColor(c); }
void TCustomImageList::SetDrawingStyle(TDrawingStyle s) { images_.SetDrawingStyle(s); }
void TCustomImageList::SetImageType(TImageType t) { images_.SetImageType(t); }

int TCustomImageList::Add(const TBitmap& image, const TBitmap* mask) { return images_.Add(image, mask); }

int TCustomImageList::AddMasked(const TBitmap& image, TColor maskColor) { return images_.AddMasked(image, maskColor); }

void TCustomImageList::Replace(int index, const TBitmap& image, const TBitmap* mask) {
    images_.Replace(index, image, mask);
}

void TCustomImageList::Delete(int index) { images_.Delete(index); }

void TCustomImageList::Clear() { images_.Clear(); }

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
    images_.Draw(canvas, x, y, index, enabled);
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (!link || link->sender_ == this) return;
    if (link->sender_) link->sender_->UnRegisterChanges(link);
    link->sender_ = this;
    links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) return;
    links_.erase(it);
    link->sender_ = nullptr;
}

void TCustomImageList::Change() {
    // A link may unregister (or a user free itself) while it hears of it.
    std::vector<TChangeLink*> links = links_;
    for (TChangeLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end() && link->OnChange) link->OnChange();
    if (OnChange) OnChange(this);
}

}  // namespace menvaro
