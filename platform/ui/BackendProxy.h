// A backend that may only be called from the thread that made it (SDL's
// video is one) is wrapped in this proxy: a call from another thread is
// queued and runs on the backend's thread the next time that thread pumps
// the backend (its message loop, or any PeekMessage, as the main thread's
// paint-only pump while a report is built). The caller holds the window
// manager's lock, so it never waits for the backend's thread: calls that
// answer something answer at once, from what the proxy already knows.
#pragma once

#include <memory>

#include "ui/Backend.h"

namespace menvaro {

std::unique_ptr<TBackend> MakeThreadBoundBackend(std::unique_ptr<TBackend> backend);

}  // namespace menvaro
