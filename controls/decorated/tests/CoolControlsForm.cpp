#include "CoolControlsForm.h"

#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_CLASS_INFO(TCoolControlsForm) {
    MENVARO_PUBLISHED_FIELDS(uglpanelBg, uglpanelInfo, MyCoolLabel1, MyCoolLabel2, lblInfo, lblGlyph, pgTooltype,
                             TabSheet4, TabSheet5, MyCoolGroupBox4, MyCoolGroupBox5, lblBackupDate, MyCoolLabel4,
                             lblResumeDate, MyCoolLabel3, lblName, fxbtnBackup, fxSbtnClose1, fxbtnResume, fxSbtnClose2)
    MENVARO_PUBLISHED_METHODS(fxbtnBackupClick, fxbtnResumeClick, fxSbtnClose1Click)
}

void TCoolControlsForm::Clicked(TObject* sender) {
    if (auto* c = dynamic_cast<TComponent*>(sender)) clicked.push_back(c->Name());
}

}  // namespace menvaro
