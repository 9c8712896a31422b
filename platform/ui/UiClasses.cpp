// Every class of this library joins the registry before a form file is read,
// also when a program's code names none of them (a class met only in a form
// file would otherwise be left out by the linker).
#include "ui/Animate.h"
#include "ui/Buttons.h"
#include "ui/Collections.h"
#include "ui/Controls.h"
#include "ui/DataModule.h"
#include "ui/DateTimePicker.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/PageControl.h"
#include "ui/ProgressBar.h"
#include "ui/StdCtrls.h"
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
        // The labels, buttons, edits, panels, pictures, progress bars and animations.
        for (const TClassInfo* info :
             {&TPicture::StaticClass(), &TCustomLabel::StaticClass(), &TLabel::StaticClass(),
              &TButtonControl::StaticClass(), &TButton::StaticClass(), &TCustomEdit::StaticClass(),
              &TEdit::StaticClass(), &TSpeedButton::StaticClass(), &TBitBtn::StaticClass(),
              &TCustomPanel::StaticClass(), &TPanel::StaticClass(), &TBevel::StaticClass(), &TImage::StaticClass(),
              &TProgressBar::StaticClass(), &TAnimate::StaticClass()})
            RegisterClass(*info);
        return true;
    }();
    (void)done;
}

}  // namespace menvaro
