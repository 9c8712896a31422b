#include "ui/DialogParts.h"

#include "ui/StdCtrls.h"

namespace menvaro {

TWinControl* MakeDialogButton(TCustomForm* form, const std::string& name, const std::string& caption,
                              TModalResult result, bool isDefault, bool isCancel) {
    auto* b = Create<TButton>(form);
    b->SetName(name);
    b->SetCaption(caption);
    b->SetModalResult(result);
    b->SetDefault(isDefault);
    b->SetCancel(isCancel);
    b->SetParent(form);
    return b;
}

TControl* MakeDialogText(TCustomForm* form, const std::string& name, const std::string& text) {
    auto* t = Create<TLabel>(form);
    t->SetName(name);
    t->SetAutoSize(false);
    t->SetWordWrap(true);
    t->SetShowAccelChar(false);
    t->SetCaption(text);
    t->SetParent(form);
    return t;
}

TWinControl* MakeDialogEdit(TCustomForm* form, const std::string& name, TNotifyEvent onChange) {
    auto* e = Create<TEdit>(form);
    e->SetName(name);
    e->OnChange = std::move(onChange);
    e->SetParent(form);
    return e;
}

void SetDialogFont(TFont& font) {
    font.SetName("宋体");
    font.SetHeight(-12);
    font.SetStyle(0);
    font.SetColor(clWindowText);
}

}  // namespace menvaro
