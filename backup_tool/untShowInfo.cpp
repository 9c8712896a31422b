#include "untShowInfo.h"

#include "classes/ClassBuilder.h"
#include "ui/JobWindow.h"

namespace storvik {

using namespace menvaro;

namespace {

// The single instance, and the windows it disabled.
TJobWindowSlot<TfrmShowInfo> slot;

}  // namespace

MENVARO_CLASS_INFO(TfrmShowInfo) {
    MENVARO_PUBLISHED_FIELDS(uglpanelBg, uglpanelInfo, imgIsgn, lblName, lblInfo)
    MENVARO_PUBLISHED_METHODS(FormCreate, FormActivate, FormClose)
}

void TfrmShowInfo::FormCreate(TObject*) {
    Animate = Create<TAnimate>(this);
    // The title panel sits 10 pixels in from the left and the top edge: the
    // animation goes 4 pixels below it, 5 pixels in from its sides.
    Animate->SetBounds(uglpanelInfo->Left() + 5, uglpanelInfo->Left() + uglpanelInfo->Height() + 4,
                       uglpanelInfo->Width() - 10, 45);
    Animate->SetParent(this);
    Animate->SetActive(false);
    Animate->SetAutoSize(false);
    Animate->SetCommonAVI(aviCopyFiles);
    Animate->SetStopFrame(34);
    Closed = false;
}

void TfrmShowInfo::FormActivate(TObject*) {
    Application->ProcessMessages();
    // Once, also when a message box of the job activates the window again;
    // what it raises, ShowInfoRun raises again once the window is down.
    RunJobOnce(Job, this, JobError);
    PostMessage(Handle(), WM_CLOSE);
}

void TfrmShowInfo::FormClose(TObject*, TCloseAction&) { Closed = true; }

bool ShowInfoOpen(const std::string& Msg) {
    ShowInfoClose();
    return slot.Open("无法建立进度表.", [&](TfrmShowInfo& window) {
        window.SetCaption("");
        window.lblInfo->SetCaption(Msg);
        window.Animate->SetActive(true);
    });
}

void ShowInfoRun(TNotifyEvent Job) {
    if (TfrmShowInfo* window = slot.Window()) window->Job = Job;
    slot.Run(&TfrmShowInfo::JobError);
}

bool ShowInfoClose() {
    return slot.Close([](TfrmShowInfo& window) { window.Animate->SetActive(false); });
}

bool ShowInfoClosed() { return slot.Window() && slot.Window()->Closed; }

TfrmShowInfo* ShowInfoWindow() { return slot.Window(); }

}  // namespace storvik
