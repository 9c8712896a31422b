// TCollection and TCollectionItem: an owned, ordered list of persistent items
// of one class, streamed as "< item ... end >".
#pragma once

#include <vector>

#include "classes/Classes.h"

namespace menvaro {

class TCollection;

class TCollectionItem : public TPersistent {
    MENVARO_CLASS(TCollectionItem, TPersistent)
public:
    // Joins `collection` (at its end) when one is given.
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    void SetCollection(TCollection* collection);
    int Index() const;
    void SetIndex(int index);
    int ID() const { return id_; }
    virtual std::string DisplayName() const { return ClassName(); }
    TPersistent* GetOwner() const override;
    std::string GetNamePath() const override;

protected:
    // Tells the collection (Update) unless it is between BeginUpdate and EndUpdate.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

class TCollection : public TPersistent {
    MENVARO_CLASS(TCollection, TPersistent)
public:
    // `itemClass` must describe a TCollectionItem class that can be created.
    explicit TCollection(const TClassInfo& itemClass);
    ~TCollection() override;

    const TClassInfo& ItemClass() const { return *itemClass_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Copies the items of another collection (item by item through Assign).
    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override { return nullptr; }

protected:
    // An item changed (nullptr: all of them, or the list itself).
    virtual void Update(TCollectionItem* item);
    void Changed();
    virtual void Added(TCollectionItem*) {}
    virtual void Deleting(TCollectionItem*) {}

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    const TClassInfo* itemClass_;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
    int nextId_ = 0;
};

// A collection that belongs to a persistent object (for name paths).
class TOwnedCollection : public TCollection {
    MENVARO_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* owner, const TClassInfo& itemClass) : TCollection(itemClass), owner_(owner) {}
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};

}  // namespace menvaro
