#include "ui/Clipboard.h"

#include "gfx/Bitmap.h"
#include "ui/WindowManager.h"

namespace menvaro {

std::string TClipboard::AsText() const { return GetClipboardText(); }

void TClipboard::SetAsText(const std::string& text) {
    picture_.reset();
    SetClipboardText(text);
}

void TClipboard::Assign(const TBitmap& picture) {
    auto copy = std::make_shared<const TBitmap>(picture);
    SetClipboardText(std::string());
    picture_ = std::move(copy);
}

bool TClipboard::GetPicture(TBitmap& out) const {
    if (!picture_) return false;
    out = *picture_;
    return true;
}

TClipboard& Clipboard() {
    static TClipboard clipboard;
    return clipboard;
}

}  // namespace menvaro
