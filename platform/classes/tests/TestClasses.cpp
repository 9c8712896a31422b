#include "TestClasses.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "classes/Filer.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TTestShape, tsRound, tsSquare, tsStar)
MENVARO_DEFINE_ENUM(TTestOption, toBold, toWide, toLoud)

const TIdentMap TestColorIdents{"TColor", {{"clNone", 0x1FFFFFFF}, {"clRed", 0x0000FF}, {"clBlue", 0xFF0000}}};

MENVARO_CLASS_INFO(TTestShadow) {
    c.Prop("XOffset", &TTestShadow::XOffset, &TTestShadow::SetXOffset).Default(10);
    c.Prop("Enabled", &TTestShadow::Enabled, &TTestShadow::Enabled).Default(false);
}

void TTestShadow::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TTestShadow*>(source)) {
        SetXOffset(s->XOffset());
        Enabled = s->Enabled;
        return;
    }
    TPersistent::Assign(source);
}

MENVARO_CLASS_INFO(TTestText) {
    c.Prop("Shadow", &TTestText::Shadow);
    c.Prop("LineSpacing", &TTestText::LineSpacing, &TTestText::LineSpacing).Default(5);
}

MENVARO_CLASS_INFO(TTestColumn) {
    c.Prop("Caption", &TTestColumn::Caption, &TTestColumn::Caption);
    c.Prop("Width", &TTestColumn::Width, &TTestColumn::Width).Default(64);
    c.Prop("Link", &TTestColumn::Link, &TTestColumn::Link);
}

void TTestColumn::Assign(const TPersistent* source) {
    if (auto* c = dynamic_cast<const TTestColumn*>(source)) {
        Caption = c->Caption;
        Width = c->Width;
        Link = c->Link;
        return;
    }
    TCollectionItem::Assign(source);
}

MENVARO_CLASS_INFO(TTestColumns) {}

MENVARO_CLASS_INFO(TTestThing) {
    c.Prop("Count", &TTestThing::Count, &TTestThing::SetCount);
    c.Prop("Big", &TTestThing::Big, &TTestThing::Big).Default(0);
    c.Prop("Active", &TTestThing::Active, &TTestThing::Active).Default(true);
    c.Prop("Shape", &TTestThing::Shape, &TTestThing::Shape).Default(tsSquare);
    c.Prop("Options", &TTestThing::Options, &TTestThing::Options).Default(TTestOptions{toBold});
    c.Prop("Ratio", &TTestThing::Ratio, &TTestThing::Ratio);
    c.Prop("Caption", &TTestThing::Caption, &TTestThing::Caption).Stored(&TTestThing::IsCaptionStored);
    c.Prop("PasswordChar", &TTestThing::PasswordChar, &TTestThing::PasswordChar).Default(0);
    c.Prop("Value", &TTestThing::Value, &TTestThing::Value);
    c.Prop("Color", &TTestThing::Color, &TTestThing::Color).Default(0x1FFFFFFF).Idents(TestColorIdents);
    c.Prop("TextOptions", &TTestThing::TextOptions);
    c.Prop("Columns", &TTestThing::Columns);
    c.Prop("Lines", &TTestThing::Lines);
    c.Prop("Buddy", &TTestThing::Buddy, &TTestThing::SetBuddy);
    c.Event("OnChange", &TTestThing::OnChange);
    c.Event("OnCount", &TTestThing::OnCount);
}

TTestThing::TTestThing(TComponent* owner)
    : TComponent(owner),
      text_(Create<TTestText>()),
      columns_(Create<TTestColumns>(this)),
      lines_(std::make_unique<TStringList>()) {}

TTestThing::~TTestThing() {
    if (parent_) {
        auto& k = parent_->kids_;
        k.erase(std::remove(k.begin(), k.end(), this), k.end());
    }
    for (TTestThing* kid : kids_) kid->parent_ = nullptr;
    if (log) log->push_back("destroyed " + Name());
}

void TTestThing::SetBuddy(TComponent* c) {
    if (c == buddy_) return;
    buddy_ = c;
    if (c) c->FreeNotification(this);
}

void TTestThing::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op == opRemove && c == buddy_) buddy_ = nullptr;
    if (log) log->push_back(Name() + (op == opRemove ? " hears removal of " : " hears insertion of ") + c->Name());
}

void TTestThing::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "RegionData",
        [this](TStream& s) {
            RegionData.resize(static_cast<std::size_t>(s.Size()));
            s.ReadBuffer(RegionData.data(), RegionData.size());
        },
        [this](TStream& s) { s.WriteBuffer(RegionData.data(), RegionData.size()); }, !RegionData.empty());
}

void TTestThing::Loaded() {
    TComponent::Loaded();
    ++loadedCalls;
}

void TTestThing::SetParentComponent(TComponent* p) {
    auto* t = dynamic_cast<TTestThing*>(p);
    if (!t) return;
    parent_ = t;
    t->kids_.push_back(this);
}

void TTestThing::GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) {
    for (TTestThing* k : kids_) proc(k);
}

MENVARO_CLASS_INFO(TTestRoot) {
    MENVARO_PUBLISHED_FIELDS(Thing1, Thing2)
    MENVARO_PUBLISHED_METHODS(ThingChange, ThingCount)
}

void TTestRoot::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->HasParent() && Components(i)->Owner() == root) proc(Components(i));
}

MENVARO_CLASS_INFO(TTestDM) {
    MENVARO_PUBLISHED_FIELDS(conn, query)
    MENVARO_PUBLISHED_METHODS(DataModuleCreate, DataModuleDestroy)
}

}  // namespace menvaro
