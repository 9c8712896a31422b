// Every class of this library joins the registry before a form file is read,
// also when a program's code names none of them (a class met only in a form
// file would otherwise be left out by the linker).
#include "ui/Collections.h"
#include "ui/Controls.h"
#include "ui/DataModule.h"
#include "ui/DateTimePicker.h"
#include "ui/Forms.h"
#include "ui/PageControl.h"
#include "ui/Timers.h"

namespace menvaro {

void RegisterUiClasses() {
    static const bool done = [] {
        for (const TClassInfo* info : {&TObject::StaticClass(), &TPersistent::StaticClass(),
                                       &TComponent::StaticClass(), &TCollection::StaticClass(),
                                       &TCollectionItem::StaticClass(), &TOwnedCollection::StaticClass(),
                                       &TDataModule::StaticClass(), &TSizeConstraints::StaticClass(),
                                       &TControl::StaticClass(), &TWinControl::StaticClass(),
                                       &TGraphicControl::StaticClass(), &TCustomControl::StaticClass(),
                                       &TCustomForm::StaticClass(), &TForm::StaticClass(), &TScreen::StaticClass(),
                                       &TApplication::StaticClass(), &TTimer::StaticClass()})
            RegisterClass(*info);
        for (const TClassInfo* info : {&TPageControl::StaticClass(), &TTabSheet::StaticClass(),
                                       &TDateTimePicker::StaticClass()})
            RegisterClass(*info);
        return true;
    }();
    (void)done;
}

}  // namespace menvaro
