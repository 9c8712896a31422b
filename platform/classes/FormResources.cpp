#include "classes/FormResources.h"

#include <map>
#include <memory>
#include <mutex>

#include "base/Strings.h"

namespace menvaro {

namespace {

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};

struct Entry {
    std::unique_ptr<TFormResource> resource;
    std::unique_ptr<TFormDocument> parsed;
    std::string duplicateOf;  // a second file registered for the class
};

struct Store {
    std::mutex lock;
    std::map<std::string, Entry, CaseLess> entries;
};

Store& TheStore() {
    static Store* s = new Store;  // outlives every static
    return *s;
}

}  // namespace

TFormResourceRegistration::TFormResourceRegistration(const char* className, const char* fileName,
                                                     const unsigned char* data, std::size_t size) {
    RegisterFormResource(className, fileName, std::string(reinterpret_cast<const char*>(data), size));
}

void RegisterFormResource(const std::string& className, const std::string& fileName, std::string text) {
    Store& s = TheStore();
    std::lock_guard<std::mutex> guard(s.lock);
    Entry& e = s.entries[className];
    if (e.resource) {
        e.duplicateOf = fileName;
        return;
    }
    e.resource = std::make_unique<TFormResource>(TFormResource{className, fileName, std::move(text)});
}

void UnregisterFormResource(const std::string& className) {
    Store& s = TheStore();
    std::lock_guard<std::mutex> guard(s.lock);
    s.entries.erase(className);
}

const TFormResource* FindFormResource(std::string_view className) {
    Store& s = TheStore();
    std::lock_guard<std::mutex> guard(s.lock);
    auto it = s.entries.find(std::string(className));
    if (it == s.entries.end()) return nullptr;
    if (!it->second.duplicateOf.empty())
        throw EFormError("two form files describe " + it->second.resource->ClassName + ": " +
                         it->second.resource->FileName + " and " + it->second.duplicateOf);
    return it->second.resource.get();
}

const TFormDocument& ParsedFormResource(const TFormResource& resource) {
    Store& s = TheStore();
    std::lock_guard<std::mutex> guard(s.lock);
    auto it = s.entries.find(resource.ClassName);
    if (it == s.entries.end() || it->second.resource.get() != &resource)
        throw EFormError("form resource of " + resource.ClassName + " is not registered");
    if (!it->second.parsed)
        it->second.parsed = std::make_unique<TFormDocument>(ParseForm(resource.Text, resource.FileName));
    return *it->second.parsed;
}

}  // namespace menvaro
