// The busy window's form class (see untProgressBar.h for its use).
#pragma once

#include <exception>

#include "ui/Animate.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/ProgressBar.h"
#include "ui/StdCtrls.h"

namespace pelgrane {

class TfrmProgressBar : public menvaro::TForm {
    MENVARO_CLASS(TfrmProgressBar, menvaro::TForm)
public:
    using TForm::TForm;

    menvaro::TBevel* Bevel1 = nullptr;
    menvaro::TLabel* lblStatus = nullptr;
    menvaro::TProgressBar* ProgressBar = nullptr;
    menvaro::TButton* btnCancel = nullptr;

    // Made at run time by FormCreate.
    menvaro::TAnimate* Animate = nullptr;
    // The job, run once by FormActivate.
    menvaro::TNotifyEvent OnRun;
    // Set on closing and by the cancel button; nothing reads it.
    bool Cancelled = false;
    // What the job raised, for RunWithProgress to raise again.
    std::exception_ptr JobError;

    void FormCreate(menvaro::TObject* Sender);
    void FormActivate(menvaro::TObject* Sender);
    void FormClose(menvaro::TObject* Sender, menvaro::TCloseAction& Action);
    void btnCancelClick(menvaro::TObject* Sender);
};

// The window while it exists (for tests), or null.
TfrmProgressBar* ProgressWindow();

}  // namespace pelgrane
