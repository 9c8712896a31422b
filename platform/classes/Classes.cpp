#include "classes/Classes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "classes/FormReader.h"
#include "classes/Messages.h"

namespace menvaro {

MENVARO_CLASS_INFO(TObject) {}

const std::string& TObject::ClassName() const { return ClassType().Name; }

bool TObject::InheritsFrom(const TClassInfo& info) const { return ClassType().InheritsFrom(info); }

void TObject::Free() {
    BeforeDestruction();
    delete this;
}

void TObject::Dispatch(TMessage& message) { DefaultHandler(message); }

void TObject::DefaultHandler(TMessage&) {}

// ---------------------------------------------------------------- TPersistent

MENVARO_CLASS_INFO(TPersistent) {}

void TPersistent::Assign(const TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
    std::string from = source ? source->ClassName() : std::string("nil");
    throw EConvertError("Cannot assign a " + from + " to a " + ClassName());
}

void TPersistent::DefineProperties(TFiler&) {}

std::string TPersistent::GetNamePath() const { return ClassName(); }

// ----------------------------------------------------------------- TComponent

MENVARO_CLASS_INFO(TComponent) {
    c.Prop("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    c.Prop("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

bool IsValidIdent(std::string_view ident) {
    if (ident.empty()) return false;
    auto alpha = [](char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_'; };
    if (!alpha(ident[0])) return false;
    for (char ch : ident)
        if (!alpha(ch) && !(ch >= '0' && ch <= '9')) return false;
    return true;
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

void TComponent::BeforeDestruction() {
    if (beforeDestructionDone_) return;
    beforeDestructionDone_ = true;
    if (!state_.Contains(csDestroying)) Destroying();
    // Everyone that asked is told while this object is still whole.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = other->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        // A sibling hears of it from the owner below; once is enough.
        if (!owner_ || other->owner_ != owner_) other->Notification(this, opRemove);
    }
    RemoveFixupReferences(this);
    if (owner_) owner_->RemoveComponent(this);
}

TComponent::~TComponent() {
    if (!beforeDestructionDone_) {
        // A constructor that raised: the component never was whole, and its
        // owner and the others that know it let it go.
        if (std::uncaught_exceptions() > 0) {
            TComponent::BeforeDestruction();
        } else {
            std::fprintf(stderr, "menvaro: component %s (%s) destroyed with delete instead of Free\n", name_.c_str(),
                         ClassName().c_str());
            std::abort();
        }
    }
    DestroyComponents();
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int index) {
    if (!owner_) return;
    auto& list = owner_->components_;
    int current = ComponentIndex();
    if (current < 0) return;
    index = std::clamp(index, 0, static_cast<int>(list.size()) - 1);
    if (index == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + index, this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::ValidateRename(TComponent* component, const std::string& current, const std::string& next) {
    if (component && !SameText(current, next) && FindComponent(next))
        throw EComponentError("A component named " + next + " already exists");
}

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!name.empty() && !IsValidIdent(name)) throw EComponentError("'" + name + "' is not a valid component name");
    if (owner_)
        owner_->ValidateRename(this, name_, name);
    else
        ValidateRename(nullptr, name_, name);
    SetReference(false);
    ChangeName(name);
    SetReference(true);
}

void TComponent::SetReference(bool enable) {
    if (!owner_ || name_.empty()) return;
    const TFieldEntry* field = owner_->ClassType().FindField(name_);
    if (!field) return;
    if (enable) {
        if (!field->Set(owner_, this))
            throw EComponentError("Field " + owner_->ClassName() + "." + field->Name + " does not hold a " +
                                  ClassName());
    } else if (field->Get(owner_) == this) {
        field->Set(owner_, nullptr);
    }
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component->name_.empty()) ValidateRename(component, std::string(), component->name_);
    Insert(component);
    component->SetReference(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, opRemove);
    component->SetReference(false);
    Remove(component);
}

void TComponent::Insert(TComponent* component) {
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        // Free detaches it from this owner in its BeforeDestruction.
        c->Free();
    }
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (owner_ && other == owner_) return;  // an owner always hears of its components
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
        freeNotifies_.push_back(other);
        other->freeNotifies_.push_back(this);
    }
    state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other), freeNotifies_.end());
    other->freeNotifies_.erase(std::remove(other->freeNotifies_.begin(), other->freeNotifies_.end(), this),
                               other->freeNotifies_.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component) {
        auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), component);
        if (it != freeNotifies_.end()) RemoveFreeNotification(component);
    }
    BroadcastNotification(component, operation);
}

void TComponent::BroadcastNotification(TComponent* component, TOperation operation) {
    // A handler may free components; walk a copy and skip those gone.
    std::vector<TComponent*> snapshot = components_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        TComponent* c = *it;
        if (c == component) continue;
        if (std::find(components_.begin(), components_.end(), c) == components_.end()) continue;
        c->Notification(component, operation);
    }
}

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TComponent::ReadState(TComponentReader& reader) { reader.ReadBody(this); }

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::SetComponentStateFlag(TComponentStateFlag flag, bool on) {
    if (on)
        state_.Include(flag);
    else
        state_.Exclude(flag);
}

void TComponent::DefineProperties(TFiler& filer) {
    // Non-visual components keep their place in a designer as Left/Top.
    if (HasParent()) return;
    filer.DefineProperty(
        "Left", [this](TReader& r) { DesignLeft = static_cast<std::int32_t>(r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(DesignLeft); }, DesignLeft != 0 || DesignTop != 0);
    filer.DefineProperty(
        "Top", [this](TReader& r) { DesignTop = static_cast<std::int32_t>(r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(DesignTop); }, DesignLeft != 0 || DesignTop != 0);
}

}  // namespace menvaro
