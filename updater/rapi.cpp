#include "rapi.h"

#include <dlfcn.h>

#include <string_view>

#include "base/Files.h"

namespace pelgrane {

namespace {

constexpr const char* kLibraryName = "librapi.so";

void* library = nullptr;
void* entries[kEntryCount] = {};

enum Entry {
    eCeRapiInit = 0,
    eCeRapiUninit = 1,
    eCeCreateFile = 20,
    eCeWriteFile = 22,
    eCeCloseHandle = 23,
    eCeGetLastError = 25,
    eCeMoveFile = 32,
    eCeDeleteFile = 34,
};

constexpr bool Named(Entry e, std::string_view name) { return kEntryNames[e] == name; }
static_assert(Named(eCeRapiInit, "CeRapiInit") && Named(eCeRapiUninit, "CeRapiUninit") &&
              Named(eCeCreateFile, "CeCreateFile") && Named(eCeWriteFile, "CeWriteFile") &&
              Named(eCeCloseHandle, "CeCloseHandle") && Named(eCeGetLastError, "CeGetLastError") &&
              Named(eCeMoveFile, "CeMoveFile") && Named(eCeDeleteFile, "CeDeleteFile"));

template <class F>
F Bound(Entry e) {
    return LoadRapi() ? reinterpret_cast<F>(entries[e]) : nullptr;
}

}  // namespace

bool LoadRapi() {
    if (library) return true;
    // The program's own folder first, then the loader's search.
    std::string own;
    try {
        own = menvaro::ExeFolder() + kLibraryName;
    } catch (...) {
    }
    void* lib = own.empty() ? nullptr : dlopen(own.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) lib = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;
    library = lib;
    for (int i = 0; i < kEntryCount; ++i) entries[i] = dlsym(library, kEntryNames[i]);
    return true;
}

void* RapiEntry(int index) { return library && index >= 0 && index < kEntryCount ? entries[index] : nullptr; }

HRESULT CeRapiInit() {
    auto f = Bound<PFN_CeRapiInit>(eCeRapiInit);
    return f ? f() : kRapiMissing;
}

HRESULT CeRapiUninit() {
    auto f = Bound<PFN_CeRapiUninit>(eCeRapiUninit);
    return f ? f() : kRapiMissing;
}

HANDLE CeCreateFile(LPCWSTR path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                    HANDLE templateFile) {
    auto f = Bound<PFN_CeCreateFile>(eCeCreateFile);
    return f ? f(path, access, share, security, disposition, flags, templateFile) : kRapiMissingHandle;
}

BOOL CeWriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* overlapped) {
    auto f = Bound<PFN_CeWriteFile>(eCeWriteFile);
    return f ? f(file, buffer, count, written, overlapped) : 0;
}

BOOL CeCloseHandle(HANDLE object) {
    auto f = Bound<PFN_CeCloseHandle>(eCeCloseHandle);
    return f ? f(object) : 0;
}

BOOL CeDeleteFile(LPCWSTR path) {
    auto f = Bound<PFN_CeDeleteFile>(eCeDeleteFile);
    return f ? f(path) : 0;
}

BOOL CeMoveFile(LPCWSTR existing, LPCWSTR target) {
    auto f = Bound<PFN_CeMoveFile>(eCeMoveFile);
    return f ? f(existing, target) : 0;
}

DWORD CeGetLastError() {
    auto f = Bound<PFN_CeGetLastError>(eCeGetLastError);
    return f ? f() : ERROR_CALL_NOT_IMPLEMENTED;
}

}  // namespace pelgrane
