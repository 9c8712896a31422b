// The gallery of the decorated controls (forms/Gallery.form): one page of
// its page control a group of controls, each shown in its states. The
// captions page holds decorated labels in every style of the caption
// engine, with the backup tool's title label; the buttons page holds bit
// buttons (with a plain face of the gallery's own, since the base draws
// none) up, latched, disabled, of the stock kinds, focused and hot; the
// shapes page every shape of the shaped button in every orientation, its
// shading styles, a latched, a default and a red one, and imagers and image
// buttons (made here: they publish nothing); the tool page the backup
// tool's main window: glass panels, the title, cool group boxes and labels
// on two pages, and its four round buttons. Run under a UI script by
// GalleryTest, which looks at its screenshots.
//
// A new group of controls: a TTabSheet in the form file, its fields here,
// and the lines of gallery.script that use it and take its screenshot.
#include <string>

#include "classes/ClassBuilder.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxButton.h"
#include "decorated/fxImager.h"
#include "decorated/fxImgBtn.h"
#include "decorated/fxLabel.h"
#include "decorated/fxShapeBtn.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/PageControl.h"
#include "ui/StdCtrls.h"

using namespace menvaro;

// A bit button with a face to show: raised while up, sunken while down, a
// dark rim on the default and the focused one, and a flat one framed only
// while the mouse is over it.
class TGalleryBtn : public TfxCustomBitBtn {
    MENVARO_CLASS(TGalleryBtn, TfxCustomBitBtn)
public:
    using TfxCustomBitBtn::TfxCustomBitBtn;

protected:
    void DrawFace(TfxBitmap& bitmap, bool, TfxShadeStyle shadeStyle, bool down) override {
        bitmap.SetSize(Width(), Height());
        if (bitmap.Empty()) return;
        TCanvas& c = bitmap.Canvas();
        TRect r{0, 0, Width(), Height()};
        c.Brush().SetColor(Color());
        c.FillRect(r);
        const TfxShadeColors& s = *ShadeColors();
        if (shadeStyle == fbsFlat) {
            if (down || IsMouseInControl(-1, -1, false)) c.Frame3D(r, s.BtnShadow(), s.BtnShadow(), 1);
            return;
        }
        // The default button and the focused one have a dark rim.
        if (Default() || Focused()) c.Frame3D(r, s.BtnBlack(), s.BtnBlack(), 1);
        if (down) {
            c.Frame3D(r, s.BtnBlack(), s.BtnHighlight(), 1);
            c.Frame3D(r, s.BtnShadow(), s.Btn3DLight(), 1);
        } else {
            c.Frame3D(r, s.BtnHighlight(), s.BtnBlack(), 1);
            c.Frame3D(r, s.Btn3DLight(), s.BtnShadow(), 1);
        }
    }
};

MENVARO_CLASS_INFO(TGalleryBtn) {}

class TDecoratedGallery : public TForm {
    MENVARO_CLASS(TDecoratedGallery, TForm)
public:
    using TForm::TForm;
    TPageControl* pgGroups = nullptr;
    TfxLabel* lblName = nullptr;
    TEdit* edName = nullptr;
    TLabel* lblClicked = nullptr;
    TTabSheet* tsShapes = nullptr;
    int clicks = 0;

    void ButtonClick(TObject* sender) {
        auto* c = dynamic_cast<TComponent*>(sender);
        lblClicked->SetCaption(std::to_string(++clicks) + " " + (c ? c->Name() : std::string()));
    }

    // The imagers and the image buttons of the shapes page.
    void FormCreate(TObject*) {
        // A yellow disc with a navy square in it, on the key colour.
        TBitmap picture(64, 48);
        TCanvas& c = picture.Canvas();
        c.Brush().SetColor(clFuchsia);
        c.FillRect({0, 0, 64, 48});
        c.Brush().SetColor(clYellow);
        c.Pen().SetColor(clMaroon);
        c.Ellipse(4, 2, 60, 46);
        c.Brush().SetColor(clNavy);
        c.FillRect({24, 16, 40, 32});
        auto* source = Imager("imgSource", 4, 258, 64, 48, picture);
        // The same picture through effects, stretched.
        auto* effects = Imager("imgEffects", 72, 250, 96, 64, picture);
        effects->BitmapOptions()->SetHorizontallyFlipped(true);
        effects->BitmapOptions()->SetTintColor(RGB(0, 0, 160));
        effects->WorkBitmap()->SetSmooth(true);
        effects->SetDrawStyle(idsStretch);
        effects->SetPreProcess(false);
        auto* highlight = ImageButton("ibtnHighlight", 184, 258, 64, 48, source);
        highlight->SetShadeStyle(fbsHighlight);
        auto* raised = ImageButton("ibtnRaised", 256, 256, 66, 50, source);
        raised->SetShadeStyle(fbsRaised);
        // Latched without a down image of its own: dithered.
        auto* latched = ImageButton("ibtnLatched", 330, 258, 64, 48, source);
        latched->SetExtImageDown(nullptr);
        latched->SetDitherColor(clYellow);
        latched->SetGroupIndex(6);
        latched->SetDown(true);
        // Its own image, tinted.
        auto* tinted = ImageButton("ibtnTinted", 402, 258, 64, 48, nullptr);
        tinted->Image()->Assign(&picture);
        tinted->SetColor(RGB(255, 160, 100));
        tinted->SetShadeStyle(fbsHighlight);
    }

private:
    TfxCustomImager* Imager(const char* name, int left, int top, int width, int height, const TBitmap& picture) {
        auto* imager = Create<TfxCustomImager>(this);
        imager->SetName(name);
        imager->SetParent(tsShapes);
        imager->SetBounds(left, top, width, height);
        imager->Picture()->SetGraphic(&picture);
        return imager;
    }
    TfxCustomImageBtn* ImageButton(const char* name, int left, int top, int width, int height, TControl* source) {
        auto* b = Create<TfxCustomImageBtn>(this);
        b->SetName(name);
        b->SetCaption("");
        b->SetParent(tsShapes);
        b->SetBounds(left, top, width, height);
        if (source) {
            b->SetExtImage(source);
            b->SetExtImageDown(source);
        }
        b->OnClick = [this](TObject* sender) { ButtonClick(sender); };
        return b;
    }
};

MENVARO_CLASS_INFO(TDecoratedGallery){MENVARO_PUBLISHED_FIELDS(pgGroups, lblName, edName, lblClicked, tsShapes)
                                          MENVARO_PUBLISHED_METHODS(ButtonClick, FormCreate)}

TDecoratedGallery* Gallery = nullptr;

int main() {
    Application->Initialize();
    Application->SetTitle("Decorated gallery");
    Application->CreateForm(Gallery);
    Application->Run();
    return Application->ExitCode;
}
