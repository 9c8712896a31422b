// The modal busy window the updater shows while it builds the data files or
// copies them to the handheld: the copy-files animation and a caption. The
// job runs on the main thread inside the window's activation; the window
// closes itself when the job returns. At most one such window exists.
#pragma once

#include <string>

#include "classes/Events.h"

namespace pelgrane {

// Creates and prepares the window (a leftover one is destroyed first) and
// disables the other windows of the program. False when it cannot be made.
bool ShowProgress();
void SetProgressCaption(const std::string& Text);
// Runs `Job` inside the window; returns when the window has closed. A job
// that raises still closes the window; its exception then reaches the
// caller.
void RunWithProgress(menvaro::TNotifyEvent Job);
// Destroys the window and enables the other windows again. False when there
// was none.
bool HideProgress();

}  // namespace pelgrane
