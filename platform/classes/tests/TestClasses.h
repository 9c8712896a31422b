// Small component classes that exercise every kind of published property.
#pragma once

#include <string>
#include <vector>

#include "base/StringList.h"
#include "classes/Classes.h"
#include "classes/Collections.h"
#include "classes/DataModule.h"
#include "classes/Events.h"

namespace menvaro {

enum TTestShape { tsRound, tsSquare, tsStar };
MENVARO_DECLARE_ENUM(TTestShape)
enum TTestOption { toBold, toWide, toLoud };
MENVARO_DECLARE_ENUM(TTestOption)
using TTestOptions = TSet<TTestOption>;

extern const TIdentMap TestColorIdents;

// A nested persistent object with its owner's change callback.
class TTestShadow : public TPersistent {
    MENVARO_CLASS(TTestShadow, TPersistent)
public:
    int XOffset() const { return x_; }
    void SetXOffset(int v) {
        if (v == x_) return;
        x_ = v;
        ++changes;
    }
    bool Enabled = false;
    int changes = 0;
    void Assign(const TPersistent* source) override;

private:
    int x_ = 10;
};

class TTestText : public TPersistent {
    MENVARO_CLASS(TTestText, TPersistent)
public:
    TTestText() : shadow_(Create<TTestShadow>()) {}
    TTestShadow* Shadow() const { return shadow_.get(); }
    int LineSpacing = 5;

private:
    TOwned<TTestShadow> shadow_;
};

class TTestColumn : public TCollectionItem {
    MENVARO_CLASS(TTestColumn, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    std::string Caption;
    int Width = 64;
    TComponent* Link = nullptr;  // a component reference inside an item
    void Assign(const TPersistent* source) override;
};

class TTestColumns : public TOwnedCollection {
    MENVARO_CLASS(TTestColumns, TOwnedCollection)
public:
    explicit TTestColumns(TPersistent* owner) : TOwnedCollection(owner, TTestColumn::StaticClass()) {}
    int updates = 0;

protected:
    void Update(TCollectionItem*) override { ++updates; }
};

class TTestThing : public TComponent {
    MENVARO_CLASS(TTestThing, TComponent)
public:
    explicit TTestThing(TComponent* owner);
    ~TTestThing() override;

    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    std::int64_t Big = 0;
    bool Active = true;
    TTestShape Shape = tsSquare;
    TTestOptions Options{toBold};
    double Ratio = 0;
    std::string Caption;
    char PasswordChar = 0;
    Variant Value;
    std::int32_t Color = 0x1FFFFFFF;  // named values: clNone, clRed, ...
    TTestText* TextOptions() const { return text_.get(); }
    TTestColumns* Columns() const { return columns_.get(); }
    TStringList* Lines() const { return lines_.get(); }
    TComponent* Buddy() const { return buddy_; }
    void SetBuddy(TComponent* c);
    std::string RegionData;  // binary, streamed through DefineProperties
    bool IsCaptionStored() const { return Caption != "default"; }

    TNotifyEvent OnChange;
    TEvent<void(TObject*, int&)> OnCount;

    std::vector<std::string>* log = nullptr;
    int loadedCalls = 0;
    bool loadingSeenInSetter = false;

    void DefineProperties(TFiler& filer) override;
    void Loaded() override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    bool HasParent() const override { return parent_ != nullptr; }
    TComponent* GetParentComponent() const override { return parent_; }
    void SetParentComponent(TComponent* p) override;

protected:
    void Notification(TComponent* c, TOperation op) override;

private:
    int count_ = 0;
    TOwned<TTestText> text_;
    TOwned<TTestColumns> columns_;
    std::unique_ptr<TStringList> lines_;
    TComponent* buddy_ = nullptr;
    TTestThing* parent_ = nullptr;
    std::vector<TTestThing*> kids_;
};

// A root with published fields and handlers, as a form class is.
class TTestRoot : public TComponent {
    MENVARO_CLASS(TTestRoot, TComponent)
public:
    explicit TTestRoot(TComponent* owner) : TComponent(owner) {}
    TTestThing* Thing1 = nullptr;
    TTestThing* Thing2 = nullptr;
    std::vector<std::string> calls;
    void ThingChange(TObject* sender) { calls.push_back("change " + static_cast<TComponent*>(sender)->Name()); }
    void ThingCount(TObject*, int& n) { n += 1; }
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
};

class TTestDM : public TDataModule {
    MENVARO_CLASS(TTestDM, TDataModule)
public:
    explicit TTestDM(TComponent* owner) : TDataModule(owner) {}
    TTestThing* conn = nullptr;
    TTestThing* query = nullptr;
    std::vector<std::string> events;
    void DataModuleCreate(TObject*) { events.push_back("create conn=" + std::string(conn ? "set" : "nil")); }
    void DataModuleDestroy(TObject*) { events.push_back("destroy"); }
};

}  // namespace menvaro
