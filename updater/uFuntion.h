// Small services of the updater: the database connection string, and modal
// message boxes with Chinese captions and buttons.
#pragma once

#include <string>

#include "ui/Dialogs.h"

namespace pelgrane {

using menvaro::TMessageForm;
using menvaro::TMsgDlgButtons;
using menvaro::TMsgDlgType;

// Composes the connection string for the product database, in one of three
// forms: integrated security; user and password; user without password.
// A value holding ";" or "=", or starting or ending with a blank or a quote,
// is put in double quotes (inner double quotes doubled), so that it cannot
// change the meaning of the string; other values stand as they are.
void BuildConnectionString(const std::string& Server, const std::string& Database, const std::string& User,
                           std::u16string& Result, bool Integrated, const std::string& Password);

// The quoting rule above, for one value.
std::string QuoteConnectionValue(const std::string& Value);

// A modal box with one "确定" button; `Kind` picks icon and caption:
// 0 warning "警告", 1 error "错误", 2 information "信息", 3 confirmation
// "确认", 4 no icon "提示".
void ShowMsg(const std::string& Text, unsigned char Kind);

// The standard message dialog with Chinese button captions and the given
// caption, at the centre of the screen; answers its modal result.
int ShowMessageDialog(const std::string& Text, const std::string& Caption, TMsgDlgType DlgType,
                      const std::string& HelpFile, int HelpContext, TMsgDlgButtons Buttons);

// Gives the dialog's buttons of the kinds in `Buttons` their Chinese
// captions (OK, Yes, No, Cancel); the others keep theirs.
void LocalizeDialogButtons(TMessageForm* Dialog, TMsgDlgButtons Buttons);

}  // namespace pelgrane
