// TCustomImageList / TImageList: an image list as a component, over the
// graphics layer's TImageListData (its handle, there from the start). The
// controls that show its images take a free notification from it (their
// reference is cleared when it goes) and hear of every change through a
// TChangeLink.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "classes/Classes.h"
#include "classes/Events.h"
#include "gfx/ImageList.h"

namespace menvaro {

MENVARO_DECLARE_ENUM(TDrawingStyle)
MENVARO_DECLARE_ENUM(TImageType)

class TCustomImageList;

// A user's ear on an image list: OnChange runs after each change. A link
// that goes unregisters itself; a list that goes leaves its links without
// a sender.
class TChangeLink {
public:
    TChangeLink() = default;
    ~TChangeLink();
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    TCustomImageList* Sender() const { return sender_; }
    std::function<void()> OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
    MENVARO_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;
    void BeforeDestruction() override;

    // A change of size clears the list.
    int Width() const { return images_.Width(); }
    void SetWidth(int v);
    int Height() const { return images_.Height(); }
    void SetHeight(int v);
    TColor BkColor() const { return images_.BkColor(); }
    void SetBkColor(TColor c);
    TColor BlendColor() const { return images_.BlendColor(); }
    void SetBlendColor(TColor c);
    TDrawingStyle DrawingStyle() const { return images_.DrawingStyle(); }
    void SetDrawingStyle(TDrawingStyle s);
    TImageType ImageType() const { return images_.ImageType(); }
    void SetImageType(TImageType t);
    // Kept for form files: every image here has a mask, and the list grows
    // as it needs.
    bool Masked = true;
    int AllocBy = 4;
    bool ShareImages = false;

    int Count() const { return images_.Count(); }
    int Add(const TBitmap& image, const TBitmap* mask = nullptr);
    int AddMasked(const TBitmap& image, TColor maskColor);
    void Replace(int index, const TBitmap& image, const TBitmap* mask = nullptr);
    void Delete(int index);
    void Clear();
    void GetBitmap(int index, TBitmap& out) const { images_.GetBitmap(index, out); }
    // Draws with DrawingStyle and ImageType (disabled: embossed).
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

    // The images themselves (ImageList_DrawEx draws from here).
    bool HandleAllocated() const { return true; }
    TImageListData* Handle() { return &images_; }
    const TImageListData* Handle() const { return &images_; }

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    TImageListData images_;
    std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
    MENVARO_CLASS(TImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;
};

}  // namespace menvaro
