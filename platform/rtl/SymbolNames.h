// Function and type names as the linker and the compiler's type information
// hold them, made readable: demangled, without parameter lists, and split
// into scope and name.
#pragma once

#include <string>
#include <string_view>

namespace menvaro {

// The demangled form of a C++ symbol; any other text as it is.
std::string Demangle(std::string_view symbol);
// The demangled form of a type's name as the type information holds it.
std::string DemangleType(std::string_view typeName);

// A demangled function name without what follows or precedes the name
// itself: clone suffixes (" [clone .cold]"), the parameter list with its
// qualifiers, a template function's return type and ABI tags.
// "int ns::f<int>(int) const [clone .cold]" gives "ns::f<int>".
std::string StripSignature(std::string_view demangled);

// Demangle, then StripSignature.
std::string FunctionName(std::string_view symbol);

// A qualified name split at its last "::" outside brackets: "ns::T::f"
// gives scope "ns::T" and name "f"; a name without scope has an empty one.
struct TScopedName {
    std::string Scope;
    std::string Name;
};
TScopedName SplitScope(std::string_view qualified);

// The name without its namespaces and enclosing classes ("EConvertError").
inline std::string WithoutScope(std::string_view qualified) { return SplitScope(qualified).Name; }

// The longest start of `text` of at most `maxBytes` bytes that does not end
// inside a UTF-8 sequence.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace menvaro
