#include "base/StringList.h"

#include <algorithm>

#include "base/CodePage.h"
#include "base/Exceptions.h"
#include "base/Files.h"
#include "base/Streams.h"
#include "base/Strings.h"

namespace menvaro {

TStringList::TStringList(std::initializer_list<std::string> lines) {
    for (const auto& l : lines) items_.push_back({l, nullptr});
}

void TStringList::Check(int i) const {
    if (i < 0 || i >= Count()) throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
}

const std::string& TStringList::operator[](int i) const {
    Check(i);
    return items_[static_cast<std::size_t>(i)].text;
}

void TStringList::SetStrings(int i, std::string s) {
    Check(i);
    items_[static_cast<std::size_t>(i)].text = std::move(s);
    Changed();
}

void* TStringList::Objects(int i) const {
    Check(i);
    return items_[static_cast<std::size_t>(i)].object;
}

void TStringList::SetObjects(int i, void* o) {
    Check(i);
    items_[static_cast<std::size_t>(i)].object = o;
    Changed();
}

int TStringList::Add(std::string s) { return AddObject(std::move(s), nullptr); }

int TStringList::AddObject(std::string s, void* o) {
    items_.push_back({std::move(s), o});
    Changed();
    return Count() - 1;
}

void TStringList::Insert(int i, std::string s) {
    if (i < 0 || i > Count()) throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
    items_.insert(items_.begin() + i, {std::move(s), nullptr});
    Changed();
}

void TStringList::Delete(int i) {
    Check(i);
    items_.erase(items_.begin() + i);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

void TStringList::Assign(const TStringList& other) {
    if (&other == this) return;
    items_ = other.items_;
    Changed();
}

int TStringList::IndexOf(std::string_view s) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (CaseSensitive ? items_[i].text == s : SameText(items_[i].text, s)) return static_cast<int>(i);
    return -1;
}

std::string TStringList::Text() const {
    std::string r;
    for (const auto& it : items_) r.append(it.text).append("\r\n");
    return r;
}

void TStringList::SetText(std::string_view text) {
    items_.clear();
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t i = start;
        while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
        items_.push_back({std::string(text.substr(start, i - start)), nullptr});
        // CR LF, a lone CR and a lone LF each end one line.
        if (i < n && text[i] == '\r') {
            ++i;
            if (i < n && text[i] == '\n') ++i;
        } else if (i < n) {
            ++i;
        }
        start = i;
    }
    Changed();
}

void TStringList::SetText(std::string&& text) {
    const auto at = std::find_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
    const std::size_t brk = at == text.end() ? std::string::npos : static_cast<std::size_t>(at - text.begin());
    const bool oneLine = brk == std::string::npos ||
                         (brk + 2 == text.size() && text[brk] == '\r' && text[brk + 1] == '\n') ||
                         brk + 1 == text.size();
    if (!oneLine || text.empty()) {
        SetText(std::string_view(text));
        return;
    }
    if (brk != std::string::npos) text.resize(brk);
    items_.clear();
    items_.push_back({std::move(text), nullptr});
    Changed();
}

std::string TStringList::Names(int i) const {
    const std::string& s = (*this)[i];
    const std::size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const std::string& s = items_[i].text;
        const std::size_t eq = s.find('=');
        if (eq != std::string::npos && SameText(std::string_view(s).substr(0, eq), name)) return static_cast<int>(i);
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0) return std::string();
    const std::string& s = items_[static_cast<std::size_t>(i)].text;
    return s.substr(s.find('=') + 1);
}

void TStringList::SetValues(std::string_view name, std::string value) {
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    std::string line = std::string(name) + "=" + value;
    if (i >= 0) SetStrings(i, std::move(line));
    else Add(std::move(line));
}

void TStringList::LoadFromFile(const std::string& path, TEncoding encoding) {
    const std::string bytes = ReadFileBytes(path);
    SetText(encoding == TEncoding::GBK ? GbkToUtf8(bytes) : bytes);
}

void TStringList::SaveToFile(const std::string& path, TEncoding encoding) const {
    if (encoding == TEncoding::UTF8) {
        WriteFileAtomic(path, Text());
        return;
    }
    // Line by line into one buffer: the data files can be large.
    std::size_t size = 0;
    for (const auto& it : items_) size += it.text.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& it : items_) {
        AppendUtf8AsGbk(bytes, it.text);
        bytes += "\r\n";
    }
    WriteFileAtomic(path, bytes);
}

void TStringList::LoadFromStream(TStream& stream, TEncoding encoding) {
    const std::int64_t size = stream.Size() - stream.Position();
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    stream.ReadBuffer(bytes.data(), bytes.size());
    SetText(encoding == TEncoding::GBK ? GbkToUtf8(bytes) : bytes);
}

void TStringList::SaveToStream(TStream& stream, TEncoding encoding) const {
    const std::string text = Text();
    const std::string bytes = encoding == TEncoding::GBK ? Utf8ToGbk(text) : text;
    stream.WriteBuffer(bytes.data(), bytes.size());
}

void TStringList::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0 && pending_) {
        pending_ = false;
        if (OnChange) OnChange(*this);
    }
}

void TStringList::Changed() {
    if (updating_ > 0) {
        pending_ = true;
        return;
    }
    if (OnChange) OnChange(*this);
}

std::vector<std::string> TStringList::ToVector() const {
    std::vector<std::string> v;
    v.reserve(items_.size());
    for (const auto& it : items_) v.push_back(it.text);
    return v;
}

bool TStringList::operator==(const TStringList& o) const {
    if (items_.size() != o.items_.size()) return false;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].text != o.items_[i].text) return false;
    return true;
}

}  // namespace menvaro
