#include "decorated/fxChangeLink.h"

#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_CLASS_INFO(TfxChangeLink) {}

void TfxChangeLink::Change() {
    if (OnChange) OnChange(Sender);
}

void TfxChangeLink::Changing() {
    if (OnChanging) OnChanging(Sender);
}

void TfxChangeLink::Loaded() {
    if (OnLoaded) OnLoaded(Sender);
}

}  // namespace menvaro
