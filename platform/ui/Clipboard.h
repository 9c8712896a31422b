// The clipboard's text, through the backend (the desktop's clipboard under
// sdl, one kept in memory headless), and a picture, which the program keeps
// itself (the desktop's clipboard takes text only here). Either replaces
// the other, as one piece of content.
#pragma once

#include <memory>
#include <string>

namespace menvaro {

class TBitmap;

class TClipboard {
public:
    std::string AsText() const;
    void SetAsText(const std::string& text);
    bool HasText() const { return !AsText().empty(); }
    void Clear() { SetAsText(std::string()); }
    // A copy of the picture; the text is emptied.
    void Assign(const TBitmap& picture);
    bool HasPicture() const { return picture_ != nullptr; }
    // False, leaving `out` alone, when there is no picture.
    bool GetPicture(TBitmap& out) const;

private:
    std::shared_ptr<const TBitmap> picture_;
};

TClipboard& Clipboard();

}  // namespace menvaro
