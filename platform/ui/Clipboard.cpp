#include "ui/Clipboard.h"

#include "ui/WindowManager.h"

namespace menvaro {

std::string TClipboard::AsText() const { return GetClipboardText(); }

void TClipboard::SetAsText(const std::string& text) { SetClipboardText(text); }

TClipboard& Clipboard() {
    static TClipboard clipboard;
    return clipboard;
}

}  // namespace menvaro
