// TStringList: an ordered list of text lines, each optionally carrying an
// object pointer, with the class library's text rules.
#pragma once

#include <cstddef>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace menvaro {

class TStream;

// Encoding of a file's bytes; in memory text is always UTF-8.
enum class TEncoding { UTF8, GBK };

class TStringList {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> lines);
    virtual ~TStringList() = default;
    TStringList(const TStringList&) = default;
    TStringList& operator=(const TStringList&) = default;

    int Count() const { return static_cast<int>(items_.size()); }
    // Indexing is checked: EStringListError "List index out of bounds (i)".
    const std::string& operator[](int i) const;
    const std::string& Strings(int i) const { return (*this)[i]; }
    void SetStrings(int i, std::string s);
    void* Objects(int i) const;
    void SetObjects(int i, void* o);

    int Add(std::string s);
    int AddObject(std::string s, void* o);
    void Insert(int i, std::string s);
    void Delete(int i);
    void Clear();
    void Assign(const TStringList& other);
    // Position of the first line equal to `s` (letter case ignored unless
    // CaseSensitive), or -1.
    int IndexOf(std::string_view s) const;

    bool CaseSensitive = false;

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, LF or CR; a line break at the very end ends the last
    // line and adds no empty one.
    void SetText(std::string_view text);
    // The same; a text of one line takes over the buffer instead of copying it.
    void SetText(std::string&& text);
    void SetText(const char* text) { SetText(std::string_view(text)); }

    // "Name=Value" lines.
    std::string Names(int i) const;
    std::string Values(std::string_view name) const;
    void SetValues(std::string_view name, std::string value);
    int IndexOfName(std::string_view name) const;

    // Files hold the text (every line followed by CR LF) in `encoding`.
    // Saving writes a temporary file and renames it into place.
    void LoadFromFile(const std::string& path, TEncoding encoding = TEncoding::UTF8);
    void SaveToFile(const std::string& path, TEncoding encoding = TEncoding::UTF8) const;
    void LoadFromStream(TStream& stream, TEncoding encoding = TEncoding::UTF8);
    void SaveToStream(TStream& stream, TEncoding encoding = TEncoding::UTF8) const;

    // Called after every change, unless inside BeginUpdate/EndUpdate (then once at the end).
    std::function<void(TStringList&)> OnChange;
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    // Iteration yields the lines' texts.
    class const_iterator;
    const_iterator begin() const;
    const_iterator end() const;
    std::vector<std::string> ToVector() const;

    bool operator==(const TStringList& o) const;

protected:
    void Changed();

private:
    struct Item {
        std::string text;
        void* object = nullptr;
    };
    void Check(int i) const;

    std::vector<Item> items_;
    int updating_ = 0;
    bool pending_ = false;
};

class TStringList::const_iterator {
public:
    using value_type = std::string;
    using reference = const std::string&;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::forward_iterator_tag;
    const_iterator() = default;
    reference operator*() const { return it_->text; }
    const std::string* operator->() const { return &it_->text; }
    const_iterator& operator++() {
        ++it_;
        return *this;
    }
    const_iterator operator++(int) {
        const_iterator r = *this;
        ++it_;
        return r;
    }
    bool operator==(const const_iterator& o) const { return it_ == o.it_; }

private:
    friend class TStringList;
    explicit const_iterator(std::vector<Item>::const_iterator it) : it_(it) {}
    std::vector<Item>::const_iterator it_;
};

inline TStringList::const_iterator TStringList::begin() const { return const_iterator(items_.begin()); }
inline TStringList::const_iterator TStringList::end() const { return const_iterator(items_.end()); }

using TStrings = TStringList;

}  // namespace menvaro
