#include "TestDevice.h"

#include <map>

#include "base/CodePage.h"

using namespace menvaro::rapi;

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

TestDeviceControl control;
std::map<std::intptr_t, std::string> open;  // handle -> path
std::intptr_t nextHandle = 0x500;
DWORD lastError = 0;

std::string Path(LPCWSTR w) { return menvaro::Utf16ToUtf8(std::u16string(w)); }

}  // namespace

TEST_EXPORT TestDeviceControl* TestDevice_Control() { return &control; }

TEST_EXPORT HRESULT CeRapiInit() {
    ++control.inits;
    control.log.push_back("init");
    return control.initResult;
}

TEST_EXPORT HRESULT CeRapiUninit() {
    ++control.uninits;
    control.log.push_back("uninit");
    return S_OK;
}

TEST_EXPORT DWORD CeGetLastError() { return lastError; }

TEST_EXPORT HANDLE CeCreateFile(LPCWSTR path, DWORD, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
    ++control.creates;
    const std::string p = Path(path);
    control.log.push_back("create " + p);
    if (disposition != CREATE_ALWAYS) {
        lastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    control.files[p].clear();  // CREATE_ALWAYS truncates at once
    open[nextHandle] = p;
    return reinterpret_cast<HANDLE>(nextHandle++);
}

#ifndef TEST_DEVICE_PARTIAL
TEST_EXPORT BOOL CeWriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, void*) {
    const int n = control.writes++;
    *written = 0;
    if (control.throwOnWrite) throw std::runtime_error("the device library failed");
    const auto it = open.find(reinterpret_cast<std::intptr_t>(h));
    if (it == open.end() || n == control.failWriteAt) {
        lastError = ERROR_WRITE_FAULT;
        return 0;
    }
    const DWORD take = control.maxWrite && count > control.maxWrite ? control.maxWrite : count;
    control.files[it->second].append(static_cast<const char*>(buffer), take);
    *written = take;
    return 1;
}

TEST_EXPORT BOOL CeDeleteFile(LPCWSTR path) {
    ++control.deletes;
    const std::string p = Path(path);
    control.log.push_back("delete " + p);
    if (control.files.erase(p) == 0) {
        lastError = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    return 1;
}
#endif

TEST_EXPORT BOOL CeCloseHandle(HANDLE h) {
    ++control.closes;
    const bool known = open.erase(reinterpret_cast<std::intptr_t>(h)) == 1;
    if (!known || control.failClose) {
        lastError = ERROR_INVALID_HANDLE;
        return 0;
    }
    return 1;
}

TEST_EXPORT BOOL CeMoveFile(LPCWSTR from, LPCWSTR to) {
    ++control.moves;
    const std::string a = Path(from), b = Path(to);
    control.log.push_back("move " + a + " " + b);
    if (!control.files.count(a)) {
        lastError = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    if (control.failMove || a == control.failMoveFrom) {
        lastError = ERROR_WRITE_FAULT;
        return 0;
    }
    if (control.files.count(b)) {
        lastError = ERROR_ALREADY_EXISTS;
        return 0;
    }
    control.files[b] = std::move(control.files[a]);
    control.files.erase(a);
    return 1;
}
