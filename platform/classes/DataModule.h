// TDataModule: a root of non-visual components (connections, queries)
// streamed from its form resource, without a window.
#pragma once

#include <vector>

#include "classes/Classes.h"
#include "classes/Events.h"

namespace menvaro {

class TDataModule : public TComponent {
    MENVARO_CLASS(TDataModule, TComponent)
public:
    explicit TDataModule(TComponent* owner);
    ~TDataModule() override;

    // Streams the resources of the class chain (a descendant of TDataModule
    // without one raises EResNotFound), then OnCreate.
    void AfterConstruction() override;
    // OnDestroy, while every component is still there.
    void BeforeDestruction() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    bool OldCreateOrder = false;  // accepted from form files; creation order is always the same
    std::int32_t DesignHeight = 0;
    std::int32_t DesignWidth = 0;

    void DefineProperties(TFiler& filer) override;
    // Its components are written at its top level.
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    // The data modules alive, in creation order.
    static const std::vector<TDataModule*>& Instances();

protected:
    virtual void DoCreate();
    virtual void DoDestroy();

private:
    bool created_ = false;  // OnDestroy runs only for a module that was created whole
};

}  // namespace menvaro
