// Types, constants and entry-point names of the handheld's remote file API,
// shared by the device plug-ins and by the program that binds them by name.
// Wide text is UTF-16 (char16_t), as on the handheld.
#pragma once

#include <cstdint>

namespace menvaro::rapi {

using HANDLE = void*;
using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using WCHAR = char16_t;
using LPCWSTR = const WCHAR*;

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT CERAPI_E_ALREADYINITIALIZED = static_cast<HRESULT>(0x80041001u);

inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 1;
inline constexpr DWORD FILE_SHARE_WRITE = 2;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

// Error codes reported by CeGetLastError.
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_READY = 21;
inline constexpr DWORD ERROR_WRITE_FAULT = 29;
inline constexpr DWORD ERROR_FILE_EXISTS = 80;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;

// Signatures of the entry points the updater calls.
using PFN_CeRapiInit = HRESULT (*)();
using PFN_CeRapiUninit = HRESULT (*)();
using PFN_CeCreateFile = HANDLE (*)(LPCWSTR path, DWORD access, DWORD share, void* security, DWORD disposition,
                                    DWORD flags, HANDLE templateFile);
using PFN_CeWriteFile = BOOL (*)(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* overlapped);
using PFN_CeCloseHandle = BOOL (*)(HANDLE object);
using PFN_CeDeleteFile = BOOL (*)(LPCWSTR path);
using PFN_CeMoveFile = BOOL (*)(LPCWSTR existing, LPCWSTR target);
using PFN_CeGetLastError = DWORD (*)();

// The library's entry points, in the order they are bound.
inline constexpr const char* kEntryNames[] = {
    "CeRapiInit", "CeRapiUninit", "CeFindAllFiles", "RapiFreeBuffer", "CeCreateDatabase", "CeDeleteDatabase",
    "CeDeleteRecord", "CeFindFirstDatabase", "CeFindNextDatabase", "CeOidGetInfo", "CeOpenDatabase",
    "CeReadRecordProps", "CeSeekDatabase", "CeSetDatabaseInfo", "CeWriteRecordProps", "CeFindFirstFile",
    "CeFindNextFile", "CeFindClose", "CeGetFileAttributes", "CeSetFileAttributes", "CeCreateFile", "CeReadFile",
    "CeWriteFile", "CeCloseHandle", "CeFindAllDatabases", "CeGetLastError", "GetRapiError", "CeSetFilePointer",
    "CeSetEndOfFile", "CeCreateDirectory", "CeRemoveDirectory", "CeCreateProcess", "CeMoveFile", "CeCopyFile",
    "CeDeleteFile", "CeGetFileSize", "CeRegOpenKeyEx", "CeRegEnumKeyEx", "CeRegCreateKeyEx", "CeRegCloseKey",
    "CeRegDeleteKey", "CeRegEnumValue", "CeRegDeleteValue", "CeRegQueryInfoKey", "CeRegQueryValueEx",
    "CeRegSetValueEx", "CeGetStoreInformation", "CeGetSystemMetrics", "CeGetDesktopDeviceCaps", "CeGetSystemInfo",
    "CeSHCreateShortcut", "CeSHGetShortcutTarget", "CeCheckPassword", "CeGetFileTime", "CeSetFileTime",
    "CeGetVersionEx", "CeGetWindow", "CeGetWindowLong", "CeGetWindowText", "CeGetClassName", "CeGlobalMemoryStatus",
    "CeGetSystemPowerStatusEx",
};
inline constexpr int kEntryCount = sizeof kEntryNames / sizeof kEntryNames[0];
static_assert(kEntryCount == 62);

}  // namespace menvaro::rapi
