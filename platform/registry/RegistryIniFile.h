// TRegistryIniFile: settings in sections and typed values over a registry
// key. Sections are subkeys of the opened key; an empty section means the
// key itself. Integers and Booleans are stored as DWORDs; reading them also
// accepts decimal text. Every read sees the store as it is on disk now.
#pragma once

#include <cstdint>
#include <string>

#include "base/StringList.h"
#include "registry/RegistryStore.h"

namespace menvaro {

enum class HKEY : std::uint32_t {
    HKEY_CLASSES_ROOT = 0x80000000,
    HKEY_CURRENT_USER = 0x80000001,
    HKEY_LOCAL_MACHINE = 0x80000002,
    HKEY_USERS = 0x80000003,
};
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::HKEY_LOCAL_MACHINE;
inline constexpr HKEY HKEY_CURRENT_USER = HKEY::HKEY_CURRENT_USER;

class TRegistryIniFile {
public:
    // Opens `keyName` (may be empty) below the root, creating it as needed.
    explicit TRegistryIniFile(const std::string& keyName, TRegistryStore store = TRegistryStore());

    HKEY RootKey() const { return root_; }
    // Only HKEY_LOCAL_MACHINE is kept on this system: another root raises.
    void SetRootKey(HKEY root);

    // A name starting with "\" is taken from the root, otherwise from the
    // current key. With `canCreate` a missing key is created. False when the
    // key is missing (and may not be created) or cannot be written.
    bool OpenKey(const std::string& key, bool canCreate);
    const std::string& CurrentPath() const { return current_; }
    const std::string& FileName() const { return store_.Path(); }

    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& ident, int def) const;
    bool ReadBool(const std::string& section, const std::string& ident, bool def) const;
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int value);
    void WriteBool(const std::string& section, const std::string& ident, bool value);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;
    void ReadSection(const std::string& section, TStringList& names) const;
    void ReadSections(TStringList& names) const;
    void DeleteKey(const std::string& section, const std::string& ident);
    void EraseSection(const std::string& section);

private:
    std::string SectionPath(const std::string& section) const;
    // The stored value, or nothing when the key or value is missing.
    bool Find(const std::string& section, const std::string& ident, TRegValue& out) const;
    void Write(const std::string& section, TRegValue value);

    TRegistryStore store_;
    HKEY root_ = HKEY_LOCAL_MACHINE;
    std::string keyName_;
    std::string current_;
};

}  // namespace menvaro
