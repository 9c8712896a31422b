#include "untProgressBar.h"

#include <exception>

#include "classes/ClassBuilder.h"
#include "ui/JobWindow.h"
#include "untProgressBarForm.h"

namespace pelgrane {

using namespace menvaro;

namespace {

// The single instance, and the windows it disabled.
TJobWindowSlot<TfrmProgressBar> slot;

}  // namespace

MENVARO_CLASS_INFO(TfrmProgressBar) {
    MENVARO_PUBLISHED_FIELDS(Bevel1, lblStatus, ProgressBar, btnCancel)
    MENVARO_PUBLISHED_METHODS(FormCreate, FormActivate, FormClose, btnCancelClick)
}

void TfrmProgressBar::FormCreate(TObject*) {
    Animate = Create<TAnimate>(this);
    Animate->SetBounds(8, 4, 427, 45);
    Animate->SetParent(this);
    Animate->SetActive(false);
    Animate->SetAutoSize(false);
    Animate->SetCommonAVI(aviCopyFiles);
    Animate->SetStopFrame(34);
    Cancelled = false;
}

void TfrmProgressBar::FormActivate(TObject*) {
    // The job runs once, even when a box it shows activates the window again;
    // the window still closes when it raises, and the caller of
    // RunWithProgress gets the exception once it is gone.
    RunJobOnce(OnRun, this, JobError);
    PostMessage(Handle(), WM_CLOSE);
}

void TfrmProgressBar::FormClose(TObject*, TCloseAction&) { Cancelled = true; }

void TfrmProgressBar::btnCancelClick(TObject*) { Cancelled = true; }

bool ShowProgress() {
    HideProgress();
    return slot.Open("无法建立进度表.", [](TfrmProgressBar& window) {
        window.SetCaption("");
        window.lblStatus->SetCaption("");
        window.Animate->SetActive(true);
    });
}

void SetProgressCaption(const std::string& Text) {
    if (TfrmProgressBar* window = slot.Window()) {
        window->SetCaption(Text);
        Application->ProcessMessages();
    }
}

void RunWithProgress(TNotifyEvent Job) {
    if (TfrmProgressBar* window = slot.Window()) window->OnRun = Job;
    slot.Run(&TfrmProgressBar::JobError);
}

bool HideProgress() {
    return slot.Close([](TfrmProgressBar& window) { window.Animate->SetActive(false); });
}

TfrmProgressBar* ProgressWindow() { return slot.Window(); }

}  // namespace pelgrane
