#include "classes/DataModule.h"

#include <algorithm>
#include <mutex>

#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/ExceptionHandler.h"
#include "classes/Filer.h"
#include "classes/FormReader.h"
#include "classes/FormResources.h"

namespace menvaro {

namespace {

std::vector<TDataModule*>& Modules() {
    static auto* list = new std::vector<TDataModule*>;
    return *list;
}

const bool finderRegistered = [] {
    RegisterFindGlobalComponent([](std::string_view name) -> TComponent* {
        for (TDataModule* m : Modules())
            if (SameText(m->Name(), name)) return m;
        return nullptr;
    });
    return true;
}();

}  // namespace

MENVARO_CLASS_INFO(TDataModule) {
    c.Prop("OldCreateOrder", &TDataModule::OldCreateOrder, &TDataModule::OldCreateOrder).Default(false);
    c.Event("OnCreate", &TDataModule::OnCreate);
    c.Event("OnDestroy", &TDataModule::OnDestroy);
}

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) { Modules().push_back(this); }

TDataModule::~TDataModule() {
    auto& list = Modules();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TDataModule::AfterConstruction() {
    if (&ClassType() != &TDataModule::StaticClass()) {
        if (!InitInheritedComponent(this, TDataModule::StaticClass()))
            throw EResNotFound("Resource " + ClassName() + " not found");
    }
    created_ = true;
    DoCreate();
}

void TDataModule::BeforeDestruction() {
    if (!ComponentState().Contains(csDestroying)) {
        Destroying();
        if (created_) DoDestroy();
    }
    TComponent::BeforeDestruction();
}

void TDataModule::DoCreate() { CallEventHandled(OnCreate, this); }

void TDataModule::DoDestroy() { CallEventHandled(OnDestroy, this); }

void TDataModule::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);  // Left, Top: the designer's position
    filer.DefineProperty(
        "Height", [this](TReader& r) { DesignHeight = static_cast<std::int32_t>(r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(DesignHeight); }, DesignHeight != 0);
    filer.DefineProperty(
        "Width", [this](TReader& r) { DesignWidth = static_cast<std::int32_t>(r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(DesignWidth); }, DesignWidth != 0);
}

void TDataModule::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (!c->HasParent() && c->Owner() == root) proc(c);
    }
}

const std::vector<TDataModule*>& TDataModule::Instances() { return Modules(); }

}  // namespace menvaro
