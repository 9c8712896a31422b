// The machine's settings store: HKEY_LOCAL_MACHINE kept as one text file in
// the registry-export syntax, UTF-8:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Corvanel\Halvane\DataSource]
//   "ServerName"="(local)"
//   "LoginType"=dword:00000000
//
// Readers hold a shared lock on "<file>.lock", writers an exclusive one,
// each waiting a bounded time (kLockWait) for a holder to let go;
// a writer re-reads the file under its lock, changes it and replaces it
// atomically (temporary file, rename). A damaged file raises an error naming
// the file and line and is never replaced.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"
#include "base/FileLock.h"

namespace menvaro {

MENVARO_EXCEPTION(ERegistryException, Exception)

enum TRegDataType : std::uint32_t {
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_MULTI_SZ = 7,
    REG_QWORD = 11,
};

struct TRegValue {
    std::string Name;         // "" is the key's default value ("@")
    std::uint32_t Type = REG_SZ;
    std::string Text;         // REG_SZ / REG_EXPAND_SZ held as text
    std::uint32_t Dword = 0;  // REG_DWORD
    std::string Bytes;        // every other type: the raw data
};

struct TRegKey {
    std::string Path;  // below HKEY_LOCAL_MACHINE, components joined with "\"
    std::vector<TRegValue> Values;
};

// The parsed content of a store file. Key paths and value names compare
// without regard to ASCII letter case, as the registry's do.
class TRegistryData {
public:
    // `source` names the file in error messages.
    static TRegistryData Parse(std::string_view text, const std::string& source);
    std::string Serialize() const;

    TRegKey* FindKey(std::string_view path);
    const TRegKey* FindKey(std::string_view path) const;
    // True when the key or any key below it is present.
    bool KeyExists(std::string_view path) const;
    TRegKey& CreateKey(std::string_view path);
    // Removes the key and everything below it; false when absent.
    bool DeleteKey(std::string_view path);
    std::vector<std::string> SubKeyNames(std::string_view path) const;

    static const TRegValue* FindValue(const TRegKey& key, std::string_view name);
    static void SetValue(TRegKey& key, TRegValue value);
    static bool DeleteValue(TRegKey& key, std::string_view name);

    const std::vector<TRegKey>& Keys() const { return keys_; }

private:
    std::vector<TRegKey> keys_;
};

// Limits the store enforces on what it is given.
inline constexpr std::size_t kMaxKeyComponent = 255;
inline constexpr std::size_t kMaxValueName = 16383;
inline constexpr std::size_t kMaxValueData = 1 << 20;

// Checks a key path (components joined by "\", leading and trailing "\"
// allowed) and returns it normalised; raises ERegistryException.
std::string NormaliseKeyPath(std::string_view path);
void CheckValueName(std::string_view name);

class TRegistryStore {
public:
    // The file named by MENVARO_REGISTRY, else $XDG_CONFIG_HOME/menvaro/registry.reg
    // ($HOME/.config when XDG_CONFIG_HOME is unset).
    static std::string DefaultPath();

    // `lockWait`: how long a read or write waits for the lock another
    // program holds before it fails with an error naming the file.
    explicit TRegistryStore(std::string path = DefaultPath(), std::chrono::milliseconds lockWait = kLockWait);
    const std::string& Path() const { return path_; }

    // Reads the file under a shared lock; a missing file is an empty store.
    TRegistryData Load() const;
    // Runs `change` on the current content under the exclusive lock and writes
    // the result atomically when `change` returns true.
    void Update(const std::function<bool(TRegistryData&)>& change) const;

private:
    std::string path_;
    std::chrono::milliseconds lockWait_;
};

}  // namespace menvaro
