// The device operations of the updater: connect, disconnect, delete a list of
// files in a device folder, copy one file from a PC folder to a device folder.
#pragma once

#include <string>

#include "base/StringList.h"

namespace pelgrane {

enum class TDeviceConnection {
    dcConnected,     // the handheld answered
    dcNoLibrary,     // the remote API library or its entry point is missing
    dcNotConnected,  // the library is there, but no handheld is connected
};

TDeviceConnection ConnectDevice();
bool DisconnectDevice();

// Deletes every listed name in `DeviceFolder`; a name that is not there is
// no error.
void DeleteDeviceFiles(const std::string& DeviceFolder, const menvaro::TStringList& Names);

// Copies PcFolder/Name to DeviceFolder\Name. The PC file is read whole before
// the device is touched; a missing or unreadable PC file is skipped and the
// device keeps its copy. The new content goes to a temporary device name
// ("<name>.part"); once it is complete, the old file is moved aside
// ("<name>.old"), the new one moved into place and only then the old one
// deleted. When the new one cannot be moved into place the old one is moved
// back: the device holds the old file or the new one at every moment, never
// a truncated one and never none. True when the file was copied.
// `Overwrite` is accepted for the callers' sake; an existing file is always
// replaced.
bool CopyFileToDevice(const std::string& PcFolder, const std::string& DeviceFolder, const std::string& Name,
                      bool Overwrite = true);

// Puts back each listed file that an interrupted earlier copy left moved
// aside: where the file is missing its set-aside copy takes its place, where
// it is there the set-aside copy (the older one) is deleted.
void RestoreSetAside(const std::string& DeviceFolder, const menvaro::TStringList& Names);

// The device path DeviceFolder (a backslash added if missing) + Name as the
// remote API takes it: UTF-16 in a zero-filled buffer of 260 characters.
// False when the path does not fit or is not valid text.
bool MakeDevicePath(const std::string& DeviceFolder, const std::string& Name, char16_t (&Buffer)[260]);

}  // namespace pelgrane
