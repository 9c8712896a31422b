// The gallery of the decorated controls (forms/Gallery.form): one page of
// its page control a group of controls, each shown in its states. The
// captions page holds decorated labels in every style of the caption
// engine, with the backup tool's title label; the buttons page holds bit
// buttons (with a plain face of the gallery's own, since the base draws
// none) up, latched, disabled, of the stock kinds, focused and hot. Run
// under a UI script by GalleryTest, which looks at its screenshots.
//
// A new group of controls: a TTabSheet in the form file, its fields here,
// and the lines of gallery.script that use it and take its screenshot.
#include <string>

#include "classes/ClassBuilder.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxButton.h"
#include "decorated/fxLabel.h"
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
    int clicks = 0;

    void ButtonClick(TObject* sender) {
        auto* c = dynamic_cast<TComponent*>(sender);
        lblClicked->SetCaption(std::to_string(++clicks) + " " + (c ? c->Name() : std::string()));
    }
};

MENVARO_CLASS_INFO(TDecoratedGallery){MENVARO_PUBLISHED_FIELDS(pgGroups, lblName, edName, lblClicked)
                                          MENVARO_PUBLISHED_METHODS(ButtonClick)}

TDecoratedGallery* Gallery = nullptr;

int main() {
    Application->Initialize();
    Application->SetTitle("Decorated gallery");
    Application->CreateForm(Gallery);
    Application->Run();
    return Application->ExitCode;
}
