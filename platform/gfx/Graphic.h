// The picture hierarchy: what a TPicture or TImage holds and a canvas draws.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Exceptions.h"
#include "gfx/Types.h"

namespace menvaro {

class TCanvas;
class TStream;

// A picture file or buffer that cannot be read.
MENVARO_EXCEPTION(EInvalidGraphic, Exception)

class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // Draws the picture into `rect` of the canvas, stretched when the sizes
    // differ; transparently when Transparent is set.
    virtual void Draw(TCanvas& canvas, const TRect& rect) const = 0;
    // Read and write the picture's own file format (BMP, JPEG, ...). A
    // damaged stream raises EInvalidGraphic and leaves the picture as it was.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
    virtual const char* ClassName() const = 0;
    // Lets this graphic copy itself into a graphic of another class (the
    // class library's AssignTo): a destination's Assign asks first and
    // copies its own way when the answer is false.
    virtual bool AssignTo(TGraphic& dest) const {
        (void)dest;
        return false;
    }

    void LoadFromFile(const std::string& path);
    // Written to a temporary file beside the target, then renamed over it.
    void SaveToFile(const std::string& path) const;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t);

    std::function<void()> OnChange;

protected:
    TGraphic() = default;
    TGraphic(const TGraphic& o) : transparent_(o.transparent_) {}
    TGraphic& operator=(const TGraphic& o) {
        transparent_ = o.transparent_;
        return *this;
    }
    // Fires OnChange; a graphic that tells others of its changes too
    // (change links) extends it.
    virtual void Changed();

private:
    bool transparent_ = false;
};

}  // namespace menvaro
