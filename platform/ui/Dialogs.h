// Message dialogs and the message box.
//
// CreateMessageDialog makes the class library's message dialog: an icon of
// the dialog type (component "Image"), the text (component "Message", a
// control whose Caption is the text) and one button for each kind asked
// for, named after the kind ("Yes", "No", "OK", "Cancel", "Abort", "Retry",
// "Ignore", "All", "NoToAll", "YesToAll", "Help"), found with FindComponent
// and given new captions as any control. The dialog is sized to its text
// and never exceeds the work area: the text breaks into lines no wider than
// half of it (a word wider than a line between characters), a text taller
// than the work area is cut after a whole line with "…(还有N行没有显示)"
// (N lines left out), and the buttons stay below it. It is shown at the
// centre of the screen, inside the work area; ShowModal answers the modal result
// of the button pressed (the Help button closes nothing). The caller frees
// the dialog.
//
// MessageBox is the system's message box: the MB_* flags choose the buttons
// (with the system's Chinese captions), the icon, the default button and
// whether it stays on top; it answers IDOK, IDCANCEL, IDYES, ...
//
// A UI script answers either with "click OK" (or any button's name), or
// with "press enter" / "press esc"; "expect Message text ..." reads the text.
#pragma once

#include <string>

#include "ui/Forms.h"

namespace menvaro {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
MENVARO_DECLARE_ENUM(TMsgDlgType)
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
MENVARO_DECLARE_ENUM(TMsgDlgBtn)
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The component name of a button kind: "Yes", "NoToAll", ...
const char* MsgDlgButtonName(TMsgDlgBtn kind);
// The modal result a button kind closes with (mbHelp: mrNone).
TModalResult MsgDlgButtonResult(TMsgDlgBtn kind);

class TMessageForm : public TForm {
    MENVARO_CLASS(TMessageForm, TForm)
public:
    explicit TMessageForm(TComponent* owner);
    // Kept for the Help button; this system has no help viewer.
    std::string HelpFile;

protected:
    bool CloseQuery() override;
    void DoShow() override;

private:
    friend struct TMessageFormBuilder;
    bool closable_ = true;  // the desktop's close button may end it
};

// The dialog, owned by the application. The default button is OK, else
// Yes, else Retry; Esc presses Cancel, else No, else OK.
TMessageForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons);
// The same with the default button chosen.
TMessageForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                                  TMsgDlgBtn defaultButton);

// Creates, shows, frees; answers the modal result.
int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);

// The system's message box over `owner` (0: none); an empty caption is the
// application's title.
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The icon of a dialog type, 32 x 32 pixels with its top-left corner at
// (x, y); mtCustom draws nothing.
void DrawMessageIcon(TCanvas& canvas, int x, int y, TMsgDlgType type);

}  // namespace menvaro
