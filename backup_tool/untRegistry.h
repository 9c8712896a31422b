// The backup tool's settings: one registry settings object on
// HKEY_LOCAL_MACHINE "SOFTWARE\Corvanel", and the routines that read and
// write the tool's values. The connection settings under "Initdata" belong
// to the product's server setup; this tool writes only the backup folder and
// the days to keep backups.
#pragma once

#include <memory>
#include <string>

#include "registry/RegistryIniFile.h"

namespace storvik {

// The settings object while it is open, else null.
extern std::unique_ptr<menvaro::TRegistryIniFile> RegIni;

// Opens RegIni on "SOFTWARE\Corvanel", creating the key when it is missing.
// The program entry calls it, so that a damaged settings file is reported
// like any other error (ERegistryException names the file and line).
void OpenRegIni();
void CloseRegIni();

// The four "Initdata" values, in this order: "SQLServerName" ("(local)"),
// "DataBaseName", "LoginUser" and "LoginPasswd" (each "velkoranth"). False
// when a read raised; the values read before it are kept.
bool ReadDbSettings(std::string& Server, std::string& Database, std::string& User, std::string& Password);

// The key's own values: "DataBackupDir" (empty) and "SaveBackupDays" (7).
void ReadDataBackupDir(std::string& Dir);
void WriteDataBackupDir(const std::string& Dir);
int ReadSaveBackupDays();
void WriteSaveBackupDays(int Days);

}  // namespace storvik
