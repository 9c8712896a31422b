// Form resources embedded into the executable at build time (CMake:
// menvaro_add_forms) and registered under the class their root object names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "classes/FormParser.h"

namespace menvaro {

MENVARO_EXCEPTION(EResNotFound, Exception)

struct TFormResource {
    std::string ClassName;
    std::string FileName;  // as given to the build, for messages
    std::string Text;
};

// Made by the generated source of each embedded .form file.
class TFormResourceRegistration {
public:
    TFormResourceRegistration(const char* className, const char* fileName, const unsigned char* data, std::size_t size);
};

// Registers a resource at run time (tests, tools). A second resource for one
// class is an error, raised when that class's resource is looked up.
void RegisterFormResource(const std::string& className, const std::string& fileName, std::string text);
void UnregisterFormResource(const std::string& className);

// The resource of a class (letter case ignored), or nullptr. Raises EFormError
// when two files were registered for the class.
const TFormResource* FindFormResource(std::string_view className);
// The resource parsed; parsed once and kept.
const TFormDocument& ParsedFormResource(const TFormResource& resource);

}  // namespace menvaro
