// The form of the decorated controls as the backup tool's windows use them
// (forms/CoolControls.form): a glass panel with a stretched wallpaper and a
// white title panel with the extruded title label, cool labels, and two
// pages with a cool group box each, the second one see-through to the
// wallpaper, each with two of the tool's round shaped buttons.
#pragma once

#include <string>
#include <vector>

#include "decorated/MyCoolGroupBox.h"
#include "decorated/MyCoolLabel.h"
#include "decorated/UGlassPanel.h"
#include "decorated/fxLabel.h"
#include "decorated/fxShapeBtn.h"
#include "ui/Forms.h"
#include "ui/PageControl.h"

namespace menvaro {

class TCoolControlsForm : public TForm {
    MENVARO_CLASS(TCoolControlsForm, TForm)
public:
    using TForm::TForm;
    TUGlassPanel* uglpanelBg = nullptr;
    TUGlassPanel* uglpanelInfo = nullptr;
    TMyCoolLabel* MyCoolLabel1 = nullptr;
    TMyCoolLabel* MyCoolLabel2 = nullptr;
    TMyCoolLabel* lblInfo = nullptr;
    TMyCoolLabel* lblGlyph = nullptr;
    TPageControl* pgTooltype = nullptr;
    TTabSheet* TabSheet4 = nullptr;
    TTabSheet* TabSheet5 = nullptr;
    TMyCoolGroupBox* MyCoolGroupBox4 = nullptr;
    TMyCoolGroupBox* MyCoolGroupBox5 = nullptr;
    TMyCoolLabel* lblBackupDate = nullptr;
    TMyCoolLabel* MyCoolLabel4 = nullptr;
    TMyCoolLabel* lblResumeDate = nullptr;
    TMyCoolLabel* MyCoolLabel3 = nullptr;
    TfxLabel* lblName = nullptr;
    TfxShapeBtn* fxbtnBackup = nullptr;
    TfxShapeBtn* fxSbtnClose1 = nullptr;
    TfxShapeBtn* fxbtnResume = nullptr;
    TfxShapeBtn* fxSbtnClose2 = nullptr;

    // The names of the buttons clicked, in order.
    std::vector<std::string> clicked;
    void fxbtnBackupClick(TObject* sender) { Clicked(sender); }
    void fxbtnResumeClick(TObject* sender) { Clicked(sender); }
    void fxSbtnClose1Click(TObject* sender) { Clicked(sender); }

private:
    void Clicked(TObject* sender);
};

}  // namespace menvaro
