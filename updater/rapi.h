// Binding of the handheld's remote file API library by name at run time.
//
// The library (librapi.so) is loaded at the first device operation, looked up
// first in the program's own folder and then by the dynamic loader's search;
// once loaded it is never unloaded, and a failed load is tried again at the
// next call. The wrappers below load it first and answer for a missing
// library or entry point with the results the updater has always expected.
#pragma once

#include "device/Rapi.h"

namespace pelgrane {

using namespace menvaro::rapi;

inline constexpr HRESULT kRapiMissing = 0xFFFF;
inline const HANDLE kRapiMissingHandle = reinterpret_cast<HANDLE>(0xFFFF);

bool LoadRapi();

// Missing library or entry: 0xFFFF.
HRESULT CeRapiInit();
HRESULT CeRapiUninit();
// Missing: the handle value 0xFFFF.
HANDLE CeCreateFile(LPCWSTR path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                    HANDLE templateFile);
// Missing: 0 (false).
BOOL CeWriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* overlapped);
BOOL CeCloseHandle(HANDLE object);
BOOL CeDeleteFile(LPCWSTR path);
BOOL CeMoveFile(LPCWSTR existing, LPCWSTR target);
// Missing: ERROR_CALL_NOT_IMPLEMENTED.
DWORD CeGetLastError();

// The bound entry point at `index` of kEntryNames (null when the library
// lacks it or is not loaded).
void* RapiEntry(int index);

}  // namespace pelgrane
