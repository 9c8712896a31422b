// The DOM document the updater writes its XML files with, in the shape of
// the original DOM's document object. Handles share the document they come
// from (it lives while any handle does). Every call checks its result and
// raises EXMLError on failure.
//
// The xml text is the original DOM's: no declaration, no indentation, an
// element without children as "<Name/>", "&", "<" and ">" escaped in text,
// "&", "<" and '"' escaped in attribute values, every top-level node
// followed by CR LF. Text is UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "base/Exceptions.h"
#include "base/Files.h"
#include "base/StringList.h"
#include "base/Variant.h"

namespace menvaro {

MENVARO_EXCEPTION(EXMLError, Exception)

class DOMElement;

class DOMDocument {
public:
    // A new, empty document.
    DOMDocument();

    // Replaces the content with the parsed text and returns true; an empty
    // text just clears the document and gives its memory back. On a parse
    // error the document is left empty, parseErrorReason() says why, and the
    // result is false. Element handles taken before stop working (their
    // calls raise).
    bool loadXML(std::string_view text);
    const std::string& parseErrorReason() const;

    // A new element, not yet in the tree. Raises for a name that is not an
    // XML name.
    DOMElement createElement(std::string_view tagName);
    // Makes `child` the root element. Raises when the document has one, or
    // `child` belongs to another document.
    DOMElement appendChild(const DOMElement& child);
    // The root element, or a null handle.
    DOMElement documentElement() const;

    std::string xml() const;

    // The bytes of the file a string list holding xml() saves in `encoding`:
    // every line break (CR LF, CR or LF) as CR LF, the text in the file's
    // encoding. Made straight from the tree into one buffer.
    std::string fileText(TEncoding encoding) const;
    // fileText() saved as `path` by a temporary file and rename.
    void save(const std::string& path, TEncoding encoding) const;
    // The same in two steps: the temporary file is written and on its way
    // to the disk; the caller commits it when it likes (Files.h).
    TFileReplacement startSave(const std::string& path, TEncoding encoding) const;

    bool operator==(const DOMDocument& o) const { return impl_ == o.impl_; }

    struct Impl;

    // Shared ownership of a tree, counted without atomic operations (an
    // exporter copies handles millions of times): a document and its
    // handles belong to one thread.
    class Ref {
    public:
        Ref() = default;
        explicit Ref(Impl* adopted) : p_(adopted) {}
        Ref(const Ref& o) : p_(o.p_) { Acquire(p_); }
        Ref(Ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
        Ref& operator=(Ref o) noexcept {
            std::swap(p_, o.p_);
            return *this;
        }
        ~Ref() { Release(p_); }
        Impl* get() const { return p_; }
        Impl* operator->() const { return p_; }
        Impl& operator*() const { return *p_; }
        explicit operator bool() const { return p_ != nullptr; }
        bool operator==(const Ref& o) const { return p_ == o.p_; }

    private:
        static void Acquire(Impl* p);
        static void Release(Impl* p);
        Impl* p_ = nullptr;
    };

private:
    friend class DOMElement;
    explicit DOMDocument(Ref impl) : impl_(std::move(impl)) {}
    Ref impl_;
};

class DOMElement {
public:
    // A null handle; every call but IsNull raises.
    DOMElement() = default;
    bool IsNull() const { return !impl_; }

    DOMDocument ownerDocument() const;
    std::string nodeName() const;

    // Appends `child` (moving it when it is in the tree already) and returns
    // it. Raises for an element of another document and for an ancestor of
    // this element.
    DOMElement appendChild(const DOMElement& child);

    // All text inside the element.
    std::string text() const;
    // Replaces the content with the text; an empty text leaves the element
    // without children. Child elements taken out stay usable through their
    // handles, outside the tree. Raises for characters that XML cannot hold.
    void setText(std::string_view value);

    // The value's text (VarToStr); Null and Empty set an empty value.
    void setAttribute(std::string_view name, const Variant& value);
    // The attribute's value, or Null when the element has none of that name.
    Variant getAttribute(std::string_view name) const;

    int childCount() const;
    // The element's own xml text, without a line break.
    std::string xml() const;

    bool operator==(const DOMElement& o) const;

private:
    friend class DOMDocument;
    DOMElement(DOMDocument::Ref impl, std::uint32_t node, unsigned generation)
        : impl_(std::move(impl)), node_(node), generation_(generation) {}
    void Check() const;

    DOMDocument::Ref impl_;
    std::uint32_t node_ = 0;  // index of the node in the document's store
    unsigned generation_ = 0;
};

}  // namespace menvaro
