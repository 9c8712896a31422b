#include "untProgressBar.h"

#include <exception>

#include "classes/ClassBuilder.h"
#include "ui/WindowManager.h"
#include "untProgressBarForm.h"

namespace pelgrane {

using namespace menvaro;

namespace {

// The single instance, and the windows it disabled.
TfrmProgressBar* instance = nullptr;
TTaskWindowList disabledWindows;

// Frees a window still there when the program ends.
struct Finalization {
    ~Finalization() {
        if (instance) instance->Free();
        instance = nullptr;
    }
} finalization;

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
    // The job runs once, even when a box it shows activates the window again.
    if (OnRun && !running_) {
        running_ = true;
        TNotifyEvent job = OnRun;
        OnRun = nullptr;
        try {
            job(this);
        } catch (...) {
            // The window still closes; the caller of RunWithProgress gets the
            // exception once it is gone.
            JobError = std::current_exception();
        }
        running_ = false;
    }
    PostMessage(Handle(), WM_CLOSE);
}

void TfrmProgressBar::FormClose(TObject*, TCloseAction&) { Cancelled = true; }

void TfrmProgressBar::btnCancelClick(TObject*) { Cancelled = true; }

bool ShowProgress() {
    HideProgress();
    try {
        instance = Create<TfrmProgressBar>(Application);
        Application->ProcessMessages();
        if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE);
        instance->SetCaption("");
        instance->lblStatus->SetCaption("");
        instance->Animate->SetActive(true);
        disabledWindows = DisableTaskWindows(instance->Handle());
        Application->ProcessMessages();
        return true;
    } catch (const std::exception&) {
        EnableTaskWindows(disabledWindows);
        disabledWindows.clear();
        if (instance) instance->Free();
        instance = nullptr;
        ShowMessageBox("无法建立进度表.", "", MB_ICONERROR | MB_OK);
        return false;
    }
}

void SetProgressCaption(const std::string& Text) {
    if (!instance) return;
    instance->SetCaption(Text);
    Application->ProcessMessages();
}

void RunWithProgress(TNotifyEvent Job) {
    if (!instance) return;
    instance->OnRun = Job;
    instance->JobError = nullptr;
    instance->ShowModal();
    if (std::exception_ptr error = instance->JobError) {
        instance->JobError = nullptr;
        std::rethrow_exception(error);
    }
}

bool HideProgress() {
    if (!instance) return false;
    try {
        EnableTaskWindows(disabledWindows);
        disabledWindows.clear();
        ReleaseCapture();
        instance->Animate->SetActive(false);
        TfrmProgressBar* window = instance;
        instance = nullptr;
        window->Free();
        Application->ProcessMessages();
        return true;
    } catch (const std::exception&) {
        instance = nullptr;
        return false;
    }
}

TfrmProgressBar* ProgressWindow() { return instance; }

}  // namespace pelgrane
