#include <gtest/gtest.h>

#include "classes/ClassBuilder.h"
#include "classes/FormReader.h"
#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "ui/ImgList.h"

namespace menvaro {
namespace {

// A component that shows the images of a list, as the edits and lists do.
class TImageUser : public TComponent {
    MENVARO_CLASS(TImageUser, TComponent)
public:
    using TComponent::TComponent;
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* list) {
        if (images_) images_->UnRegisterChanges(&link_);
        images_ = list;
        if (list) {
            list->RegisterChanges(&link_);
            list->FreeNotification(this);
        }
    }

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove && c == images_) images_ = nullptr;
    }

private:
    TCustomImageList* images_ = nullptr;
    TChangeLink link_;
};

MENVARO_CLASS_INFO(TImageUser) {}

TBitmap Strip(int images, int size) {
    TBitmap b(images * size, size);
    for (int i = 0; i < images; ++i) {
        b.Canvas().Brush().SetColor(i % 2 ? clRed : clBlue);
        b.Canvas().FillRect(Bounds(i * size, 0, size, size));
    }
    return b;
}

TEST(ImageListComponent, ItsUsersHearOfChangesAndOfItsGoing) {
    TOwned<TComponent> owner(Create<TComponent>(nullptr));
    auto* list = Create<TImageList>(owner.get());
    auto* user = Create<TImageUser>(owner.get());
    TOwned<TImageUser> stranger(Create<TImageUser>(nullptr));  // owned elsewhere
    list->SetWidth(8);
    list->SetHeight(8);
    user->SetImages(list);
    stranger->SetImages(list);
    int changes = 0;
    TChangeLink extra;
    extra.OnChange = [&] { ++changes; };
    list->RegisterChanges(&extra);
    EXPECT_EQ(extra.Sender(), list);
    EXPECT_EQ(list->Add(Strip(3, 8)), 0);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(changes, 1);
    TBitmap second;
    list->GetBitmap(1, second);
    EXPECT_EQ(second.Pixel(3, 3), ColorToRGB(clRed));
    // A new size empties the list.
    list->SetWidth(16);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(list->HandleAllocated());
    EXPECT_EQ(list->Handle()->Width(), 16);
    list->Free();
    EXPECT_EQ(user->Images(), nullptr);
    EXPECT_EQ(stranger->Images(), nullptr);
    EXPECT_EQ(extra.Sender(), nullptr);
}

TEST(ImageListComponent, AFormFileSetsItsProperties) {
    TOwned<TComponent> root(Create<TComponent>(nullptr));
    ReadComponentText(root.get(), R"(object Root: TComponent
  object il: TImageList
    BkColor = clWhite
    DrawingStyle = dsTransparent
    Height = 24
    Width = 32
  end
end)",
                      "il.form");
    auto* il = dynamic_cast<TImageList*>(root->FindComponent("il"));
    ASSERT_NE(il, nullptr);
    EXPECT_EQ(il->Width(), 32);
    EXPECT_EQ(il->Height(), 24);
    EXPECT_EQ(il->BkColor(), clWhite);
    EXPECT_EQ(il->DrawingStyle(), dsTransparent);
}

}  // namespace
}  // namespace menvaro
