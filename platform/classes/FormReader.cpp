#include "classes/FormReader.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <vector>

#include "base/Strings.h"
#include "classes/Collections.h"
#include "classes/Filer.h"
#include "classes/FormResources.h"

namespace menvaro {

namespace {

// A reference to a component by name, set once the whole file is read.
struct Fixup {
    TComponent* component = nullptr;  // whose property tree holds `instance`
    TInstance instance;
    const TPropInfo* prop = nullptr;
    std::string reference;
    std::string what;  // "Panel1.FocusControl" for messages
    std::string fileName;
    int line = 0;
};

struct GlobalState {
    std::mutex lock;
    std::vector<std::function<TComponent*(std::string_view)>> finders;
    std::vector<Fixup> pending;
};

GlobalState& Globals() {
    static GlobalState* g = new GlobalState;  // outlives every static
    return *g;
}

// The filer a reader offers DefineProperties: it runs the callbacks of the
// one property being read.
class TReadFiler : public TFiler {
public:
    TReadFiler(const std::string& name, const TFormValue& value, const std::string& fileName, TComponent* root)
        : name_(name), value_(value), fileName_(fileName), root_(root) {}

    void DefineProperty(const std::string& name, std::function<void(TReader&)> read, std::function<void(TWriter&)>,
                        bool) override {
        if (matched_ || !SameText(name, name_)) return;
        matched_ = true;
        if (!read) RaiseFormError(fileName_, value_.line, "property " + name + " cannot be read");
        TReader reader(value_, fileName_, root_);
        read(reader);
    }

    void DefineBinaryProperty(const std::string& name, std::function<void(TStream&)> read,
                              std::function<void(TStream&)>, bool) override {
        if (matched_ || !SameText(name, name_)) return;
        matched_ = true;
        if (value_.kind != TFormValue::Binary)
            RaiseFormError(fileName_, value_.line, "binary data expected for " + name + ", found " + value_.KindName());
        if (!read) RaiseFormError(fileName_, value_.line, "property " + name + " cannot be read");
        TMemoryStream stream(value_.text);
        read(stream);
    }

    TComponent* Root() const override { return root_; }
    bool IsReading() const override { return true; }
    bool Matched() const { return matched_; }

private:
    const std::string& name_;
    const TFormValue& value_;
    const std::string& fileName_;
    TComponent* root_;
    bool matched_ = false;
};

void CallDefineProperties(TInstance inst, TFiler& filer) {
    if (TObject* o = inst.Object()) {
        if (auto* p = dynamic_cast<TPersistent*>(o)) p->DefineProperties(filer);
        return;
    }
    for (const TClassInfo* c = inst.Class; c; c = c->Parent())
        if (c->DefineProps) {
            c->DefineProps(inst.Ptr, filer);
            return;
        }
}

TComponent* FindInRoots(TComponent* root, std::string_view reference) {
    auto dot = reference.find('.');
    if (dot == std::string_view::npos) {
        if (TComponent* c = root->FindComponent(reference)) return c;
        if (SameText(root->Name(), reference)) return root;
        return nullptr;
    }
    std::string_view rootName = reference.substr(0, dot);
    std::string_view rest = reference.substr(dot + 1);
    TComponent* other = SameText(root->Name(), rootName) ? root : FindGlobalComponent(rootName);
    if (!other) return nullptr;
    if (rest.find('.') != std::string_view::npos) return nullptr;
    return other->FindComponent(rest);
}

}  // namespace

// One load: one or more documents read into one root, then fixups and Loaded.
class TLoadSession {
public:
    explicit TLoadSession(TComponent* root) : root_(root) {}

    void Read(const TFormDocument& doc, bool first) {
        file_ = &doc.fileName;
        const TFormObject& node = doc.root;
        if (!root_->ClassType().InheritsFrom(ClassNamed(node.className, node.line)))
            Fail(node.line, "the file describes a " + node.className + ", not a " + root_->ClassName());
        if (first) {
            root_->SetComponentStateFlag(csLoading, true);
            root_->SetComponentStateFlag(csReading, true);
            loaded_.push_back(root_);
            if (!node.name.empty() && root_->Name().empty()) SetRootName(node);
        }
        nodeLines_.push_back({root_, node.line});
        TComponentReader reader(*this, node);
        Guard(node.line, root_->Name(), [&] { root_->ReadState(reader); });
    }

    // Fixups, then Loaded in reading order.
    void Finish() {
        for (Fixup& f : fixups_) {
            TComponent* target = FindInRoots(root_, f.reference);
            if (target) {
                SetReference(f, target);
            } else if (f.reference.find('.') != std::string::npos &&
                       !SameText(f.reference.substr(0, f.reference.find('.')), root_->Name())) {
                GlobalState& g = Globals();
                std::lock_guard<std::mutex> guard(g.lock);
                g.pending.push_back(f);
            } else {
                RaiseFormError(f.fileName, f.line, f.what + ": no component named " + f.reference);
            }
        }
        fixups_.clear();
        for (TComponent* c : loaded_) {
            int line = LineOf(c);
            Guard(line, c->Name(), [&] { c->Loaded(); });
        }
        for (TComponent* c : loaded_) {
            c->SetComponentStateFlag(csReading, false);
            c->SetComponentStateFlag(csLoading, false);
        }
        GlobalFixupReferences();
    }

    // Clears the loading state when a read fails half way.
    void Abandon() {
        for (TComponent* c : loaded_) {
            c->SetComponentStateFlag(csReading, false);
            c->SetComponentStateFlag(csLoading, false);
        }
    }

    void ReadBody(TComponent* component, const TFormObject& node) {
        TInstance self{static_cast<TObject*>(component), &component->ClassType()};
        for (const TFormProperty& p : node.props)
            ApplyPath(component, self, p.name, p.value, p.line,
                      component->Name().empty() ? p.name : component->Name() + "." + p.name);
        for (const TFormObject& child : node.children) ReadChild(component, child);
    }

    const std::string& FileName() const { return *file_; }

private:
    [[noreturn]] void Fail(int line, const std::string& what) const { RaiseFormError(*file_, line, what); }

    template <class F>
    void Guard(int line, const std::string& what, F&& f) {
        try {
            f();
        } catch (const EFormError&) {
            throw;
        } catch (const Exception& e) {
            Fail(line, (what.empty() ? std::string() : what + ": ") + e.Message());
        } catch (const std::exception& e) {
            Fail(line, (what.empty() ? std::string() : what + ": ") + e.what());
        }
    }

    const TClassInfo& ClassNamed(const std::string& name, int line) const {
        const TClassInfo* info = FindClass(name);
        if (!info) Fail(line, "unknown class " + name);
        return *info;
    }

    int LineOf(TComponent* c) const {
        for (const auto& [comp, line] : nodeLines_)
            if (comp == c) return line;
        return 0;
    }

    void SetRootName(const TFormObject& node) {
        std::string name = node.name;
        TComponent* owner = root_->Owner();
        // A second instance of a form gets a name of its own, as Form1_1.
        for (int i = 1; owner && owner->FindComponent(name); ++i) name = node.name + "_" + std::to_string(i);
        Guard(node.line, std::string(), [&] { root_->SetName(name); });
    }

    void ReadChild(TComponent* parent, const TFormObject& node) {
        TComponent* child = nullptr;
        if (node.inherited) {
            child = root_->FindComponent(node.name);
            if (!child) Fail(node.line, "no inherited component named " + node.name);
            if (!SameText(child->ClassName(), node.className) &&
                !child->ClassType().InheritsFrom(ClassNamed(node.className, node.line)))
                Fail(node.line, node.name + " is a " + child->ClassName() + ", not a " + node.className);
        } else {
            const TClassInfo& info = ClassNamed(node.className, node.line);
            if (!info.ComponentFactory)
                Fail(node.line, "class " + node.className + " cannot be created from a form file");
            Guard(node.line, node.name, [&] { child = info.ComponentFactory(root_); });
            child->SetComponentStateFlag(csLoading, true);
            child->SetComponentStateFlag(csReading, true);
            loaded_.push_back(child);
            if (!node.name.empty()) {
                if (root_->FindComponent(node.name) && root_->FindComponent(node.name) != child)
                    Fail(node.line, "a component named " + node.name + " already exists");
                Guard(node.line, std::string(), [&] { child->SetName(node.name); });
            }
            Guard(node.line, node.name, [&] { child->SetParentComponent(parent); });
        }
        nodeLines_.push_back({child, node.line});
        TComponentReader reader(*this, node);
        Guard(node.line, node.name, [&] { child->ReadState(reader); });
    }

    // Sets "A.B.C = value": walks the nested objects A and B, then sets C as a
    // published property or, failing that, as a defined one.
    void ApplyPath(TComponent* component, TInstance inst, const std::string& path, const TFormValue& value, int line,
                   const std::string& what) {
        std::vector<std::string> parts = SplitString(path, '.');
        TInstance cur = inst;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            const TPropInfo* prop = cur.Class->FindProp(parts[i]);
            if (!prop) Fail(line, what + ": class " + cur.Class->Name + " has no property '" + parts[i] + "'");
            if (prop->Kind != TTypeKind::Class || prop->IsComponentRef)
                Fail(line, what + ": " + parts[i] + " is not an object property");
            cur = prop->GetObj(cur.Ptr);
            if (!cur) Fail(line, what + ": " + parts[i] + " holds no object");
        }
        const std::string& last = parts.back();
        if (const TPropInfo* prop = cur.Class->FindProp(last)) {
            Guard(line, what, [&] { SetValue(component, cur, *prop, value, line, what); });
            return;
        }
        TReadFiler filer(last, value, *file_, root_);
        Guard(line, what, [&] { CallDefineProperties(cur, filer); });
        if (!filer.Matched()) Fail(line, what + ": class " + cur.Class->Name + " has no property '" + last + "'");
    }

    [[noreturn]] void WrongValue(const TFormValue& v, const TPropInfo& prop, const std::string& what,
                                 const std::string& expected) const {
        Fail(v.line, what + ": " + expected + " expected for a " + prop.TypeName + " property, found " + v.KindName() +
                         (v.kind == TFormValue::Ident ? " '" + v.text + "'" : std::string()));
    }

    void SetValue(TComponent* component, TInstance inst, const TPropInfo& prop, const TFormValue& v, int line,
                  const std::string& what) {
        bool nested = prop.Kind == TTypeKind::Class && !prop.IsComponentRef;
        if (!nested && !prop.Writable()) Fail(line, what + ": the property is read-only");
        switch (prop.Kind) {
            case TTypeKind::Integer: {
                std::int64_t n = 0;
                if (v.kind == TFormValue::Integer)
                    n = v.integer;
                else if (v.kind == TFormValue::Ident && prop.Idents && prop.Idents->IdentToInt(v.text, n))
                    ;
                else
                    WrongValue(v, prop, what, prop.Idents ? "an integer or a name" : "an integer");
                if (prop.Clamped) n = std::clamp(n, prop.ClampMin, prop.ClampMax);
                if (n < prop.MinValue || n > prop.MaxValue)
                    Fail(line, what + ": " + std::to_string(n) + " is out of range");
                prop.SetOrd(inst.Ptr, n);
                return;
            }
            case TTypeKind::Char:
                if (v.kind == TFormValue::Integer && v.integer >= 0 && v.integer <= 255) {
                    prop.SetOrd(inst.Ptr, v.integer);
                } else if (v.kind == TFormValue::String && v.text.size() == 1) {
                    prop.SetOrd(inst.Ptr, static_cast<unsigned char>(v.text[0]));
                } else {
                    WrongValue(v, prop, what, "a single-byte character");
                }
                return;
            case TTypeKind::Boolean:
                if (v.kind == TFormValue::Ident && SameText(v.text, "True"))
                    prop.SetOrd(inst.Ptr, 1);
                else if (v.kind == TFormValue::Ident && SameText(v.text, "False"))
                    prop.SetOrd(inst.Ptr, 0);
                else
                    WrongValue(v, prop, what, "True or False");
                return;
            case TTypeKind::Enumeration: {
                int n = 0;
                if (v.kind != TFormValue::Ident) WrongValue(v, prop, what, "a name");
                if (!prop.Enum->ValueOf(v.text, n)) Fail(line, what + ": '" + v.text + "' is not a " + prop.Enum->Name);
                prop.SetOrd(inst.Ptr, n);
                return;
            }
            case TTypeKind::Set: {
                if (v.kind != TFormValue::Set) WrongValue(v, prop, what, "a set");
                std::uint64_t bits = 0;
                for (const std::string& name : v.names) {
                    int n = 0;
                    if (!prop.Enum->ValueOf(name, n)) Fail(line, what + ": '" + name + "' is not a " + prop.Enum->Name);
                    bits |= std::uint64_t{1} << n;
                }
                prop.SetOrd(inst.Ptr, static_cast<std::int64_t>(bits));
                return;
            }
            case TTypeKind::Float:
                if (v.kind == TFormValue::Integer)
                    prop.SetFloat(inst.Ptr, static_cast<double>(v.integer));
                else if (v.kind == TFormValue::Float)
                    prop.SetFloat(inst.Ptr, v.number);
                else
                    WrongValue(v, prop, what, "a number");
                return;
            case TTypeKind::String:
                if (v.kind != TFormValue::String) WrongValue(v, prop, what, "a string");
                prop.SetStr(inst.Ptr, v.text);
                return;
            case TTypeKind::Variant: {
                TReader reader(v, *file_, root_);
                prop.SetVar(inst.Ptr, reader.ReadVariant());
                return;
            }
            case TTypeKind::Class: SetObject(component, inst, prop, v, line, what); return;
            case TTypeKind::Method: SetMethod(inst, prop, v, line, what); return;
        }
    }

    void SetObject(TComponent* component, TInstance inst, const TPropInfo& prop, const TFormValue& v, int line,
                   const std::string& what) {
        if (prop.IsComponentRef) {
            if (v.kind != TFormValue::Ident) WrongValue(v, prop, what, "a component name");
            if (SameText(v.text, "nil")) {
                prop.SetObj(inst.Ptr, {});
                return;
            }
            Fixup f;
            f.component = component;
            f.instance = inst;
            f.prop = &prop;
            f.reference = v.text;
            f.what = what;
            f.fileName = *file_;
            f.line = line;
            fixups_.push_back(std::move(f));
            return;
        }
        TInstance obj = prop.GetObj(inst.Ptr);
        if (!obj) Fail(line, what + ": the property holds no object");
        const char* defined = nullptr;
        if (v.kind == TFormValue::List) defined = "Strings";
        if (v.kind == TFormValue::Binary) defined = "Data";
        if (defined) {
            TReadFiler filer(defined, v, *file_, root_);
            CallDefineProperties(obj, filer);
            if (!filer.Matched()) Fail(line, what + ": a " + obj.Class->Name + " takes no " + v.KindName());
            return;
        }
        if (v.kind == TFormValue::Collection) {
            auto* collection = dynamic_cast<TCollection*>(obj.Object());
            if (!collection) Fail(line, what + ": a " + obj.Class->Name + " is not a collection");
            collection->BeginUpdate();
            try {
                collection->Clear();
                for (const TFormItem& item : v.items) {
                    TCollectionItem* added = collection->Add();
                    TInstance itemInst{static_cast<TObject*>(added), &added->ClassType()};
                    for (const TFormProperty& p : item.props)
                        ApplyPath(component, itemInst, p.name, p.value, p.line,
                                  what + "[" + std::to_string(added->Index()) + "]." + p.name);
                }
            } catch (...) {
                collection->EndUpdate();
                throw;
            }
            collection->EndUpdate();
            return;
        }
        Fail(line, what + ": a " + obj.Class->Name + " is set through its properties (" + prop.Name + ".Name = ...)");
    }

    void SetMethod(TInstance inst, const TPropInfo& prop, const TFormValue& v, int line, const std::string& what) {
        if (v.kind != TFormValue::Ident) WrongValue(v, prop, what, "a handler name");
        if (SameText(v.text, "nil")) {
            prop.SetMethod(inst.Ptr, {});
            return;
        }
        const TMethodEntry* m = root_->ClassType().FindMethod(v.text);
        if (!m) Fail(line, what + ": handler '" + v.text + "' is not a published method of " + root_->ClassName());
        if (m->Signature != prop.EventType)
            Fail(line, what + ": handler '" + v.text + "' does not fit the event " + prop.Name);
        prop.SetMethod(inst.Ptr, {root_, m->Code, false});
    }

    void SetReference(const Fixup& f, TComponent* target) {
        const TClassInfo& wanted = f.prop->ClassOf();
        if (!target->ClassType().InheritsFrom(wanted))
            RaiseFormError(f.fileName, f.line,
                           f.what + ": " + f.reference + " is a " + target->ClassName() + ", not a " + wanted.Name);
        TInstance value{static_cast<TObject*>(target), &target->ClassType()};
        try {
            f.prop->SetObj(f.instance.Ptr, value);
        } catch (const Exception& e) {
            RaiseFormError(f.fileName, f.line, f.what + ": " + e.Message());
        }
    }

    friend void menvaro::GlobalFixupReferences();

    TComponent* root_;
    const std::string* file_ = nullptr;
    std::vector<TComponent*> loaded_;
    std::vector<std::pair<TComponent*, int>> nodeLines_;
    std::vector<Fixup> fixups_;
};

void TComponentReader::ReadBody(TComponent* component) { session_.ReadBody(component, node_); }

const std::string& TComponentReader::FileName() const { return session_.FileName(); }

void ReadComponentDocument(TComponent* root, const TFormDocument& document) {
    TLoadSession session(root);
    try {
        session.Read(document, true);
        session.Finish();
    } catch (...) {
        session.Abandon();
        throw;
    }
}

void ReadComponentText(TComponent* root, std::string_view text, const std::string& fileName) {
    TFormDocument doc = ParseForm(text, fileName);
    ReadComponentDocument(root, doc);
}

bool InitInheritedComponent(TComponent* root, const TClassInfo& stopClass) {
    std::vector<const TFormDocument*> docs;
    for (const TClassInfo* c = &root->ClassType(); c && c != &stopClass; c = c->Parent())
        if (const TFormResource* res = FindFormResource(c->Name)) docs.push_back(&ParsedFormResource(*res));
    if (docs.empty()) return false;
    std::reverse(docs.begin(), docs.end());
    TLoadSession session(root);
    try {
        bool first = true;
        for (const TFormDocument* doc : docs) {
            session.Read(*doc, first);
            first = false;
        }
        session.Finish();
    } catch (...) {
        session.Abandon();
        throw;
    }
    return true;
}

void RegisterFindGlobalComponent(std::function<TComponent*(std::string_view)> finder) {
    GlobalState& g = Globals();
    std::lock_guard<std::mutex> guard(g.lock);
    g.finders.push_back(std::move(finder));
}

TComponent* FindGlobalComponent(std::string_view name) {
    std::vector<std::function<TComponent*(std::string_view)>> finders;
    {
        GlobalState& g = Globals();
        std::lock_guard<std::mutex> guard(g.lock);
        finders = g.finders;
    }
    for (auto& f : finders)
        if (TComponent* c = f(name)) return c;
    return nullptr;
}

void RemoveFixupReferences(TComponent* component) {
    GlobalState& g = Globals();
    std::lock_guard<std::mutex> guard(g.lock);
    if (g.pending.empty()) return;
    g.pending.erase(std::remove_if(g.pending.begin(), g.pending.end(),
                                   [component](const Fixup& f) {
                                       return f.component == component || f.component->Owner() == component;
                                   }),
                    g.pending.end());
}

void GlobalFixupReferences() {
    std::vector<Fixup> pending;
    {
        GlobalState& g = Globals();
        std::lock_guard<std::mutex> guard(g.lock);
        pending.swap(g.pending);
    }
    std::vector<Fixup> still;
    for (Fixup& f : pending) {
        std::string_view ref = f.reference;
        auto dot = ref.find('.');
        TComponent* other = FindGlobalComponent(ref.substr(0, dot));
        TComponent* target = other ? other->FindComponent(ref.substr(dot + 1)) : nullptr;
        if (!target) {
            still.push_back(std::move(f));
            continue;
        }
        if (!target->ClassType().InheritsFrom(f.prop->ClassOf())) continue;
        f.prop->SetObj(f.instance.Ptr, {static_cast<TObject*>(target), &target->ClassType()});
    }
    GlobalState& g = Globals();
    std::lock_guard<std::mutex> guard(g.lock);
    for (Fixup& f : still) g.pending.push_back(std::move(f));
}

int PendingGlobalFixups() {
    GlobalState& g = Globals();
    std::lock_guard<std::mutex> guard(g.lock);
    return static_cast<int>(g.pending.size());
}

}  // namespace menvaro
