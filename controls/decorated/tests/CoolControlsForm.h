// The form of the cool controls as the backup tool's windows use them
// (forms/CoolControls.form): a glass panel with a stretched wallpaper and a
// white title panel, cool labels, and two pages with a cool group box each,
// the second one see-through to the wallpaper.
#pragma once

#include "decorated/MyCoolGroupBox.h"
#include "decorated/MyCoolLabel.h"
#include "decorated/UGlassPanel.h"
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
};

}  // namespace menvaro
