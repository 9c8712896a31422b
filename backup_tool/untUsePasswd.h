// The login dialog the backup tool shows at start-up: a user name and a
// password, handed back as typed; the dialog checks nothing itself.
#pragma once

#include <string>

#include "decorated/MyCoolLabel.h"
#include "decorated/UGlassPanel.h"
#include "decorated/fxLabel.h"
#include "ui/Buttons.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace storvik {

class TfrmUsePasswd : public menvaro::TForm {
    MENVARO_CLASS(TfrmUsePasswd, menvaro::TForm)
public:
    using TForm::TForm;

    menvaro::TUGlassPanel* uglpanelBg = nullptr;
    menvaro::TUGlassPanel* uglpanelInfo = nullptr;
    menvaro::TImage* imgIsgn = nullptr;
    menvaro::TfxLabel* lblName = nullptr;
    menvaro::TMyCoolLabel* MyCoolLabel1 = nullptr;
    menvaro::TMyCoolLabel* MyCoolLabel2 = nullptr;
    menvaro::TEdit* edUser = nullptr;
    menvaro::TEdit* edPasswd = nullptr;
    menvaro::TBitBtn* btnOk = nullptr;
    menvaro::TBitBtn* btnCancel = nullptr;

    void FormCreate(menvaro::TObject* Sender);

    // Shows the dialog modally. OK copies the two texts into User and
    // Password and answers true; anything else answers false and leaves
    // both as they were.
    static bool Execute(std::string& User, std::string& Password);
};

}  // namespace storvik
