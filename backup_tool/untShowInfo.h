// The wait window the backup tool shows while the database is backed up or
// restored: a title, a message and the copy-files animation. The job runs on
// the main thread inside the window's activation; the window closes itself
// when the job returns. At most one exists at a time.
#pragma once

#include <exception>
#include <string>

#include "classes/Events.h"
#include "decorated/MyCoolLabel.h"
#include "decorated/UGlassPanel.h"
#include "decorated/fxLabel.h"
#include "ui/Animate.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"

namespace storvik {

class TfrmShowInfo : public menvaro::TForm {
    MENVARO_CLASS(TfrmShowInfo, menvaro::TForm)
public:
    using TForm::TForm;

    menvaro::TUGlassPanel* uglpanelBg = nullptr;
    menvaro::TUGlassPanel* uglpanelInfo = nullptr;
    menvaro::TImage* imgIsgn = nullptr;
    menvaro::TfxLabel* lblName = nullptr;
    menvaro::TMyCoolLabel* lblInfo = nullptr;

    // Made by FormCreate, just below the title panel.
    menvaro::TAnimate* Animate = nullptr;
    // The job, run once by FormActivate.
    menvaro::TNotifyEvent Job;
    // Set when the window closes.
    bool Closed = false;
    // What the job raised, for ShowInfoRun to raise again once the window is down.
    std::exception_ptr JobError;

    void FormCreate(menvaro::TObject* Sender);
    void FormActivate(menvaro::TObject* Sender);
    void FormClose(menvaro::TObject* Sender, menvaro::TCloseAction& Action);
};

// Creates and prepares the window with `Msg` (a leftover one goes first)
// and disables the program's other windows. False, after the message box
// "无法建立进度表.", when it cannot be made.
bool ShowInfoOpen(const std::string& Msg);
// Runs `Job` inside the window, shown modally; returns once it has closed.
// A job that raises still closes the window; its exception then reaches
// the caller.
void ShowInfoRun(menvaro::TNotifyEvent Job);
// Destroys the window and enables the other windows again. False when there
// was none (or its clean-up raised).
bool ShowInfoClose();
// The window's Closed flag; false when there is no window.
bool ShowInfoClosed();

// The window while it exists (for tests), or null.
TfrmShowInfo* ShowInfoWindow();

}  // namespace storvik
