// The object model of the class library: TObject, TPersistent and
// TComponent (ownership, names, notification).
//
// Lifetime rules:
// - Objects of this family are created with Create<T>(args...), which runs
//   AfterConstruction once the most derived constructor is done (a form
//   streams its resource there), and are destroyed with Free(), which runs
//   BeforeDestruction while the object is still whole (a form's OnDestroy
//   runs there). Never `delete` them directly.
// - A component is owned by its Owner and freed with it. Objects created in
//   code and freed in the same routine are held by a TOwned<T>.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "classes/Sets.h"
#include "classes/TypeInfo.h"

namespace menvaro {

struct TMessage;

// Declares the run-time class of a class derived from TObject. Place it
// first in the class body; the description goes into the .cpp with
// MENVARO_CLASS_INFO (ClassBuilder.h).
#define MENVARO_CLASS(Self, Base)                                                     \
public:                                                                               \
    using inherited = Base;                                                           \
    static const ::menvaro::TClassInfo& StaticClass();                                \
    const ::menvaro::TClassInfo& ClassType() const override { return StaticClass(); } \
                                                                                      \
private:

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassType() const { return StaticClass(); }
    const std::string& ClassName() const;
    bool InheritsFrom(const TClassInfo& info) const;

    // Runs after the most derived constructor (see Create<T>).
    virtual void AfterConstruction() {}
    // Runs before the destructors, while the object is whole (see Free).
    virtual void BeforeDestruction() {}
    // BeforeDestruction, then destroy.
    void Free();

    // Message dispatch: a class handles the messages it knows in its
    // override and passes the rest to its parent's Dispatch, as "inherited"
    // does; TObject hands what nobody handled to DefaultHandler.
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);
};

template <class T, class... A>
T* Create(A&&... args) {
    T* object = new T(std::forward<A>(args)...);
    try {
        object->AfterConstruction();
    } catch (...) {
        object->Free();
        throw;
    }
    return object;
}

inline void Free(TObject* object) {
    if (object) object->Free();
}

template <class T>
void FreeAndNil(T*& object) {
    T* o = object;
    object = nullptr;
    Free(o);
}

struct TObjectDeleter {
    void operator()(TObject* o) const { Free(o); }
};
template <class T>
using TOwned = std::unique_ptr<T, TObjectDeleter>;

class TFiler;

class TPersistent : public TObject {
    MENVARO_CLASS(TPersistent, TObject)
public:
    // Copies `source` into this object. The default asks the source's
    // AssignTo; a class that cannot take the source raises EConvertError
    // "Cannot assign a TX to a TY".
    virtual void Assign(const TPersistent* source);
    // Stream properties that are not published (binary data, design info).
    virtual void DefineProperties(TFiler& filer);
    // The object this one belongs to, for messages ("Form1.Panel1.Font").
    virtual TPersistent* GetOwner() const { return nullptr; }
    virtual std::string GetNamePath() const;

protected:
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

enum TComponentStateFlag {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance,
};
using TComponentState = TSet<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

class TComponentReader;

class TComponent : public TPersistent {
    MENVARO_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    void BeforeDestruction() override;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    // Raises EComponentError for an invalid or duplicate name.
    virtual void SetName(const std::string& name);

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    void SetComponentIndex(int index);
    // Among the owned components; letter case is ignored.
    TComponent* FindComponent(std::string_view name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    // `other` is told (Notification opRemove) when this component goes.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    TComponentState ComponentState() const { return state_; }
    // Marks this component and what it owns as being destroyed.
    virtual void Destroying();

    std::int64_t Tag() const { return tag_; }
    void SetTag(std::int64_t tag) { tag_ = tag; }
    // Design position of a non-visual component ("Left"/"Top" in a form file).
    std::int32_t DesignLeft = 0;
    std::int32_t DesignTop = 0;

    // Children in a form file: which components are written inside this
    // one, and which component a streamed child sits in.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent*) {}

    // Reads this component's body from a form file; a class may wrap its
    // own work around inherited::ReadState.
    virtual void ReadState(TComponentReader& reader);
    // Called once a whole form file has been read, in reading order.
    virtual void Loaded();

    TPersistent* GetOwner() const override { return owner_; }
    std::string GetNamePath() const override { return name_; }
    void DefineProperties(TFiler& filer) override;

    // State flags the form reader and writer keep.
    void SetComponentStateFlag(TComponentStateFlag flag, bool on);

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void ValidateRename(TComponent* component, const std::string& current, const std::string& next);
    virtual void ChangeName(const std::string& name) { name_ = name; }
    // Binds or unbinds the published field of the owner named after this
    // component.
    void SetReference(bool enable);

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void BroadcastNotification(TComponent* component, TOperation operation);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    TComponentState state_;
    std::int64_t tag_ = 0;
    bool beforeDestructionDone_ = false;
};

MENVARO_EXCEPTION(EComponentError, Exception)

// A valid identifier: a letter or underscore, then letters, digits, underscores.
bool IsValidIdent(std::string_view ident);

}  // namespace menvaro
