// A handheld whose chosen call fails: the folder device with a shim in front.
// MENVARO_DEVICE_FAIL="<entry> <name>" makes every call of that entry whose
// (first) device path ends in "\<name>" fail with a write fault, as a
// handheld's link may; every other call goes to the folder device. Built as
// librapi.so and put beside a program in place of the folder device.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/CodePage.h"
#include "base/Strings.h"
#include "device/Rapi.h"

using namespace menvaro::rapi;

#define SHIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void* Real(const char* name) {
    static void* lib = dlopen(FOLDER_DEVICE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return lib ? dlsym(lib, name) : nullptr;
}

template <class F>
F Bind(const char* name) {
    return reinterpret_cast<F>(Real(name));
}

thread_local bool injected = false;

// Whether this call of `entry` on `path` is the one chosen to fail.
bool Chosen(const char* entry, LPCWSTR path) {
    injected = false;
    const char* rule = std::getenv("MENVARO_DEVICE_FAIL");
    if (!rule || !path) return false;
    const std::string r = rule;
    const std::size_t blank = r.find(' ');
    if (blank == std::string::npos || r.substr(0, blank) != entry) return false;
    std::string p;
    try {
        p = menvaro::Utf16ToUtf8(std::u16string(path));
    } catch (...) {
        return false;
    }
    const std::string name = "\\" + r.substr(blank + 1);
    injected = p.size() >= name.size() && menvaro::SameText(p.substr(p.size() - name.size()), name);
    return injected;
}

}  // namespace

SHIM_EXPORT HRESULT CeRapiInit() { return Bind<PFN_CeRapiInit>("CeRapiInit")(); }
SHIM_EXPORT HRESULT CeRapiUninit() { return Bind<PFN_CeRapiUninit>("CeRapiUninit")(); }

SHIM_EXPORT DWORD CeGetLastError() {
    return injected ? ERROR_WRITE_FAULT : Bind<PFN_CeGetLastError>("CeGetLastError")();
}

SHIM_EXPORT HANDLE CeCreateFile(LPCWSTR path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                                HANDLE templateFile) {
    if (Chosen("CeCreateFile", path)) return INVALID_HANDLE_VALUE;
    return Bind<PFN_CeCreateFile>("CeCreateFile")(path, access, share, security, disposition, flags, templateFile);
}

SHIM_EXPORT BOOL CeWriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* overlapped) {
    injected = false;
    return Bind<PFN_CeWriteFile>("CeWriteFile")(file, buffer, count, written, overlapped);
}

SHIM_EXPORT BOOL CeCloseHandle(HANDLE object) {
    injected = false;
    return Bind<PFN_CeCloseHandle>("CeCloseHandle")(object);
}

SHIM_EXPORT BOOL CeDeleteFile(LPCWSTR path) {
    if (Chosen("CeDeleteFile", path)) return 0;
    return Bind<PFN_CeDeleteFile>("CeDeleteFile")(path);
}

SHIM_EXPORT BOOL CeMoveFile(LPCWSTR existing, LPCWSTR target) {
    if (Chosen("CeMoveFile", existing)) return 0;
    return Bind<PFN_CeMoveFile>("CeMoveFile")(existing, target);
}
