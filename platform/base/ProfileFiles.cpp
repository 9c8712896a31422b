#include "base/ProfileFiles.h"

#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "base/CodePage.h"
#include "base/Files.h"
#include "base/Strings.h"

namespace menvaro {

namespace {

// One line of the file as the profile functions see it.
struct TProfileLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::string name;  // section or key name, trimmed
    std::string text;  // the line without its line break
};

TProfileLine ParseLine(std::string_view raw) {
    TProfileLine line;
    line.text = std::string(raw);
    const std::string t = Trim(raw);
    if (t.empty() || t[0] == ';') return line;
    if (t[0] == '[') {
        const std::size_t close = t.find(']');
        line.kind = TProfileLine::Section;
        line.name = Trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return line;
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos) return line;
    line.kind = TProfileLine::Key;
    line.name = Trim(std::string_view(t).substr(0, eq));
    return line;
}

std::vector<TProfileLine> ParseLines(std::string_view data) {
    std::vector<TProfileLine> lines;
    if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string_view::npos) end = data.size();
        std::string_view raw = data.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        lines.push_back(ParseLine(raw));
        start = end + 1;
    }
    return lines;
}

// The first section named `section`: the index of its header, or npos.
std::size_t FindSection(const std::vector<TProfileLine>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == TProfileLine::Section && SameText(lines[i].name, section)) return i;
    return std::string::npos;
}

// The lines after a section's header up to the next header.
std::size_t SectionEnd(const std::vector<TProfileLine>& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != TProfileLine::Section) ++i;
    return i;
}

std::size_t FindKey(const std::vector<TProfileLine>& lines, std::size_t header, std::string_view key) {
    const std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == TProfileLine::Key && SameText(lines[i].name, key)) return i;
    return std::string::npos;
}

std::string ValueOf(const TProfileLine& line) {
    std::string v = Trim(std::string_view(line.text).substr(line.text.find('=') + 1));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    return v;
}

// Cut to what the profile functions' buffer holds, never inside a character.
std::string Bounded(std::string s) {
    if (s.size() <= kProfileValueMax) return s;
    std::size_t n = 0;
    for (;;) {
        const std::size_t next = n + CharLength(s, n);
        if (next > kProfileValueMax) break;
        n = next;
    }
    s.resize(n);
    return s;
}

bool Storable(std::string_view section, std::string_view key, std::string_view value) {
    auto oneLine = [](std::string_view s) { return s.find_first_of("\r\n") == std::string_view::npos; };
    const std::string s = Trim(section), k = Trim(key);
    return !s.empty() && !k.empty() && oneLine(section) && oneLine(key) && oneLine(value) &&
           s.find(']') == std::string::npos && k.find('=') == std::string::npos && k[0] != '[' && k[0] != ';';
}

}  // namespace

std::string ReadProfileString(const std::string& file, std::string_view section, std::string_view key,
                              std::string_view def) {
    try {
        if (FileExists(file)) {
            const std::vector<TProfileLine> lines = ParseLines(ReadFileBytes(file));
            const std::size_t header = FindSection(lines, Trim(section));
            if (header != std::string::npos) {
                const std::size_t at = FindKey(lines, header, Trim(key));
                if (at != std::string::npos) return Bounded(ValueOf(lines[at]));
            }
        }
        return Bounded(TrimRight(def));
    } catch (...) {
        // The profile functions answer the default whatever goes wrong.
        try {
            return Bounded(TrimRight(def));
        } catch (...) {
            return {};
        }
    }
}

bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    if (!Storable(section, key, value)) return false;
    try {
        std::string data;
        struct stat st;
        if (::stat(file.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode)) return false;
            data = ReadFileBytes(file);
        } else if (errno != ENOENT) {
            return false;
        }
        std::vector<TProfileLine> lines = ParseLines(data);
        const std::string s = Trim(section), k = Trim(key);
        TProfileLine entry;
        entry.kind = TProfileLine::Key;
        entry.name = k;
        entry.text = k + "=" + std::string(value);
        const std::size_t header = FindSection(lines, s);
        if (header == std::string::npos) {
            TProfileLine head;
            head.kind = TProfileLine::Section;
            head.name = s;
            head.text = "[" + s + "]";
            lines.push_back(head);
            lines.push_back(entry);
        } else if (const std::size_t at = FindKey(lines, header, k); at != std::string::npos) {
            lines[at] = entry;
        } else {
            // After the section's last line that is not blank.
            std::size_t end = SectionEnd(lines, header);
            while (end > header + 1 && Trim(lines[end - 1].text).empty()) --end;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), entry);
        }
        std::string out;
        for (const TProfileLine& line : lines) out.append(line.text).append("\r\n");
        WriteFileAtomic(file, out);
        return true;
    } catch (...) {
        // The profile functions' writes fail quietly; the caller goes on.
        return false;
    }
}

}  // namespace menvaro
