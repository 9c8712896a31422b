// The parts this library's own dialogs (message dialogs, the folder
// browser) are built from: the standard push button, label and edit, made
// as the dialogs want them.
#pragma once

#include <string>

#include "ui/Controls.h"
#include "ui/Forms.h"

namespace menvaro {

// A TButton on `form` named `name`, handing `result` to the form when
// clicked (Enter reaches it as the default button, Esc as the cancel one).
TWinControl* MakeDialogButton(TCustomForm* form, const std::string& name, const std::string& caption,
                              TModalResult result, bool isDefault, bool isCancel);
// A TLabel without accelerators, broken into lines at its width.
TControl* MakeDialogText(TCustomForm* form, const std::string& name, const std::string& text);

// A TEdit; `onChange` runs after every change of its text.
TWinControl* MakeDialogEdit(TCustomForm* form, const std::string& name, TNotifyEvent onChange = nullptr);

// The font the dialogs write in.
void SetDialogFont(TFont& font);

}  // namespace menvaro
