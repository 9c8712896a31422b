// What the type information tells of a thrown object: its class's name,
// the classes it descends from, and its message.
#pragma once

#include <exception>
#include <string>
#include <typeinfo>
#include <vector>

namespace menvaro {

// The demangled name of a type, with its namespaces.
std::string TypeName(const std::type_info& type);

// The thrown object's class name without namespaces ("EConvertError");
// "" for no exception.
std::string ExceptionTypeName(std::exception_ptr exception);

// The classes the thrown object's class descends from, without namespaces,
// nearest first, each once; the class itself is not among them.
std::vector<std::string> ExceptionAncestors(std::exception_ptr exception);

// The message of an object of the standard exception family (what());
// false for any other object, and for no exception.
bool ExceptionMessage(std::exception_ptr exception, std::string& message);

}  // namespace menvaro
