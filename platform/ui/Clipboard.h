// The clipboard's text, through the backend (the desktop's clipboard under
// sdl, one kept in memory headless).
#pragma once

#include <string>

namespace menvaro {

class TClipboard {
public:
    std::string AsText() const;
    void SetAsText(const std::string& text);
    bool HasText() const { return !AsText().empty(); }
    void Clear() { SetAsText(std::string()); }
};

TClipboard& Clipboard();

}  // namespace menvaro
