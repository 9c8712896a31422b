#include "registry/RegistryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <unordered_map>

#include "base/CodePage.h"
#include "base/FileLock.h"
#include "base/Files.h"
#include "base/Strings.h"

namespace menvaro {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

[[noreturn]] void Damaged(const std::string& source, int line, const std::string& what) {
    throw ERegistryException("The settings file \"" + source + "\" is damaged at line " + std::to_string(line) +
                             ": " + what);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at s[i] == '"'; i ends after the closing quote.
bool ReadQuoted(std::string_view s, std::size_t& i, std::string& out) {
    if (i >= s.size() || s[i] != '"') return false;
    ++i;
    out.clear();
    while (i < s.size()) {
        const char c = s[i++];
        if (c == '"') return true;
        if (c == '\\') {
            if (i >= s.size()) return false;
            const char e = s[i++];
            if (e != '\\' && e != '"') return false;
            out += e;
        } else {
            out += c;
        }
    }
    return false;
}

std::string Quote(std::string_view s) {
    std::string r = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') r += '\\';
        r += c;
    }
    return r + "\"";
}

std::string HexBytes(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string r;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) r += ',';
        const auto b = static_cast<unsigned char>(bytes[i]);
        r += digits[b >> 4];
        r += digits[b & 15];
    }
    return r;
}

// UTF-16LE bytes of a REG_SZ kept in hex form, NUL-terminated, <-> text.
std::string TextToUtf16Bytes(std::string_view text) {
    const std::u16string w = Utf8ToUtf16(text);
    std::string r;
    for (char16_t c : w) r += static_cast<char>(c & 0xFF), r += static_cast<char>(c >> 8);
    r += std::string(2, '\0');
    return r;
}

bool Utf16BytesToText(std::string_view bytes, std::string& text) {
    if (bytes.size() % 2) return false;
    std::u16string w;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        w += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    while (!w.empty() && w.back() == 0) w.pop_back();
    if (w.find(char16_t(0)) != std::u16string::npos) return false;
    try {
        text = Utf16ToUtf8(w);
    } catch (const EConvertError&) {
        return false;
    }
    return true;
}

// A quoted text cannot hold a line feed; a carriage return goes into the hex
// form too, so that a tool changing line ends cannot change the value. The
// hex form ends at a NUL, so a text holding one stays quoted (a file can
// hold such a text only quoted, without a line feed).
bool NeedsHexForm(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        if (text.find('\n') != std::string_view::npos)
            throw ERegistryException("A registry text value may not hold both a NUL character and a line feed");
        return false;
    }
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string NormaliseKeyPath(std::string_view path) {
    if (path.find('\0') != std::string_view::npos)
        throw ERegistryException("A registry key name may not contain a NUL character");
    // A key line of the file ends at a line feed.
    if (path.find('\n') != std::string_view::npos)
        throw ERegistryException("A registry key name may not contain a line feed");
    std::string_view p = path;
    while (!p.empty() && p.front() == '\\') p.remove_prefix(1);
    while (!p.empty() && p.back() == '\\') p.remove_suffix(1);
    if (p.empty()) return std::string();
    for (const std::string& part : SplitString(p, '\\')) {
        if (part.empty()) throw ERegistryException("The registry key name \"" + std::string(path) + "\" has an empty part");
        if (part.size() > kMaxKeyComponent)
            throw ERegistryException("A part of the registry key name \"" + std::string(path).substr(0, 64) +
                                     "...\" is longer than 255 characters");
        if (!IsValidUtf8(part)) throw ERegistryException("A registry key name is not valid text");
    }
    return std::string(p);
}

void CheckValueName(std::string_view name) {
    if (name.find('\0') != std::string_view::npos)
        throw ERegistryException("A registry value name may not contain a NUL character");
    if (name.find('\n') != std::string_view::npos)
        throw ERegistryException("A registry value name may not contain a line feed");
    if (name.size() > kMaxValueName) throw ERegistryException("A registry value name is longer than 16383 characters");
    if (!IsValidUtf8(name)) throw ERegistryException("A registry value name is not valid text");
}

// ---- TRegistryData ----

TRegistryData TRegistryData::Parse(std::string_view text, const std::string& source) {
    TRegistryData data;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (!IsValidUtf8(text)) throw ERegistryException("The settings file \"" + source + "\" is not UTF-8 text");

    // Physical lines, each with its number; values in hex form continue on
    // the next line after a trailing backslash.
    std::vector<std::pair<int, std::string>> lines;
    {
        int n = 0;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string line(text.substr(start, end - start));
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.emplace_back(++n, std::move(line));
            if (end == text.size()) break;
            start = end + 1;
        }
    }

    // Keys and values by their names without regard to letter case, so that
    // reading stays linear in the size of the file.
    std::unordered_map<std::string, std::size_t> keyIndex;
    std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
    bool headerSeen = false;
    TRegKey* current = nullptr;
    std::size_t currentIndex = 0;
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const int lineNo = lines[li].first;
        std::string line = Trim(lines[li].second);
        if (line.empty() || line[0] == ';') continue;
        if (!headerSeen) {
            if (line != kHeader && line != "REGEDIT4")
                Damaged(source, lineNo, "the first line must be \"" + std::string(kHeader) + "\"");
            headerSeen = true;
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']') Damaged(source, lineNo, "a key line must end with \"]\"");
            std::string name = line.substr(1, line.size() - 2);
            if (!name.empty() && name[0] == '-') Damaged(source, lineNo, "key deletions are not kept in a settings file");
            const std::size_t sep = name.find('\\');
            const std::string root = name.substr(0, sep);
            if (!SameText(root, kRoot)) Damaged(source, lineNo, "only keys under HKEY_LOCAL_MACHINE are kept here");
            std::string path;
            try {
                path = NormaliseKeyPath(sep == std::string::npos ? std::string() : name.substr(sep + 1));
            } catch (const ERegistryException& e) {
                Damaged(source, lineNo, e.Message());
            }
            const auto [at, added] = keyIndex.emplace(LowerCase(path), data.keys_.size());
            if (added) {
                data.keys_.push_back(TRegKey{path, {}});
                valueIndex.emplace_back();
            }
            currentIndex = at->second;
            current = &data.keys_[currentIndex];
            continue;
        }
        if (!current) Damaged(source, lineNo, "a value must follow a key line");

        TRegValue v;
        std::size_t i = 0;
        if (line[0] == '@') {
            i = 1;
        } else if (!ReadQuoted(line, i, v.Name)) {
            Damaged(source, lineNo, "a value name must be written in double quotes");
        }
        if (i >= line.size() || line[i] != '=') Damaged(source, lineNo, "\"=\" expected after the value name");
        ++i;
        std::string rest = line.substr(i);
        if (!rest.empty() && rest[0] == '"') {
            std::size_t k = 0;
            if (!ReadQuoted(rest, k, v.Text) || Trim(rest.substr(k)) != "")
                Damaged(source, lineNo, "a text value must be one quoted text");
            v.Type = REG_SZ;
        } else if (StartsText("dword:", rest)) {
            const std::string digits = Trim(rest.substr(6));
            if (digits.size() != 8) Damaged(source, lineNo, "a dword value must have 8 hexadecimal digits");
            std::uint32_t d = 0;
            for (char c : digits) {
                const int h = HexDigit(c);
                if (h < 0) Damaged(source, lineNo, "a dword value must have 8 hexadecimal digits");
                d = d << 4 | static_cast<std::uint32_t>(h);
            }
            v.Type = REG_DWORD;
            v.Dword = d;
        } else if (StartsText("hex", rest)) {
            std::size_t k = 3;
            std::uint32_t type = REG_BINARY;
            if (k < rest.size() && rest[k] == '(') {
                const std::size_t close = rest.find(')', k);
                if (close == std::string::npos) Damaged(source, lineNo, "\")\" expected in a hex type");
                type = 0;
                for (std::size_t t = k + 1; t < close; ++t) {
                    const int h = HexDigit(rest[t]);
                    if (h < 0 || type > 0x0FFFFFFF) Damaged(source, lineNo, "bad hex type number");
                    type = type << 4 | static_cast<std::uint32_t>(h);
                }
                k = close + 1;
            }
            if (k >= rest.size() || rest[k] != ':') Damaged(source, lineNo, "\":\" expected after hex");
            std::string body = TrimRight(rest.substr(k + 1));
            // Continuation lines: a trailing backslash, then more bytes on the next line.
            while (!body.empty() && body.back() == '\\') {
                body.pop_back();
                if (++li >= lines.size()) Damaged(source, lineNo, "the file ends inside a hex value");
                const std::string more = Trim(lines[li].second);
                if (more.empty()) Damaged(source, lineNo, "a hex value continues on a blank line");
                body += more;
            }
            std::string bytes;
            for (const std::string& part : SplitString(body, ',')) {
                const std::string b = Trim(part);
                if (b.empty() && body.find_first_not_of(" \t") == std::string::npos) break;
                if (b.size() != 2 || HexDigit(b[0]) < 0 || HexDigit(b[1]) < 0)
                    Damaged(source, lineNo, "hex data must be two-digit bytes separated by commas");
                bytes += static_cast<char>(HexDigit(b[0]) << 4 | HexDigit(b[1]));
            }
            v.Type = type;
            if (type == REG_SZ || type == REG_EXPAND_SZ) {
                if (!Utf16BytesToText(bytes, v.Text)) Damaged(source, lineNo, "a text value in hex form is not UTF-16 text");
            } else if (type == REG_DWORD && bytes.size() == 4) {
                v.Dword = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0]) |
                                                     static_cast<unsigned char>(bytes[1]) << 8 |
                                                     static_cast<unsigned char>(bytes[2]) << 16 |
                                                     static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3])) << 24);
            } else {
                v.Bytes = std::move(bytes);
            }
        } else if (rest == "-") {
            Damaged(source, lineNo, "value deletions are not kept in a settings file");
        } else {
            Damaged(source, lineNo, "unknown value form \"" + rest.substr(0, 20) + "\"");
        }
        const auto [at, added] = valueIndex[currentIndex].emplace(LowerCase(v.Name), current->Values.size());
        if (added)
            current->Values.push_back(std::move(v));
        else
            current->Values[at->second] = std::move(v);  // the later one wins, in the earlier one's place
    }
    if (!headerSeen && !Trim(text).empty()) Damaged(source, 1, "the header line is missing");
    return data;
}

std::string TRegistryData::Serialize() const {
    std::string out(kHeader);
    out += "\r\n\r\n";
    for (const TRegKey& k : keys_) {
        out += "[" + std::string(kRoot) + (k.Path.empty() ? "" : "\\" + k.Path) + "]\r\n";
        for (const TRegValue& v : k.Values) {
            out += v.Name.empty() ? std::string("@") : Quote(v.Name);
            out += '=';
            if ((v.Type == REG_SZ) && !NeedsHexForm(v.Text)) {
                out += Quote(v.Text);
            } else if (v.Type == REG_SZ || v.Type == REG_EXPAND_SZ) {
                out += "hex(" + std::string(v.Type == REG_SZ ? "1" : "2") + "):" + HexBytes(TextToUtf16Bytes(v.Text));
            } else if (v.Type == REG_DWORD && v.Bytes.empty()) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08x", v.Dword);
                out += buf;
            } else if (v.Type == REG_BINARY) {
                out += "hex:" + HexBytes(v.Bytes);
            } else {
                char buf[24];
                std::snprintf(buf, sizeof buf, "hex(%x):", v.Type);
                out += buf + HexBytes(v.Bytes);
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

TRegKey* TRegistryData::FindKey(std::string_view path) {
    for (TRegKey& k : keys_)
        if (SameText(k.Path, path)) return &k;
    return nullptr;
}

const TRegKey* TRegistryData::FindKey(std::string_view path) const {
    return const_cast<TRegistryData*>(this)->FindKey(path);
}

bool TRegistryData::KeyExists(std::string_view path) const {
    if (path.empty()) return true;
    for (const TRegKey& k : keys_)
        if (SameText(k.Path, path) || (k.Path.size() > path.size() && k.Path[path.size()] == '\\' &&
                                       SameText(std::string_view(k.Path).substr(0, path.size()), path)))
            return true;
    return false;
}

TRegKey& TRegistryData::CreateKey(std::string_view path) {
    if (TRegKey* k = FindKey(path)) return *k;
    keys_.push_back(TRegKey{std::string(path), {}});
    return keys_.back();
}

bool TRegistryData::DeleteKey(std::string_view path) {
    const std::size_t before = keys_.size();
    std::erase_if(keys_, [&](const TRegKey& k) {
        return SameText(k.Path, path) || (k.Path.size() > path.size() && k.Path[path.size()] == '\\' &&
                                          SameText(std::string_view(k.Path).substr(0, path.size()), path));
    });
    return keys_.size() != before;
}

std::vector<std::string> TRegistryData::SubKeyNames(std::string_view path) const {
    std::vector<std::string> names;
    const std::size_t skip = path.empty() ? 0 : path.size() + 1;
    for (const TRegKey& k : keys_) {
        if (k.Path.size() <= skip) continue;
        if (!path.empty() && (k.Path[path.size()] != '\\' || !SameText(std::string_view(k.Path).substr(0, path.size()), path)))
            continue;
        const std::string child = k.Path.substr(skip, k.Path.find('\\', skip) - skip);
        bool seen = false;
        for (const auto& n : names) seen = seen || SameText(n, child);
        if (!seen) names.push_back(child);
    }
    return names;
}

const TRegValue* TRegistryData::FindValue(const TRegKey& key, std::string_view name) {
    for (const TRegValue& v : key.Values)
        if (SameText(v.Name, name)) return &v;
    return nullptr;
}

void TRegistryData::SetValue(TRegKey& key, TRegValue value) {
    for (TRegValue& v : key.Values)
        if (SameText(v.Name, value.Name)) {
            v = std::move(value);
            return;
        }
    key.Values.push_back(std::move(value));
}

bool TRegistryData::DeleteValue(TRegKey& key, std::string_view name) {
    const std::size_t before = key.Values.size();
    std::erase_if(key.Values, [&](const TRegValue& v) { return SameText(v.Name, name); });
    return key.Values.size() != before;
}

// ---- TRegistryStore ----

std::string TRegistryStore::DefaultPath() {
    if (const char* p = std::getenv("MENVARO_REGISTRY"); p && *p) return p;
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
        base = x;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.config";
    }
    return IncludeTrailingPathDelimiter(base) + "menvaro/registry.reg";
}

TRegistryStore::TRegistryStore(std::string path, std::chrono::milliseconds lockWait)
    : path_(std::move(path)), lockWait_(lockWait) {}

namespace {

// A lock file made now gets the settings file's owner and mode, so that a
// run as root leaves the file's owner able to lock it; one that is there
// already is used as it is.
void MakeLockFileLike(const std::string& lockPath, const std::string& storePath) {
    struct stat st;
    if (::stat(storePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return;  // there already, or not to be made: opening it tells which
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    (void)!::fchmod(fd, st.st_mode & 07777);
    ::close(fd);
}

// Holds the lock on "<file>.lock" for its lifetime. A program that keeps the
// lock (hung, or stopped in a debugger) makes the others fail after a
// bounded wait, with the file named, as a damaged file does.
class StoreLock {
public:
    StoreLock(const std::string& storePath, bool exclusive, std::chrono::milliseconds wait) {
        MakeLockFileLike(storePath + ".lock", storePath);
        if (!lock_.Open(storePath + ".lock", exclusive)) {
            // A reader of a store it may not write still reads a consistent
            // file: writers replace it by rename.
            if (!exclusive && (errno == EACCES || errno == EROFS || errno == ENOENT)) return;
            throw ERegistryException("Cannot lock the settings file \"" + storePath + "\": " + SysErrorMessage(errno));
        }
        bool locked = false;
        try {
            locked = lock_.Lock(wait);
        } catch (const EInOutError& e) {
            throw ERegistryException("Cannot lock the settings file \"" + storePath + "\": " + e.Message());
        }
        if (!locked)
            throw ERegistryException("The settings file \"" + storePath +
                                     "\" is held by another program: it could not be read");
    }

private:
    TFileLock lock_;
};

TRegistryData LoadUnlocked(const std::string& path) {
    if (!FileExists(path)) {
        if (DirectoryExists(path)) throw ERegistryException("The settings file \"" + path + "\" is a folder");
        return TRegistryData();
    }
    std::string text;
    try {
        text = ReadFileBytes(path);
    } catch (const Exception& e) {
        throw ERegistryException("Cannot read the settings file: " + e.Message());
    }
    return TRegistryData::Parse(text, path);
}

}  // namespace

TRegistryData TRegistryStore::Load() const {
    if (!FileExists(path_)) return LoadUnlocked(path_);
    StoreLock lock(path_, false, lockWait_);
    return LoadUnlocked(path_);
}

void TRegistryStore::Update(const std::function<bool(TRegistryData&)>& change) const {
    const std::string dir = ExtractFileDir(path_);
    if (!dir.empty() && !DirectoryExists(dir) && !ForceDirectories(dir))
        throw ERegistryException("Cannot create the folder of the settings file \"" + path_ + "\": " +
                                 SysErrorMessage(errno));
    StoreLock lock(path_, true, lockWait_);
    TRegistryData data = LoadUnlocked(path_);
    if (!change(data)) return;
    try {
        const std::string text = data.Serialize();
        // The new file keeps the owner and mode of the one it replaces: it
        // may hold a password, and a run as root must not take it from its user.
        struct stat st;
        if (::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            TFileReplacement file(path_, text, 0600);
            file.SetOwnerAndMode(st.st_uid, st.st_gid, st.st_mode);
            file.Commit();
        } else {
            WriteFileAtomic(path_, text);
        }
    } catch (const Exception& e) {
        throw ERegistryException("Cannot write the settings file: " + e.Message());
    }
}

}  // namespace menvaro
