#include "registry/RegistryIniFile.h"

#include "base/CodePage.h"
#include "base/NumberText.h"
#include "base/Strings.h"

namespace menvaro {

TRegistryIniFile::TRegistryIniFile(const std::string& keyName, TRegistryStore store)
    : store_(std::move(store)), keyName_(NormaliseKeyPath(keyName)) {
    if (!keyName_.empty()) OpenKey("\\" + keyName_, true);
}

void TRegistryIniFile::SetRootKey(HKEY root) {
    if (root != HKEY_LOCAL_MACHINE)
        throw ERegistryException("Only HKEY_LOCAL_MACHINE is kept on this system");
    root_ = root;
}

bool TRegistryIniFile::OpenKey(const std::string& key, bool canCreate) {
    const bool absolute = !key.empty() && key[0] == '\\';
    const std::string rel = NormaliseKeyPath(key);
    std::string path = absolute || current_.empty() ? rel : (rel.empty() ? current_ : current_ + "\\" + rel);
    if (!store_.Load().KeyExists(path)) {
        if (!canCreate) return false;
        try {
            store_.Update([&](TRegistryData& d) {
                if (d.KeyExists(path)) return false;
                d.CreateKey(path);
                return true;
            });
        } catch (const ERegistryException&) {
            // A damaged file is reported by the reads that follow; a store
            // that may not be written just has no such key.
            if (!store_.Load().KeyExists(path)) return false;
        }
    }
    current_ = std::move(path);
    return true;
}

std::string TRegistryIniFile::SectionPath(const std::string& section) const {
    const std::string s = NormaliseKeyPath(section);
    if (s.empty()) return current_;
    return current_.empty() ? s : current_ + "\\" + s;
}

bool TRegistryIniFile::Find(const std::string& section, const std::string& ident, TRegValue& out) const {
    CheckValueName(ident);
    const TRegistryData data = store_.Load();
    const TRegKey* key = data.FindKey(SectionPath(section));
    if (!key) return false;
    const TRegValue* v = TRegistryData::FindValue(*key, ident);
    if (!v) return false;
    out = *v;
    return true;
}

std::string TRegistryIniFile::ReadString(const std::string& section, const std::string& ident,
                                         const std::string& def) const {
    TRegValue v;
    if (!Find(section, ident, v)) return def;
    if (v.Type == REG_SZ || v.Type == REG_EXPAND_SZ) return v.Text;
    if (v.Type == REG_DWORD) return IntToStr(static_cast<std::int32_t>(v.Dword));
    throw ERegistryException("Invalid data type for '" + ident + "'");
}

int TRegistryIniFile::ReadInteger(const std::string& section, const std::string& ident, int def) const {
    TRegValue v;
    if (!Find(section, ident, v)) return def;
    if (v.Type == REG_DWORD) return static_cast<std::int32_t>(v.Dword);
    if (v.Type == REG_SZ || v.Type == REG_EXPAND_SZ) return StrToIntDef(Trim(v.Text), def);
    throw ERegistryException("Invalid data type for '" + ident + "'");
}

bool TRegistryIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegistryIniFile::Write(const std::string& section, TRegValue value) {
    CheckValueName(value.Name);
    const std::string path = SectionPath(section);
    store_.Update([&](TRegistryData& d) {
        TRegistryData::SetValue(d.CreateKey(path), value);
        return true;
    });
}

void TRegistryIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    if (value.size() > kMaxValueData) throw ERegistryException("The value of '" + ident + "' is longer than 1 MiB");
    if (value.find('\0') != std::string::npos)
        throw ERegistryException("The value of '" + ident + "' may not contain a NUL character");
    if (!IsValidUtf8(value)) throw ERegistryException("The value of '" + ident + "' is not valid text");
    TRegValue v;
    v.Name = ident;
    v.Type = REG_SZ;
    v.Text = value;
    Write(section, std::move(v));
}

void TRegistryIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
    TRegValue v;
    v.Name = ident;
    v.Type = REG_DWORD;
    v.Dword = static_cast<std::uint32_t>(value);
    Write(section, std::move(v));
}

void TRegistryIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteInteger(section, ident, value ? 1 : 0);
}

bool TRegistryIniFile::SectionExists(const std::string& section) const {
    return store_.Load().KeyExists(SectionPath(section));
}

bool TRegistryIniFile::ValueExists(const std::string& section, const std::string& ident) const {
    TRegValue v;
    return Find(section, ident, v);
}

void TRegistryIniFile::ReadSection(const std::string& section, TStringList& names) const {
    names.Clear();
    const TRegistryData data = store_.Load();
    if (const TRegKey* key = data.FindKey(SectionPath(section)))
        for (const TRegValue& v : key->Values) names.Add(v.Name);
}

void TRegistryIniFile::ReadSections(TStringList& names) const {
    names.Clear();
    for (const std::string& n : store_.Load().SubKeyNames(current_)) names.Add(n);
}

void TRegistryIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    CheckValueName(ident);
    const std::string path = SectionPath(section);
    store_.Update([&](TRegistryData& d) {
        TRegKey* key = d.FindKey(path);
        return key && TRegistryData::DeleteValue(*key, ident);
    });
}

void TRegistryIniFile::EraseSection(const std::string& section) {
    const std::string path = SectionPath(section);
    if (path == current_) return;  // the opened key itself is not a section
    store_.Update([&](TRegistryData& d) { return d.DeleteKey(path); });
}

}  // namespace menvaro
