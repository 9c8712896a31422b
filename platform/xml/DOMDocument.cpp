#include "xml/DOMDocument.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "base/CodePage.h"
#include "base/Files.h"

namespace menvaro {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

enum class Kind : std::uint8_t { Document, Element, Text, CData, Comment, PI, Declaration, Doctype };

// A text kept in the document's text blocks.
struct Str {
    std::uint32_t ref = 0;  // block << kBlockBits | position
    std::uint32_t length = 0;
};

struct Node {
    Str name;   // of elements, processing instructions and declarations
    Str value;  // of text-like nodes; of an element, the text before its children
    std::uint32_t parent = kNone, first = kNone, last = kNone, next = kNone, attributes = kNone;
    Kind kind = Kind::Element;
};

struct Attribute {
    Str name, value;
    std::uint32_t next = kNone;
};

// Items in blocks of a fixed count: growing never moves what is there and
// never asks for twice the memory at once.
template <class T, std::size_t PerBlock>
class Blocks {
public:
    std::uint32_t size() const { return size_; }
    T& operator[](std::uint32_t i) { return blocks_[i / PerBlock][i % PerBlock]; }
    const T& operator[](std::uint32_t i) const { return blocks_[i / PerBlock][i % PerBlock]; }
    std::uint32_t push_back(const T& item) {
        if (size_ == kNone) throw EXMLError("The XML document has too many nodes");
        if (size_ % PerBlock == 0) blocks_.push_back(std::make_unique<T[]>(PerBlock));
        (*this)[size_] = item;
        return size_++;
    }
    void clear() {
        blocks_.clear();
        blocks_.shrink_to_fit();
        size_ = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    std::uint32_t size_ = 0;
};

constexpr unsigned kBlockBits = 18;  // texts of 256 KiB a block, larger ones in a block of their own

class Texts {
public:
    Str Keep(std::string_view s) {
        if (s.empty()) return {};
        if (s.size() > std::numeric_limits<std::uint32_t>::max()) throw EXMLError("The XML text is too long");
        constexpr std::size_t blockSize = std::size_t{1} << kBlockBits;
        if (blocks_.empty() || used_ + s.size() > blockSize) {
            if (blocks_.size() >= (std::size_t{1} << (32 - kBlockBits)))
                throw EXMLError("The XML document is too large");
            // Not zeroed: a block's pages cost memory only once written.
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(std::max(blockSize, s.size())));
            used_ = 0;
        }
        const Str r{static_cast<std::uint32_t>((blocks_.size() - 1) << kBlockBits | used_),
                    static_cast<std::uint32_t>(s.size())};
        std::copy(s.begin(), s.end(), blocks_.back().get() + used_);
        // A text larger than a block fills its own.
        used_ = s.size() > blockSize ? blockSize : used_ + s.size();
        total_ += s.size();
        return r;
    }
    std::string_view View(Str s) const {
        if (s.length == 0) return {};
        return {blocks_[s.ref >> kBlockBits].get() + (s.ref & ((1u << kBlockBits) - 1)), s.length};
    }
    std::size_t Total() const { return total_; }
    void clear() {
        blocks_.clear();
        blocks_.shrink_to_fit();
        used_ = total_ = 0;
    }

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = 0, total_ = 0;
};

}  // namespace

// Node 0 is the document; its children are the top-level nodes. Elements
// that are created but not yet appended have no parent and are left out of
// the text. Clearing the document frees its blocks and bumps the generation,
// so that handles into the old tree raise instead of reading another node.
struct DOMDocument::Impl {
    long refs = 1;
    Blocks<Node, 4096> nodes;
    Blocks<Attribute, 4096> attributes;
    Texts texts;
    unsigned generation = 1;
    std::string parseError;
    std::size_t lastFileSize = 0;  // a hint for the next file's buffer
    std::array<Str, 256> names{};  // the names met last, by a hash of their text

    Impl() { Reset(); }

    void Reset() {
        nodes.clear();
        attributes.clear();
        texts.clear();
        names.fill(Str{});
        Node document;
        document.kind = Kind::Document;
        nodes.push_back(document);
        ++generation;
    }

    std::string_view View(Str s) const { return texts.View(s); }

    std::uint32_t NewNode(Kind kind, std::string_view name, std::string_view value) {
        Node n;
        n.kind = kind;
        n.name = texts.Keep(name);
        n.value = texts.Keep(value);
        return nodes.push_back(n);
    }

    void Unlink(std::uint32_t child) {
        Node& c = nodes[child];
        if (c.parent == kNone) return;
        Node& p = nodes[c.parent];
        std::uint32_t prev = kNone;
        for (std::uint32_t i = p.first; i != child; i = nodes[i].next) prev = i;
        (prev == kNone ? p.first : nodes[prev].next) = c.next;
        if (p.last == child) p.last = prev;
        c.parent = c.next = kNone;
    }

    void Append(std::uint32_t parent, std::uint32_t child) {
        Unlink(child);
        Node& p = nodes[parent];
        (p.last == kNone ? p.first : nodes[p.last].next) = child;
        p.last = child;
        nodes[child].parent = parent;
    }

    bool IsAncestorOrSelf(std::uint32_t candidate, std::uint32_t of) const {
        for (std::uint32_t i = of; i != kNone; i = nodes[i].parent)
            if (i == candidate) return true;
        return false;
    }

    std::uint32_t Root() const {
        for (std::uint32_t n = nodes[0].first; n != kNone; n = nodes[n].next)
            if (nodes[n].kind == Kind::Element) return n;
        return kNone;
    }

    std::uint32_t FindAttribute(std::uint32_t node, std::string_view name) const {
        for (std::uint32_t a = nodes[node].attributes; a != kNone; a = attributes[a].next)
            if (View(attributes[a].name) == name) return a;
        return kNone;
    }

    void AddAttribute(std::uint32_t node, std::string_view name, std::string_view value) {
        AddAttribute(node, texts.Keep(name), value);
    }
    void AddAttribute(std::uint32_t node, Str name, std::string_view value) {
        Attribute a;
        a.name = name;
        a.value = texts.Keep(value);
        const std::uint32_t added = attributes.push_back(a);
        std::uint32_t* link = &nodes[node].attributes;
        while (*link != kNone) link = &attributes[*link].next;
        *link = added;
    }

    // An element or attribute name, checked and kept once: a document has
    // few names, met again and again. Raises for a name that is not one.
    Str KnownName(std::string_view name, const char* what);

    // The library's parsed tree below `from`, appended to `to`.
    void Copy(pugi::xml_node from, std::uint32_t to);
};

namespace {

bool IsNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(char32_t c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool IsAsciiNameChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.';
}

void CheckName(std::string_view name, const char* what) {
    if (name.empty()) throw EXMLError(std::string("An ") + what + " name must not be empty");
    // The names of the data files: ASCII letters and digits after a letter.
    const auto c0 = static_cast<unsigned char>(name[0]);
    if (c0 < 0x80 && IsNameStart(c0) && std::all_of(name.begin() + 1, name.end(), [](char c) {
            return IsAsciiNameChar(static_cast<unsigned char>(c));
        }))
        return;
    std::size_t i = 0;
    bool first = true;
    while (i < name.size()) {
        char32_t c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) {
            ++i;
        } else {
            const std::size_t n = DecodeUtf8(name, i, c);
            if (n == 0) throw EXMLError(std::string("The ") + what + " name is not valid UTF-8 text");
            i += n;
        }
        if (first ? !IsNameStart(c) : !IsNameChar(c))
            throw EXMLError(std::string("'") + std::string(name) + "' is not a valid " + what + " name");
        first = false;
    }
}

// The character at s[i] and its length, 0 for bytes that are not UTF-8: as
// DecodeUtf8, with the three bytes of most Chinese text decoded here.
std::size_t DecodeAt(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if ((b0 & 0xF0) == 0xE0 && i + 2 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80 &&
        (static_cast<unsigned char>(s[i + 2]) & 0xC0) == 0x80) {
        cp = (b0 & 0x0Fu) << 12 | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6 |
             (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
        return cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) ? 3 : 0;
    }
    return DecodeUtf8(s, i, cp);
}

// XML 1.0 holds tab, line feed, carriage return and the characters from the
// blank on, except the surrogates and U+FFFE/U+FFFF.
void CheckText(std::string_view text, const char* where) {
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x80) {
            ++i;
            continue;
        }
        if (c < 0x80) {
            ++i;
        } else {
            const std::size_t n = DecodeAt(text, i, c);
            if (n == 0) throw EXMLError(std::string("The ") + where + " is not valid UTF-8 text");
            i += n;
        }
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF) {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(c));
            throw EXMLError(std::string("The ") + where + " holds the character U+" + code + ", which XML cannot hold");
        }
    }
}

// What a piece of text needs on its way out.
enum class Escape { None, Text, Attribute };

// Bytes written in place, without the zeroing a string's resize does: pages
// reserved but never written cost no memory.
class Buffer {
public:
    explicit Buffer(std::size_t capacity)
        : data_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(capacity, 64))),
          capacity_(std::max<std::size_t>(capacity, 64)) {}
    char* Room(std::size_t n) {
        if (size_ + n > capacity_) Grow(n);
        return data_.get() + size_;
    }
    void Used(std::size_t n) { size_ += n; }
    void Append(const char* s, std::size_t n) {
        std::memcpy(Room(n), s, n);
        size_ += n;
    }
    std::string_view View() const { return {data_.get(), size_}; }

private:
    void Grow(std::size_t n) {
        const std::size_t capacity = std::max(capacity_ * 2, size_ + n);
        auto more = std::make_unique_for_overwrite<char[]>(capacity);
        std::memcpy(more.get(), data_.get(), size_);
        data_ = std::move(more);
        capacity_ = capacity;
    }
    std::unique_ptr<char[]> data_;
    std::size_t capacity_, size_ = 0;
};

// The xml text, or the bytes of its file: then every line break becomes
// CR LF (a CR LF, a lone CR and a lone LF alike, also across pieces) and the
// text goes into the file's encoding as it is written.
class Writer {
public:
    Writer(const DOMDocument::Impl& doc, Buffer& out, bool file, TEncoding encoding)
        : doc_(doc), out_(out), gbk_(file && encoding == TEncoding::GBK) {
        for (auto& table : special_) {
            table.fill(false);
            if (file) table['\r'] = table['\n'] = true;
            if (gbk_)
                for (int c = 0x80; c < 0x100; ++c) table[c] = true;
        }
        for (unsigned char c : {'&', '<', '>'}) special_[static_cast<int>(Escape::Text)][c] = true;
        for (unsigned char c : {'&', '<', '"'}) special_[static_cast<int>(Escape::Attribute)][c] = true;
        if (gbk_) gbk_table_ = GbkBytesOfBmp();
    }

    void Node(std::uint32_t i) {
        const menvaro::Node& n = doc_.nodes[i];
        switch (n.kind) {
            case Kind::Document: return;
            case Kind::Element: {
                Markup("<", 1);
                Put(doc_.View(n.name), Escape::None);
                Attributes(n);
                if (n.value.length == 0 && n.first == kNone) {
                    Markup("/>", 2);
                    return;
                }
                Markup(">", 1);
                Put(doc_.View(n.value), Escape::Text);
                for (std::uint32_t c = n.first; c != kNone; c = doc_.nodes[c].next) Node(c);
                Markup("</", 2);
                Put(doc_.View(n.name), Escape::None);
                Markup(">", 1);
                return;
            }
            case Kind::Text: Put(doc_.View(n.value), Escape::Text); return;
            case Kind::CData:
                Markup("<![CDATA[", 9);
                Put(doc_.View(n.value), Escape::None);
                Markup("]]>", 3);
                return;
            case Kind::Comment:
                Markup("<!--", 4);
                Put(doc_.View(n.value), Escape::None);
                Markup("-->", 3);
                return;
            case Kind::PI:
            case Kind::Declaration:
                Markup("<?", 2);
                Put(doc_.View(n.name), Escape::None);
                if (n.kind == Kind::Declaration) {
                    Attributes(n);
                } else if (n.value.length != 0) {
                    Markup(" ", 1);
                    Put(doc_.View(n.value), Escape::None);
                }
                Markup("?>", 2);
                return;
            case Kind::Doctype:
                Markup("<!DOCTYPE ", 10);
                Put(doc_.View(n.value), Escape::None);
                Markup(">", 1);
                return;
        }
    }

    // Every top-level node followed by a line break.
    void Document() {
        for (std::uint32_t n = doc_.nodes[0].first; n != kNone; n = doc_.nodes[n].next) {
            Node(n);
            Put("\r\n", Escape::None);
        }
    }

private:
    void Attributes(const menvaro::Node& n) {
        for (std::uint32_t a = n.attributes; a != kNone; a = doc_.attributes[a].next) {
            Markup(" ", 1);
            Put(doc_.View(doc_.attributes[a].name), Escape::None);
            Markup("=\"", 2);
            Put(doc_.View(doc_.attributes[a].value), Escape::Attribute);
            Markup("\"", 1);
        }
    }

    // ASCII markup: the same bytes in every encoding.
    void Markup(const char* s, std::size_t n) {
        out_.Append(s, n);
        afterCr_ = false;
    }

    // The character at s[i] in GBK; answers the bytes it took.
    std::size_t Gbk(std::string_view s, std::size_t i) {
        char32_t cp;
        const std::size_t n = DecodeAt(s, i, cp);
        if (n == 0) throw EConvertError("text is not valid UTF-8 (byte offset " + std::to_string(i) + ")");
        const std::uint32_t e = cp < 0x10000 ? gbk_table_[cp] : 0;
        char* p = out_.Room(2);
        if (e == 0) {
            // One "?" for each UTF-16 unit of a character GBK cannot hold.
            p[0] = p[1] = '?';
            out_.Used(cp >= 0x10000 ? 2 : 1);
        } else if (e >> 24 == 1) {
            p[0] = static_cast<char>(e & 0xFF);
            out_.Used(1);
        } else {
            p[0] = static_cast<char>((e >> 8) & 0xFF);
            p[1] = static_cast<char>(e & 0xFF);
            out_.Used(2);
        }
        afterCr_ = false;
        return n;
    }

    void Put(std::string_view s, Escape escape) {
        const auto& special = special_[static_cast<int>(escape)];
        std::size_t i = 0;
        while (i < s.size()) {
            const std::size_t start = i;
            while (i < s.size() && !special[static_cast<unsigned char>(s[i])]) ++i;
            if (i > start) {
                out_.Append(s.data() + start, i - start);
                afterCr_ = false;
            }
            if (i == s.size()) break;
            const unsigned char c = static_cast<unsigned char>(s[i]);
            if (c >= 0x80) {
                i += Gbk(s, i);
                continue;
            }
            ++i;
            switch (c) {
                case '&': Markup("&amp;", 5); break;
                case '<': Markup("&lt;", 4); break;
                case '>': Markup("&gt;", 4); break;
                case '"': Markup("&quot;", 6); break;
                case '\r':
                    Markup("\r\n", 2);
                    afterCr_ = true;
                    break;
                case '\n':
                    if (!afterCr_) Markup("\r\n", 2);
                    afterCr_ = false;
                    break;
            }
        }
    }

    const DOMDocument::Impl& doc_;
    Buffer& out_;
    bool gbk_;
    bool afterCr_ = false;
    const std::uint32_t* gbk_table_ = nullptr;
    std::array<std::array<bool, 256>, 3> special_;
};

void CollectText(const DOMDocument::Impl& doc, std::string& out, std::uint32_t i) {
    const Node& n = doc.nodes[i];
    out += doc.View(n.value);
    for (std::uint32_t c = n.first; c != kNone; c = doc.nodes[c].next) {
        const Kind k = doc.nodes[c].kind;
        if (k == Kind::Text || k == Kind::CData)
            out += doc.View(doc.nodes[c].value);
        else if (k == Kind::Element)
            CollectText(doc, out, c);
    }
}

}  // namespace

Str DOMDocument::Impl::KnownName(std::string_view name, const char* what) {
    std::uint32_t h = 2166136261u;
    for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    Str& known = names[h & (names.size() - 1)];
    if (!name.empty() && known.length == name.size() && View(known) == name) return known;
    CheckName(name, what);
    known = texts.Keep(name);
    return known;
}

void DOMDocument::Impl::Copy(pugi::xml_node from, std::uint32_t to) {
    for (pugi::xml_node n = from.first_child(); n; n = n.next_sibling()) {
        std::uint32_t made = kNone;
        switch (n.type()) {
            case pugi::node_element: made = NewNode(Kind::Element, n.name(), {}); break;
            case pugi::node_pcdata: made = NewNode(Kind::Text, {}, n.value()); break;
            case pugi::node_cdata: made = NewNode(Kind::CData, {}, n.value()); break;
            case pugi::node_comment: made = NewNode(Kind::Comment, {}, n.value()); break;
            case pugi::node_pi: made = NewNode(Kind::PI, n.name(), n.value()); break;
            case pugi::node_declaration: made = NewNode(Kind::Declaration, n.name(), {}); break;
            case pugi::node_doctype: made = NewNode(Kind::Doctype, {}, n.value()); break;
            default: continue;
        }
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
            AddAttribute(made, a.name(), a.value());
        Append(to, made);
        if (n.type() == pugi::node_element) Copy(n, made);
    }
}

void DOMDocument::Ref::Acquire(Impl* p) {
    if (p) ++p->refs;
}

void DOMDocument::Ref::Release(Impl* p) {
    // The last handle owns the tree.
    if (p && --p->refs == 0) std::unique_ptr<Impl> last(p);
}

DOMDocument::DOMDocument() : impl_(std::make_unique<Impl>().release()) {}

bool DOMDocument::loadXML(std::string_view text) {
    impl_->Reset();
    impl_->parseError.clear();
    if (text.empty()) return true;
    pugi::xml_document parsed;
    const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_pi | pugi::parse_comments |
                             pugi::parse_doctype;
    const pugi::xml_parse_result r = parsed.load_buffer(text.data(), text.size(), options, pugi::encoding_utf8);
    if (!r) {
        impl_->parseError = std::string(r.description()) + " at offset " + std::to_string(r.offset);
        return false;
    }
    int roots = 0;
    for (pugi::xml_node n = parsed.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element) ++roots;
    if (roots != 1) {
        impl_->parseError = roots == 0 ? "The document has no root element"
                                       : "Only one top level element is allowed in an XML document";
        return false;
    }
    try {
        impl_->Copy(parsed, 0);
    } catch (...) {
        impl_->Reset();
        throw;
    }
    return true;
}

const std::string& DOMDocument::parseErrorReason() const { return impl_->parseError; }

DOMElement DOMDocument::createElement(std::string_view tagName) {
    const Str name = impl_->KnownName(tagName, "element");
    const std::uint32_t node = impl_->NewNode(Kind::Element, {}, {});
    impl_->nodes[node].name = name;
    return DOMElement(impl_, node, impl_->generation);
}

DOMElement DOMDocument::appendChild(const DOMElement& child) {
    child.Check();
    if (child.impl_ != impl_) throw EXMLError("The element belongs to another document");
    const std::uint32_t root = impl_->Root();
    if (root != kNone && root != child.node_)
        throw EXMLError("Only one top level element is allowed in an XML document");
    if (root == child.node_) return child;
    impl_->Append(0, child.node_);
    return child;
}

DOMElement DOMDocument::documentElement() const {
    const std::uint32_t root = impl_->Root();
    if (root == kNone) return {};
    return DOMElement(impl_, root, impl_->generation);
}

std::string DOMDocument::xml() const {
    Buffer out(0);
    Writer(*impl_, out, false, TEncoding::UTF8).Document();
    return std::string(out.View());
}

namespace {

// The file of a document: room for its texts (names twice) and markup, which
// a file rarely outgrows; what is reserved and never written costs nothing.
template <class Use>
void WithFileText(DOMDocument::Impl& d, TEncoding encoding, Use use) {
    Buffer out(std::max(d.lastFileSize, 2 * d.texts.Total() + 8 * std::size_t{d.nodes.size()} +
                                            4 * std::size_t{d.attributes.size()} + 16));
    Writer(d, out, true, encoding).Document();
    d.lastFileSize = out.View().size();
    use(out.View());
}

}  // namespace

std::string DOMDocument::fileText(TEncoding encoding) const {
    std::string text;
    WithFileText(*impl_, encoding, [&](std::string_view bytes) { text.assign(bytes); });
    return text;
}

void DOMDocument::save(const std::string& path, TEncoding encoding) const { startSave(path, encoding).Commit(); }

TFileReplacement DOMDocument::startSave(const std::string& path, TEncoding encoding) const {
    std::optional<TFileReplacement> file;
    WithFileText(*impl_, encoding, [&](std::string_view bytes) { file.emplace(path, bytes); });
    return std::move(*file);
}

void DOMElement::Check() const {
    if (!impl_) throw EXMLError("The element is not assigned");
    if (generation_ != impl_->generation) throw EXMLError("The element was removed when its document was cleared");
}

DOMDocument DOMElement::ownerDocument() const {
    Check();
    return DOMDocument(impl_);
}

std::string DOMElement::nodeName() const {
    Check();
    return std::string(impl_->View(impl_->nodes[node_].name));
}

DOMElement DOMElement::appendChild(const DOMElement& child) {
    Check();
    child.Check();
    if (child.impl_ != impl_) throw EXMLError("The element belongs to another document");
    if (impl_->IsAncestorOrSelf(child.node_, node_))
        throw EXMLError("Cannot append " + child.nodeName() + " to " + nodeName());
    impl_->Append(node_, child.node_);
    return child;
}

std::string DOMElement::text() const {
    Check();
    std::string out;
    CollectText(*impl_, out, node_);
    return out;
}

void DOMElement::setText(std::string_view value) {
    Check();
    CheckText(value, "text");
    DOMDocument::Impl& d = *impl_;
    // Child elements may still have handles: they are taken out, not freed.
    while (d.nodes[node_].first != kNone) d.Unlink(d.nodes[node_].first);
    d.nodes[node_].value = d.texts.Keep(value);
}

void DOMElement::setAttribute(std::string_view name, const Variant& value) {
    Check();
    const Str known = impl_->KnownName(name, "attribute");
    const std::string text = VarToStr(value);
    CheckText(text, "attribute value");
    const std::uint32_t a = impl_->FindAttribute(node_, name);
    if (a != kNone)
        impl_->attributes[a].value = impl_->texts.Keep(text);
    else
        impl_->AddAttribute(node_, known, text);
}

Variant DOMElement::getAttribute(std::string_view name) const {
    Check();
    const std::uint32_t a = impl_->FindAttribute(node_, name);
    if (a == kNone) return Null;
    return Variant(std::string(impl_->View(impl_->attributes[a].value)));
}

int DOMElement::childCount() const {
    Check();
    const Node& n = impl_->nodes[node_];
    int count = n.value.length != 0 ? 1 : 0;
    for (std::uint32_t c = n.first; c != kNone; c = impl_->nodes[c].next) ++count;
    return count;
}

std::string DOMElement::xml() const {
    Check();
    Buffer out(0);
    Writer(*impl_, out, false, TEncoding::UTF8).Node(node_);
    return std::string(out.View());
}

bool DOMElement::operator==(const DOMElement& o) const {
    return impl_ == o.impl_ && node_ == o.node_ && generation_ == o.generation_;
}

}  // namespace menvaro
