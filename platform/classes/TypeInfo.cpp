#include "classes/TypeInfo.h"

#include <map>
#include <mutex>

#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/Classes.h"

namespace menvaro {

bool TEnumInfo::ValueOf(std::string_view name, int& value) const {
    for (std::size_t i = 0; i < Names.size(); ++i) {
        if (SameText(Names[i], name)) {
            value = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

const std::string* TEnumInfo::NameOf(int value) const {
    if (value < 0 || static_cast<std::size_t>(value) >= Names.size()) return nullptr;
    return &Names[static_cast<std::size_t>(value)];
}

bool TIdentMap::IdentToInt(std::string_view ident, std::int64_t& value) const {
    if (ToValue) return ToValue(ident, value);
    for (const auto& [name, v] : Entries) {
        if (SameText(name, ident)) {
            value = v;
            return true;
        }
    }
    return false;
}

bool TIdentMap::IntToIdent(std::int64_t value, std::string& ident) const {
    if (ToName) return ToName(value, ident);
    for (const auto& [name, v] : Entries) {
        if (v == value) {
            ident = name;
            return true;
        }
    }
    return false;
}

TObject* TInstance::Object() const { return Class && Class->IsTObject ? static_cast<TObject*>(Ptr) : nullptr; }

bool TPropInfo::Writable() const {
    switch (Kind) {
        case TTypeKind::Float: return static_cast<bool>(SetFloat);
        case TTypeKind::String: return static_cast<bool>(SetStr);
        case TTypeKind::Variant: return static_cast<bool>(SetVar);
        case TTypeKind::Class: return static_cast<bool>(SetObj);
        case TTypeKind::Method: return static_cast<bool>(SetMethod);
        default: return static_cast<bool>(SetOrd);
    }
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->Parent())
        if (c == &other) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
    for (const TClassInfo* c = this; c; c = c->Parent())
        for (const TPropInfo& p : c->Props)
            if (SameText(p.Name, name)) return p.Unpublished ? nullptr : &p;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent()) chain.push_back(c);
    std::vector<const TPropInfo*> result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const TPropInfo& p : (*it)->Props) {
            bool replaced = false;
            for (auto& r : result) {
                if (SameText(r->Name, p.Name)) {
                    r = &p;
                    replaced = true;
                    break;
                }
            }
            if (!replaced) result.push_back(&p);
        }
    }
    std::erase_if(result, [](const TPropInfo* p) { return p->Unpublished; });
    return result;
}

const TMethodEntry* TClassInfo::FindMethod(std::string_view name) const {
    for (const TClassInfo* c = this; c; c = c->Parent())
        for (const TMethodEntry& m : c->Methods)
            if (SameText(m.Name, name)) return &m;
    return nullptr;
}

const TMethodEntry* TClassInfo::FindMethodByCode(void (*code)()) const {
    for (const TClassInfo* c = this; c; c = c->Parent())
        for (const TMethodEntry& m : c->Methods)
            if (m.Code == code) return &m;
    return nullptr;
}

const TFieldEntry* TClassInfo::FindField(std::string_view name) const {
    for (const TClassInfo* c = this; c; c = c->Parent())
        for (const TFieldEntry& f : c->Fields)
            if (SameText(f.Name, name)) return &f;
    return nullptr;
}

namespace {

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};

struct Registry {
    std::mutex lock;
    std::map<std::string, const TClassInfo*, CaseLess> classes;
};

Registry& TheRegistry() {
    static Registry* r = new Registry;  // never destroyed: classes outlive every static
    return *r;
}

}  // namespace

void RegisterClass(const TClassInfo& info) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.classes.emplace(info.Name, &info);
}

const TClassInfo* FindClass(std::string_view name) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.classes.find(std::string(name));
    return it == r.classes.end() ? nullptr : it->second;
}

const TClassInfo& GetClass(std::string_view name) {
    const TClassInfo* info = FindClass(name);
    if (!info) throw EClassNotFound("Class " + std::string(name) + " not found");
    return *info;
}

namespace typeinfo_detail {

TEnumInfo MakeEnumInfo(const char* name, std::initializer_list<std::pair<int, const char*>> entries) {
    TEnumInfo info;
    info.Name = name;
    info.Names.resize(entries.size());
    for (const auto& [value, text] : entries) {
        if (value < 0 || static_cast<std::size_t>(value) >= entries.size() || !info.Names[value].empty())
            throw EPropertyError(std::string("enumeration ") + name + ": values must run from 0 without gaps");
        info.Names[static_cast<std::size_t>(value)] = text;
    }
    return info;
}

}  // namespace typeinfo_detail

}  // namespace menvaro
