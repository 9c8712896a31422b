#include "xml/DOMDocument.h"

#include <pugixml.hpp>

#include <array>
#include <cstdio>
#include <limits>
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
            blocks_.push_back(std::unique_ptr<char[]>(new char[std::max(blockSize, s.size())]));
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
    Blocks<Node, 4096> nodes;
    Blocks<Attribute, 4096> attributes;
    Texts texts;
    unsigned generation = 1;
    std::string parseError;
    std::size_t lastFileSize = 0;  // a hint for the next file's buffer

    Impl() { Reset(); }

    void Reset() {
        nodes.clear();
        attributes.clear();
        texts.clear();
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
        Attribute a;
        a.name = texts.Keep(name);
        a.value = texts.Keep(value);
        const std::uint32_t added = attributes.push_back(a);
        std::uint32_t* link = &nodes[node].attributes;
        while (*link != kNone) link = &attributes[*link].next;
        *link = added;
    }

    // The library's parsed tree below `from`, appended to `to`.
    void Copy(pugi::xml_node from, std::uint32_t to);
};

namespace {

bool IsNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(char32_t c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

void CheckName(std::string_view name, const char* what) {
    if (name.empty()) throw EXMLError(std::string("An ") + what + " name must not be empty");
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
            const std::size_t n = DecodeUtf8(text, i, c);
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

// The xml text, or the bytes of its file: then every line break becomes
// CR LF (a CR LF, a lone CR and a lone LF alike, also across pieces) and the
// text goes into the file's encoding as it is written.
class Writer {
public:
    Writer(const DOMDocument::Impl& doc, std::string& out, bool file, TEncoding encoding)
        : doc_(doc), out_(out), file_(file), gbk_(file && encoding == TEncoding::GBK) {
        for (int k = 0; k < 3; ++k) {
            special_[k].fill(false);
            if (file_) special_[k]['\r'] = special_[k]['\n'] = true;
        }
        for (unsigned char c : {'&', '<', '>'}) special_[static_cast<int>(Escape::Text)][c] = true;
        for (unsigned char c : {'&', '<', '"'}) special_[static_cast<int>(Escape::Attribute)][c] = true;
    }

    void Node(std::uint32_t i) {
        const menvaro::Node& n = doc_.nodes[i];
        switch (n.kind) {
            case Kind::Document: return;
            case Kind::Element: {
                Markup("<");
                Put(doc_.View(n.name), Escape::None);
                Attributes(n);
                if (n.value.length == 0 && n.first == kNone) {
                    Markup("/>");
                    return;
                }
                Markup(">");
                Put(doc_.View(n.value), Escape::Text);
                for (std::uint32_t c = n.first; c != kNone; c = doc_.nodes[c].next) Node(c);
                Markup("</");
                Put(doc_.View(n.name), Escape::None);
                Markup(">");
                return;
            }
            case Kind::Text: Put(doc_.View(n.value), Escape::Text); return;
            case Kind::CData:
                Markup("<![CDATA[");
                Put(doc_.View(n.value), Escape::None);
                Markup("]]>");
                return;
            case Kind::Comment:
                Markup("<!--");
                Put(doc_.View(n.value), Escape::None);
                Markup("-->");
                return;
            case Kind::PI:
            case Kind::Declaration:
                Markup("<?");
                Put(doc_.View(n.name), Escape::None);
                if (n.kind == Kind::Declaration) {
                    Attributes(n);
                } else if (n.value.length != 0) {
                    Markup(" ");
                    Put(doc_.View(n.value), Escape::None);
                }
                Markup("?>");
                return;
            case Kind::Doctype:
                Markup("<!DOCTYPE ");
                Put(doc_.View(n.value), Escape::None);
                Markup(">");
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
            Markup(" ");
            Put(doc_.View(doc_.attributes[a].name), Escape::None);
            Markup("=\"");
            Put(doc_.View(doc_.attributes[a].value), Escape::Attribute);
            Markup("\"");
        }
    }

    // ASCII markup: the same bytes in every encoding.
    void Markup(std::string_view s) {
        out_.append(s);
        afterCr_ = false;
    }

    void Run(std::string_view s) {
        if (s.empty()) return;
        if (gbk_)
            AppendUtf8AsGbk(out_, s);
        else
            out_.append(s);
        afterCr_ = false;
    }

    void Put(std::string_view s, Escape escape) {
        const auto& special = special_[static_cast<int>(escape)];
        std::size_t start = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            if (!special[c]) continue;
            Run(s.substr(start, i - start));
            start = i + 1;
            switch (c) {
                case '&': Markup("&amp;"); break;
                case '<': Markup("&lt;"); break;
                case '>': Markup("&gt;"); break;
                case '"': Markup("&quot;"); break;
                case '\r':
                    Markup("\r\n");
                    afterCr_ = true;
                    break;
                case '\n':
                    if (!afterCr_) Markup("\r\n");
                    afterCr_ = false;
                    break;
            }
        }
        Run(s.substr(start));
    }

    const DOMDocument::Impl& doc_;
    std::string& out_;
    bool file_, gbk_;
    bool afterCr_ = false;
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

DOMDocument::DOMDocument() : impl_(std::make_shared<Impl>()) {}

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
    CheckName(tagName, "element");
    return DOMElement(impl_, impl_->NewNode(Kind::Element, tagName, {}), impl_->generation);
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
    std::string out;
    Writer(*impl_, out, false, TEncoding::UTF8).Document();
    return out;
}

std::string DOMDocument::fileText(TEncoding encoding) const {
    std::string out;
    // Room for the texts (names twice) and the markup: the file of a
    // document is rarely larger, and pages reserved but never written cost
    // no memory.
    const Impl& d = *impl_;
    out.reserve(std::max(d.lastFileSize, 2 * d.texts.Total() + 8 * std::size_t{d.nodes.size()} +
                                             4 * std::size_t{d.attributes.size()} + 16));
    Writer(d, out, true, encoding).Document();
    impl_->lastFileSize = out.size();
    return out;
}

void DOMDocument::save(const std::string& path, TEncoding encoding) const { WriteFileAtomic(path, fileText(encoding)); }

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
    CheckName(name, "attribute");
    const std::string text = VarToStr(value);
    CheckText(text, "attribute value");
    const std::uint32_t a = impl_->FindAttribute(node_, name);
    if (a != kNone)
        impl_->attributes[a].value = impl_->texts.Keep(text);
    else
        impl_->AddAttribute(node_, name, text);
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
    std::string out;
    Writer(*impl_, out, false, TEncoding::UTF8).Node(node_);
    return out;
}

bool DOMElement::operator==(const DOMElement& o) const {
    return impl_ == o.impl_ && node_ == o.node_ && generation_ == o.generation_;
}

}  // namespace menvaro
