#include "ui/EndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>

namespace menvaro {

namespace {

std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
// The handler writes a byte; the watcher thread reads it and wakes the loop.
int wakeRead = -1;
int wakeWrite = -1;

void OnEndSignal(int) {
    const int saved = errno;
    requested.store(true);
    const char byte = 1;
    (void)!::write(wakeWrite, &byte, 1);  // a full pipe has a wake-up waiting already
    errno = saved;
}

}  // namespace

void InstallEndSignals(HWND wake) {
    static std::once_flag once;
    std::call_once(once, [wake] {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        wakeRead = fds[0];
        wakeWrite = fds[1];
        ::fcntl(wakeWrite, F_SETFL, O_NONBLOCK);
        // Signal handlers may not take the window manager's lock; this
        // thread may. It lives as long as the program.
        std::thread([wake] {
            char bytes[64];
            for (;;) {
                const ssize_t n = ::read(wakeRead, bytes, sizeof bytes);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) return;
                PostMessage(wake, WM_NULL);
            }
        }).detach();
        struct sigaction action {};
        action.sa_handler = OnEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : {SIGTERM, SIGINT}) {
            struct sigaction previous {};
            if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
            ::sigaction(signal, &action, nullptr);
        }
    });
}

bool TakeEndRequest() { return requested.load(std::memory_order_relaxed) && requested.exchange(false); }

}  // namespace menvaro
