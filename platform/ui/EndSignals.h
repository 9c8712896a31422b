// SIGTERM and SIGINT (a shutdown or logout, Ctrl+C in a terminal) ask the
// program to end as closing its main window does. The handler only records
// the request and wakes the user-interface thread; the application acts on
// it in its message loop, which the work of a job never runs (a job runs
// inside its window's activation), so a running job finishes first.
#pragma once

#include "ui/WindowManager.h"

namespace menvaro {

// Installs the handlers once, for the program's life. `wake` is a window of
// the user-interface thread; a request posts it a WM_NULL so that a loop
// waiting for messages looks again. A signal the program was started to
// ignore (a background job of a shell, nohup) stays ignored.
void InstallEndSignals(HWND wake);

// True once for each request made since the last call.
bool TakeEndRequest();

}  // namespace menvaro
