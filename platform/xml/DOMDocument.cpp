#include "xml/DOMDocument.h"

#include <pugixml.hpp>

#include <cstring>
#include <sstream>

#include "base/CodePage.h"

namespace menvaro {

// The tree lives in one library document. Elements that are created but not
// yet appended wait under a parking element that the xml text leaves out.
// Clearing the document bumps the generation, so that handles into the old
// tree raise instead of touching freed nodes.
struct DOMDocument::Impl {
    pugi::xml_document doc;
    pugi::xml_node park;
    unsigned generation = 1;
    std::string parseError;
    std::size_t lastXmlSize = 0;  // a hint for the next text's buffer

    Impl() { Reset(); }

    void Reset() {
        doc.reset();
        park = doc.append_child(pugi::node_element);
        if (!park || !park.set_name("detached")) throw EXMLError("Cannot create the XML document");
        ++generation;
    }

    pugi::xml_node Root() const {
        for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
            if (n != park && n.type() == pugi::node_element) return n;
        return {};
    }
};

namespace {

pugi::xml_node NodeOf(void* p) { return pugi::xml_node(static_cast<pugi::xml_node_struct*>(p)); }

bool IsNameStart(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(char32_t c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

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
        if (c < 0x80) {
            ++i;
        } else {
            const std::size_t n = DecodeUtf8(text, i, c);
            if (n == 0) throw EXMLError(std::string("The ") + where + " is not valid UTF-8 text");
            i += n;
        }
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF)
            throw EXMLError(std::string("The ") + where + " holds the character U+" +
                            [c] {
                                char buf[8];
                                std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(c));
                                return std::string(buf);
                            }() +
                            ", which XML cannot hold");
    }
}

void AppendEscaped(std::string& out, const char* s, bool attribute) {
    const char* special = attribute ? "&<\"" : "&<>";
    while (*s) {
        // Plain runs go in whole.
        const std::size_t run = std::strcspn(s, special);
        out.append(s, run);
        s += run;
        if (!*s) break;
        switch (*s++) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
        }
    }
}

void WriteAttributes(std::string& out, pugi::xml_node n) {
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        out += ' ';
        out += a.name();
        out += "=\"";
        AppendEscaped(out, a.value(), true);
        out += '"';
    }
}

void Write(std::string& out, pugi::xml_node n) {
    switch (n.type()) {
        case pugi::node_element: {
            out += '<';
            out += n.name();
            WriteAttributes(out, n);
            if (!n.first_child()) {
                out += "/>";
                return;
            }
            out += '>';
            for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) Write(out, c);
            out += "</";
            out += n.name();
            out += '>';
            return;
        }
        case pugi::node_pcdata: AppendEscaped(out, n.value(), false); return;
        case pugi::node_cdata:
            out += "<![CDATA[";
            out += n.value();
            out += "]]>";
            return;
        case pugi::node_comment:
            out += "<!--";
            out += n.value();
            out += "-->";
            return;
        case pugi::node_pi:
        case pugi::node_declaration: {
            out += "<?";
            out += n.name();
            if (n.type() == pugi::node_declaration) {
                WriteAttributes(out, n);
            } else if (*n.value()) {
                out += ' ';
                out += n.value();
            }
            out += "?>";
            return;
        }
        case pugi::node_doctype:
            out += "<!DOCTYPE ";
            out += n.value();
            out += '>';
            return;
        default: return;
    }
}

void CollectText(std::string& out, pugi::xml_node n) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) out += c.value();
        else if (c.type() == pugi::node_element) CollectText(out, c);
    }
}

}  // namespace

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
    for (pugi::xml_node n = parsed.first_child(); n; n = n.next_sibling()) {
        if (!impl_->doc.append_copy(n)) {
            impl_->Reset();
            throw EXMLError("Cannot copy the parsed XML into the document");
        }
    }
    return true;
}

const std::string& DOMDocument::parseErrorReason() const { return impl_->parseError; }

DOMElement DOMDocument::createElement(std::string_view tagName) {
    CheckName(tagName, "element");
    pugi::xml_node n = impl_->park.append_child(pugi::node_element);
    if (!n || !n.set_name(std::string(tagName).c_str())) throw EXMLError("Cannot create the element " + std::string(tagName));
    return DOMElement(impl_, n.internal_object(), impl_->generation);
}

DOMElement DOMDocument::appendChild(const DOMElement& child) {
    child.Check();
    if (child.impl_ != impl_) throw EXMLError("The element belongs to another document");
    pugi::xml_node node = NodeOf(child.node_);
    const pugi::xml_node root = impl_->Root();
    if (root && root != node) throw EXMLError("Only one top level element is allowed in an XML document");
    if (root == node) return child;
    if (!impl_->doc.append_move(node)) throw EXMLError("Cannot append the element to the document");
    return child;
}

DOMElement DOMDocument::documentElement() const {
    const pugi::xml_node root = impl_->Root();
    if (!root) return {};
    return DOMElement(impl_, root.internal_object(), impl_->generation);
}

std::string DOMDocument::xml() const {
    std::string out;
    out.reserve(impl_->lastXmlSize);
    for (pugi::xml_node n = impl_->doc.first_child(); n; n = n.next_sibling()) {
        if (n == impl_->park) continue;
        Write(out, n);
        out += "\r\n";
    }
    impl_->lastXmlSize = out.size();
    return out;
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
    return NodeOf(node_).name();
}

DOMElement DOMElement::appendChild(const DOMElement& child) {
    Check();
    child.Check();
    if (child.impl_ != impl_) throw EXMLError("The element belongs to another document");
    pugi::xml_node parent = NodeOf(node_);
    if (!parent.append_move(NodeOf(child.node_)))
        throw EXMLError(std::string("Cannot append ") + NodeOf(child.node_).name() + " to " + parent.name());
    return child;
}

std::string DOMElement::text() const {
    Check();
    std::string out;
    CollectText(out, NodeOf(node_));
    return out;
}

void DOMElement::setText(std::string_view value) {
    Check();
    CheckText(value, "text");
    pugi::xml_node n = NodeOf(node_);
    // Child elements may still have handles: they are parked, not freed.
    while (pugi::xml_node c = n.first_child()) {
        const bool done = c.type() == pugi::node_element ? impl_->park.append_move(c) : n.remove_child(c);
        if (!done) throw EXMLError(std::string("Cannot clear the element ") + n.name());
    }
    if (value.empty()) return;
    pugi::xml_node t = n.append_child(pugi::node_pcdata);
    if (!t || !t.set_value(value.data(), value.size()))
        throw EXMLError(std::string("Cannot set the text of ") + n.name());
}

void DOMElement::setAttribute(std::string_view name, const Variant& value) {
    Check();
    CheckName(name, "attribute");
    const std::string text = VarToStr(value);
    CheckText(text, "attribute value");
    pugi::xml_node n = NodeOf(node_);
    const std::string key(name);
    pugi::xml_attribute a = n.attribute(key.c_str());
    if (!a) a = n.append_attribute(key.c_str());
    if (!a || !a.set_value(text.data(), text.size()))
        throw EXMLError("Cannot set the attribute " + key + " of " + n.name());
}

Variant DOMElement::getAttribute(std::string_view name) const {
    Check();
    const pugi::xml_attribute a = NodeOf(node_).attribute(std::string(name).c_str());
    if (!a) return Null;
    return Variant(std::string(a.value()));
}

int DOMElement::childCount() const {
    Check();
    int n = 0;
    for (pugi::xml_node c = NodeOf(node_).first_child(); c; c = c.next_sibling()) ++n;
    return n;
}

std::string DOMElement::xml() const {
    Check();
    std::string out;
    Write(out, NodeOf(node_));
    return out;
}

bool DOMElement::operator==(const DOMElement& o) const {
    return impl_ == o.impl_ && node_ == o.node_ && generation_ == o.generation_;
}

}  // namespace menvaro
