#include "CoolControlsForm.h"

#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_CLASS_INFO(TCoolControlsForm) {
    MENVARO_PUBLISHED_FIELDS(uglpanelBg, uglpanelInfo, MyCoolLabel1, MyCoolLabel2, lblInfo, lblGlyph, pgTooltype,
                             TabSheet4, TabSheet5, MyCoolGroupBox4, MyCoolGroupBox5, lblBackupDate, MyCoolLabel4,
                             lblResumeDate, MyCoolLabel3)
}

}  // namespace menvaro
