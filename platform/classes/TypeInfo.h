// Run-time type information: the class registry and the published property
// tables that form resources are read and written through.
//
// Every streamable class has one TClassInfo: its name, its parent, a factory
// (components and collection items), its published properties with their
// defaults, its published methods (event handlers bound by name) and its
// published fields (components of a form found by name). Classes derived
// from TObject describe themselves with MENVARO_CLASS / MENVARO_CLASS_INFO
// (ClassBuilder.h); other classes (the graphics layer's TFont, the base
// layer's TStringList) are described from outside as "foreign" classes.
#pragma once

#include <climits>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <typeindex>
#include <utility>
#include <vector>

#include "base/Exceptions.h"
#include "base/Variant.h"

namespace menvaro {

class TObject;
class TComponent;
class TCollection;
class TCollectionItem;
class TClassInfo;
class TFiler;

MENVARO_EXCEPTION(EClassNotFound, Exception)
MENVARO_EXCEPTION(EPropertyError, Exception)

enum class TTypeKind { Integer, Char, Enumeration, Boolean, Set, Float, String, Variant, Class, Method };

// Names of an enumeration's values, value i being Names[i].
struct TEnumInfo {
    std::string Name;
    std::vector<std::string> Names;

    // Letter case is ignored, as identifiers are.
    bool ValueOf(std::string_view name, int& value) const;
    const std::string* NameOf(int value) const;
};

// Specialised for each enumeration by MENVARO_DEFINE_ENUM (ClassBuilder.h);
// declared next to the enumeration, inside namespace menvaro, with
// MENVARO_DECLARE_ENUM(E).
template <class E>
const TEnumInfo& EnumInfoOf();
#define MENVARO_DECLARE_ENUM(E) \
    template <>                 \
    const ::menvaro::TEnumInfo& EnumInfoOf<E>();

// Integer types whose values may be written by name (colours, cursors).
struct TIdentMap {
    TIdentMap() = default;
    TIdentMap(std::string typeName, std::vector<std::pair<std::string, std::int64_t>> entries)
        : TypeName(std::move(typeName)), Entries(std::move(entries)) {}

    std::string TypeName;
    std::vector<std::pair<std::string, std::int64_t>> Entries;
    // Used instead of Entries when set (tables kept elsewhere).
    std::function<bool(std::string_view, std::int64_t&)> ToValue;
    std::function<bool(std::int64_t, std::string&)> ToName;

    bool IdentToInt(std::string_view ident, std::int64_t& value) const;
    bool IntToIdent(std::int64_t value, std::string& ident) const;
};

// One object as the type system sees it. For classes derived from TObject
// `Ptr` holds the TObject* (as void*); for a foreign class, a pointer to it.
struct TInstance {
    void* Ptr = nullptr;
    const TClassInfo* Class = nullptr;
    explicit operator bool() const { return Ptr != nullptr; }
    TObject* Object() const;  // nullptr for foreign instances
};

// The two halves of an event as stored in a property.
struct TMethodValue {
    TObject* Data = nullptr;
    void (*Code)() = nullptr;
    bool Closure = false;  // assigned from code as a callable: has no name
};

struct TPropInfo {
    std::string Name;
    TTypeKind Kind = TTypeKind::Integer;
    std::string TypeName;                      // for messages
    const TEnumInfo* Enum = nullptr;           // Enumeration, Set (its elements)
    const TIdentMap* Idents = nullptr;         // Integer with named values
    const TClassInfo& (*ClassOf)() = nullptr;  // Class: the declared class
    bool IsComponentRef = false;               // Class: a reference set by name
    std::type_index EventType = typeid(void);  // Method: the event's signature

    // Ordinal kinds (Integer, Char, Enumeration, Boolean, Set): the declared
    // default; a property without one is always stored. Sets are bit masks.
    bool HasDefault = false;
    std::int64_t Default = 0;
    // Integer: the range of the C++ type behind the property.
    std::int64_t MinValue = INT64_MIN;
    std::int64_t MaxValue = INT64_MAX;
    // Integer: a form file's value outside this range is brought to its
    // nearer end rather than refused (coordinates and sizes).
    bool Clamped = false;
    std::int64_t ClampMin = 0;
    std::int64_t ClampMax = 0;

    std::function<std::int64_t(void*)> GetOrd;
    std::function<void(void*, std::int64_t)> SetOrd;
    std::function<double(void*)> GetFloat;
    std::function<void(void*, double)> SetFloat;
    std::function<std::string(void*)> GetStr;
    std::function<void(void*, const std::string&)> SetStr;
    std::function<Variant(void*)> GetVar;
    std::function<void(void*, const Variant&)> SetVar;
    std::function<TInstance(void*)> GetObj;
    std::function<void(void*, TInstance)> SetObj;  // component references
    std::function<TMethodValue(void*)> GetMethod;
    std::function<void(void*, const TMethodValue&)> SetMethod;

    bool StoredConst = true;
    std::function<bool(void*)> StoredFn;
    // Taken off the published list by a derived class: its forms neither
    // read nor write it (the entry only hides the ancestor's).
    bool Unpublished = false;

    bool IsStored(void* instance) const { return StoredFn ? StoredFn(instance) : StoredConst; }
    bool Writable() const;
};

struct TMethodEntry {
    std::string Name;
    void (*Code)() = nullptr;
    std::type_index Signature = typeid(void);
};

struct TFieldEntry {
    std::string Name;
    const TClassInfo& (*ClassOf)() = nullptr;
    // False when `value` is not of the field's class.
    std::function<bool(TObject* self, TComponent* value)> Set;
    std::function<TComponent*(TObject* self)> Get;
};

class TClassInfo {
public:
    std::string Name;
    const TClassInfo& (*ParentOf)() = nullptr;
    bool IsTObject = true;
    std::function<TComponent*(TComponent* owner)> ComponentFactory;
    std::function<TCollectionItem*(TCollection* collection)> ItemFactory;
    // Foreign classes: their defined (non-published) stream properties.
    std::function<void(void* instance, TFiler& filer)> DefineProps;

    std::deque<TPropInfo> Props;  // own properties in declaration order
    std::vector<TMethodEntry> Methods;
    std::vector<TFieldEntry> Fields;

    const TClassInfo* Parent() const { return ParentOf ? &ParentOf() : nullptr; }
    bool InheritsFrom(const TClassInfo& other) const;

    // Own first, then the ancestors'; names ignore letter case. nullptr
    // when there is none or the nearest declaration unpublishes it.
    const TPropInfo* FindProp(std::string_view name) const;
    // Every published property, ancestors' first; a redeclared property
    // takes its ancestor's place. The order a writer uses.
    std::vector<const TPropInfo*> AllProps() const;
    const TMethodEntry* FindMethod(std::string_view name) const;
    const TMethodEntry* FindMethodByCode(void (*code)()) const;
    const TFieldEntry* FindField(std::string_view name) const;
};

// The registry of classes that form resources may name.
void RegisterClass(const TClassInfo& info);
const TClassInfo* FindClass(std::string_view name);
// Raises EClassNotFound "Class <name> not found".
const TClassInfo& GetClass(std::string_view name);

// Specialised for each foreign class by MENVARO_FOREIGN_CLASS_INFO
// (ClassBuilder.h); declared in a header with MENVARO_DECLARE_FOREIGN_CLASS(T).
template <class T>
const TClassInfo& ForeignClassOf();
#define MENVARO_DECLARE_FOREIGN_CLASS(T) \
    template <>                          \
    const ::menvaro::TClassInfo& ForeignClassOf<T>();

// The base layer's string list streams as "Strings = ( 'a' 'b' )".
class TStringList;
template <>
const TClassInfo& ForeignClassOf<TStringList>();

template <class T>
const TClassInfo& ClassOf() {
    if constexpr (std::is_base_of_v<TObject, T>)
        return T::StaticClass();
    else
        return ForeignClassOf<T>();
}

}  // namespace menvaro
