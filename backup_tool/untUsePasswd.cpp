#include "untUsePasswd.h"

#include "classes/ClassBuilder.h"

namespace storvik {

using namespace menvaro;

MENVARO_CLASS_INFO(TfrmUsePasswd) {
    MENVARO_PUBLISHED_FIELDS(uglpanelBg, uglpanelInfo, imgIsgn, lblName, MyCoolLabel1, MyCoolLabel2, edUser, edPasswd,
                             btnOk, btnCancel)
    MENVARO_PUBLISHED_METHODS(FormCreate)
}

void TfrmUsePasswd::FormCreate(TObject*) {
    // The texts kept in the form resource are not shown.
    edUser->SetText("");
    edPasswd->SetText("");
}

bool TfrmUsePasswd::Execute(std::string& User, std::string& Password) {
    TOwned<TfrmUsePasswd> dialog(Create<TfrmUsePasswd>(Application));
    if (dialog->ShowModal() != mrOk) return false;
    User = dialog->edUser->Text();
    Password = dialog->edPasswd->Text();
    return true;
}

}  // namespace storvik
