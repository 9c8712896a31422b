#include "untRegistry.h"

#include <exception>

namespace storvik {

using namespace menvaro;

std::unique_ptr<TRegistryIniFile> RegIni;

namespace {

const char* const kKey = "SOFTWARE\\Corvanel";
const char* const kDbSection = "Initdata";
// The key's own values are read and written with no section.
const char* const kOwnKey = "";

TRegistryIniFile& Settings() {
    if (!RegIni) throw ERegistryException("The settings are not open");
    return *RegIni;
}

}  // namespace

void OpenRegIni() {
    auto ini = std::make_unique<TRegistryIniFile>("");
    ini->SetRootKey(HKEY_LOCAL_MACHINE);
    // The open reads the file: a damaged one raises here, naming it.
    ini->OpenKey(kKey, true);
    RegIni = std::move(ini);
}

void CloseRegIni() { RegIni.reset(); }

bool ReadDbSettings(std::string& Server, std::string& Database, std::string& User, std::string& Password) {
    try {
        TRegistryIniFile& ini = Settings();
        Server = ini.ReadString(kDbSection, "SQLServerName", "(local)");
        Database = ini.ReadString(kDbSection, "DataBaseName", "velkoranth");
        User = ini.ReadString(kDbSection, "LoginUser", "velkoranth");
        Password = ini.ReadString(kDbSection, "LoginPasswd", "velkoranth");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ReadDataBackupDir(std::string& Dir) { Dir = Settings().ReadString(kOwnKey, "DataBackupDir", ""); }

void WriteDataBackupDir(const std::string& Dir) { Settings().WriteString(kOwnKey, "DataBackupDir", Dir); }

int ReadSaveBackupDays() { return Settings().ReadInteger(kOwnKey, "SaveBackupDays", 7); }

void WriteSaveBackupDays(int Days) { Settings().WriteInteger(kOwnKey, "SaveBackupDays", Days); }

}  // namespace storvik
