#include "fileCopy.h"

#include <algorithm>
#include <cstring>

#include "base/CodePage.h"
#include "base/Exceptions.h"
#include "base/Files.h"
#include "rapi.h"

namespace pelgrane {

using menvaro::TStringList;

namespace {

// Suffixes of the temporary name a copy is written under and of the name
// the old file is moved aside to while the new one takes its place; they
// match none of the masks the handheld reads its data files with.
constexpr const char* kPartSuffix = ".part";
constexpr const char* kAsideSuffix = ".old";

bool Failed(HANDLE h) { return h == INVALID_HANDLE_VALUE || h == kRapiMissingHandle || h == nullptr; }

// Puts a file that an interrupted copy left aside back in place; where the
// file itself is there, the set-aside copy is the older one and goes.
void PutBack(LPCWSTR target, LPCWSTR aside) {
    if (!CeMoveFile(aside, target) && CeGetLastError() == ERROR_ALREADY_EXISTS) CeDeleteFile(aside);
}

}  // namespace

bool MakeDevicePath(const std::string& DeviceFolder, const std::string& Name, char16_t (&Buffer)[260]) {
    std::memset(Buffer, 0, sizeof Buffer);
    std::string path = DeviceFolder;
    if (path.empty() || path.back() != '\\') path += '\\';
    path += Name;
    std::u16string wide;
    try {
        wide = menvaro::Utf8ToUtf16(path);
    } catch (const menvaro::EConvertError&) {
        return false;
    }
    if (wide.size() >= 260) return false;
    std::copy(wide.begin(), wide.end(), Buffer);
    return true;
}

TDeviceConnection ConnectDevice() {
    const HRESULT r = CeRapiInit();
    if (r == kRapiMissing) return TDeviceConnection::dcNoLibrary;
    return r == S_OK ? TDeviceConnection::dcConnected : TDeviceConnection::dcNotConnected;
}

bool DisconnectDevice() { return CeRapiUninit() != kRapiMissing; }

void DeleteDeviceFiles(const std::string& DeviceFolder, const TStringList& Names) {
    for (const std::string& name : Names) {
        char16_t path[260];
        if (MakeDevicePath(DeviceFolder, name, path)) CeDeleteFile(path);
    }
}

bool CopyFileToDevice(const std::string& PcFolder, const std::string& DeviceFolder, const std::string& Name,
                      bool /*Overwrite*/) {
    // Everything is read before the device is touched.
    std::string data;
    try {
        data = menvaro::ReadFileBytes(menvaro::IncludeTrailingPathDelimiter(PcFolder) + Name);
    } catch (const menvaro::Exception&) {
        return false;
    }
    char16_t target[260], part[260], aside[260];
    if (!MakeDevicePath(DeviceFolder, Name, target) || !MakeDevicePath(DeviceFolder, Name + kPartSuffix, part) ||
        !MakeDevicePath(DeviceFolder, Name + kAsideSuffix, aside))
        return false;

    PutBack(target, aside);
    CeDeleteFile(part);  // a leftover of an earlier failed copy
    HANDLE h = CeCreateFile(part, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (Failed(h)) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 0x40000000));
        DWORD written = 0;
        // A short write is continued; a write that makes no progress fails.
        ok = CeWriteFile(h, data.data() + done, chunk, &written, nullptr) && written > 0 && written <= chunk;
        done += ok ? written : 0;
    }
    ok = CeCloseHandle(h) && ok;
    if (!ok) {
        CeDeleteFile(part);
        return false;
    }
    // The handheld's move does not replace. The old file goes aside first and
    // is deleted only once the new one is in place, so that the handheld
    // holds the old file or the new one at every moment.
    const bool hadOld = CeMoveFile(target, aside);
    if (!hadOld && CeGetLastError() != ERROR_FILE_NOT_FOUND) {
        CeDeleteFile(part);
        return false;
    }
    if (!CeMoveFile(part, target)) {
        if (hadOld) CeMoveFile(aside, target);
        CeDeleteFile(part);
        return false;
    }
    if (hadOld) CeDeleteFile(aside);
    return true;
}

void RestoreSetAside(const std::string& DeviceFolder, const TStringList& Names) {
    for (const std::string& name : Names) {
        char16_t target[260], aside[260];
        if (!MakeDevicePath(DeviceFolder, name, target) || !MakeDevicePath(DeviceFolder, name + kAsideSuffix, aside))
            continue;
        PutBack(target, aside);
    }
}

}  // namespace pelgrane
