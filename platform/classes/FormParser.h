// The text of a form resource (.form), parsed into a tree that the form
// reader applies to components. The syntax is the class library's object
// text:
//
//   object UpdateForm: TUpdateForm          (or: inherited Name: TClass)
//     Caption = 'Text' + 'more'#13#10       strings, #n = the character U+n
//     Width = 617                           integers ($hex), floats
//     Font.Style = [fsBold]                 dotted paths, sets
//     Align = alTop                         identifiers: enums, colours,
//     OnClick = btnBuildDataClick           handlers, component references
//     Lines.Strings = ( 'a' 'b' )           lists
//     Columns = < item Width = 10 end >     collections
//     RegionData = { 0A0B }                 binary data
//     object Panel1: TPanel ... end         children
//   end
//
// The file is UTF-8. Errors raise EFormError "<file>:<line>: <what>".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"

namespace menvaro {

MENVARO_EXCEPTION(EFormError, EReadError)

struct TFormItem;

struct TFormValue {
    enum Kind { Integer, Float, String, Ident, Set, List, Collection, Binary };
    Kind kind = Integer;
    int line = 0;
    std::int64_t integer = 0;
    double number = 0;
    std::string text;                // String: the text; Ident: the name; Binary: the bytes
    std::vector<std::string> names;  // Set
    std::vector<TFormValue> values;  // List
    std::vector<TFormItem> items;    // Collection

    // For messages: "integer", "string", "identifier", ...
    const char* KindName() const;
};

struct TFormProperty {
    std::string name;
    TFormValue value;
    int line = 0;
};

struct TFormItem {
    std::vector<TFormProperty> props;
    int line = 0;
};

struct TFormObject {
    bool inherited = false;  // "inherited": the object exists already
    std::string name;        // may be empty
    std::string className;
    int line = 0;
    std::vector<TFormProperty> props;
    std::vector<TFormObject> children;
};

struct TFormDocument {
    std::string fileName;
    TFormObject root;
};

TFormDocument ParseForm(std::string_view text, const std::string& fileName);

// "<file>:<line>: <what>"
[[noreturn]] void RaiseFormError(const std::string& fileName, int line, const std::string& what);

}  // namespace menvaro
