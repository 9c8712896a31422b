// The parts this library's own dialogs (message dialogs, the folder
// browser) are built from: a push button, a text and a one-line edit. The
// dialogs make them only through these functions, so that the parts can be
// exchanged for the standard controls without touching the dialogs.
#pragma once

#include <string>

#include "ui/Controls.h"
#include "ui/Forms.h"

namespace menvaro {

// A push button on `form` named `name`. Clicking it (or Space while it has
// the focus, Enter while it is the default one, Esc while it is the cancel
// one, its accelerator) sets the form's ModalResult to `result` when that is
// not mrNone, after OnClick.
TWinControl* MakeDialogButton(TCustomForm* form, const std::string& name, const std::string& caption,
                              TModalResult result, bool isDefault, bool isCancel);
// A text without accelerators, broken into lines at its width.
TControl* MakeDialogText(TCustomForm* form, const std::string& name, const std::string& text);

// A one-line edit for typed text; `onChange` runs after every change.
TWinControl* MakeDialogEdit(TCustomForm* form, const std::string& name, TNotifyEvent onChange = nullptr);

// The font the dialogs write in.
void SetDialogFont(TFont& font);

}  // namespace menvaro
