// A program built like Pelgrane that carries the logger from its start-up
// (menvaro_exception_log_startup) and does what its argument says; its log
// goes to the folder named by HOOK_LOG_DIR. Built as a console program and
// as one with windows. "mail PORT" shows a window, has reports mailed by
// SMTP to 127.0.0.1:PORT with the screenshot and no dialog, and throws.
// "double-free" corrupts the heap from a worker thread; "allocate" says
// "ready" and then allocates and frees in a loop until a signal comes.
// "freeze MS [SECONDS]" blocks the main window for MS with the watchdog's
// time-out SECONDS (1); "retime MS" gives the running watchdog a time-out
// of one second first. "inactive MODE ..." switches the logger off first.
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <memory>
#include <thread>
#include <vector>

#include "ExceptionLog.h"
#include "HookFunctions.h"
#include "rtl/Modules.h"
#include "ui/Forms.h"
#include "ui/WindowManager.h"

using namespace menvaro;

namespace {

// A write into a page that cannot be written: a real fault (a null pointer
// would be caught by the undefined-behaviour sanitizer first).
__attribute__((noinline)) void WriteNowhere() {
    void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    *static_cast<volatile int*>(page) = 1;
}

// The logger's list of the loaded modules made by the main thread, then a
// library loaded: the next report makes the list anew and frees the old
// one, a block of the main thread's arena.
void LoadALibraryAfterTheModulesList() {
    ModuleOfAddress(reinterpret_cast<std::uintptr_t>(&LoadALibraryAfterTheModulesList));
    if (!::dlopen(TEST_LIBRARY, RTLD_NOW)) std::puts(::dlerror());
}

// Heap corruption seen by the allocator while it holds the lock of the main
// thread's arena: a worker frees a block of that arena twice, and the
// allocator aborts in the worker with the lock still held.
void DoubleFreeInAWorker() {
    LoadALibraryAfterTheModulesList();
    void* block = std::malloc(4096);
    std::thread([block] {
        void* volatile again = block;  // unseen by the compiler's own check
        std::free(block);
        std::free(again);
    }).join();
}

// The main thread inside the allocator again and again.
[[noreturn]] void AllocateForever() {
    LoadALibraryAfterTheModulesList();
    std::puts("ready");
    std::fflush(stdout);
    std::vector<std::unique_ptr<char[]>> kept(64);
    for (std::size_t i = 0;; ++i) kept[i % kept.size()].reset(new char[16 + (i * 7919) % 4096]);
}

// The main thread busy for `ms` without its event loop.
__attribute__((noinline)) void BlockMainThread(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

HWND ShowMainWindow() {
    TCreateParams p;
    p.Caption = "main";
    p.Style = WS_OVERLAPPED | WS_CAPTION;
    p.Bounds = TRect(10, 10, 200, 100);
    const HWND main = CreateWindowEx(p, [](HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProc(h, m, w, l); });
    ShowWindow(main, SW_SHOW);
    return main;
}

int Freeze(int ms, int timeout) {
    ShowMainWindow();
    TOstrelModuleOptions& options = CurrentOstrelLogOptions();
    options.SetFreezeTimeout(timeout);
    options.SetFreezeCheck(true);
    StartFreezeThread();
    Pump(400);
    BlockMainThread(ms);
    Pump(1200);
    StopFreezeThread();
    return 0;
}

// The watchdog started by its switch with the stored time-out of a minute,
// then given one second while it runs; switched off again at the end.
int FreezeAfterANewTimeOut(int ms) {
    ShowMainWindow();
    TOstrelModuleOptions& options = CurrentOstrelLogOptions();
    options.SetFreezeCheck(true);
    if (!FreezeThreadRunning()) return 4;
    Pump(400);
    options.SetFreezeTimeout(1);
    BlockMainThread(ms);
    Pump(1200);
    options.SetFreezeCheck(false);
    return FreezeThreadRunning() ? 5 : 0;
}

void MailReports(const char* port) {
    TOstrelModuleOptions& o = *OstrelModulesList()->FindModuleInfo(LoggerModuleHandle())->Options;
    auto update = o.Updating();
    o.SetShowReport(false);
    o.SetSendMode(2);
    o.SetSmtpHost("127.0.0.1");
    o.SetSmtpPort(static_cast<std::uint16_t>(std::atoi(port)));
    o.SetSenderAddress("crash@menvaro.local");
    o.SetMailTo("support@menvaro.test");
    o.SetMailSubject("Pelgrane error report");
    o.SetMailBody("An error report.");
    o.SetAttachScreenshot(true);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (!LoggerActivated()) {
        std::puts("not activated");
        return 3;
    }
    if (const char* dir = std::getenv("HOOK_LOG_DIR"))
        OstrelModulesList()->FindModuleInfo(LoggerModuleHandle())->Options->SetLogPath(dir);
    if (std::string(argv[1]) == "inactive" && argc > 2) {
        CurrentOstrelLogOptions().SetActive(false);
        --argc;
        ++argv;
    }
    const std::string mode = argv[1];
    if (mode == "throw") hookfn::ThrowConvertError(9);
    if (mode == "segv") WriteNowhere();
    if (mode == "abort") std::abort();
    if (mode == "double-free") DoubleFreeInAWorker();
    if (mode == "allocate") AllocateForever();
    if (mode == "wait") {
        std::puts("ready");
        std::fflush(stdout);
        char c;
        while (::read(0, &c, 1) != 0) {
        }
        return 0;
    }
    if (mode == "freeze") return Freeze(std::atoi(argv[2]), argc > 3 ? std::atoi(argv[3]) : 1);
    if (mode == "retime") return FreezeAfterANewTimeOut(std::atoi(argv[2]));
    if (mode == "mail" && argc > 2) {
        MailReports(argv[2]);
        ShowMainWindow();
        Pump(100);
        hookfn::ThrowConvertError(9);
    }
    if (mode == "nothing") return 0;
    return 2;
}
