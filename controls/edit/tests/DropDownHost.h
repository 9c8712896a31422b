// An edit that drops the calculator down under itself, as the number edit
// does: it opens it on Alt+Down or DropDown, forwards the keys while it is
// open (Enter, the characters 32 to 126, Ctrl+C and Ctrl+V; Esc closes it), closes it when
// it loses the focus or a click lands elsewhere, and takes an accepted
// value into its text. The tests and the gallery use it.
#pragma once

#include "edit/CalculatorEx.h"
#include "ui/StdCtrls.h"

namespace menvaro {

class TDropDownHost : public TEdit, public IDropDownEditorOwner {
    MENVARO_CLASS(TDropDownHost, TEdit)
public:
    explicit TDropDownHost(TComponent* owner);

    // Made on first use, owned by and parented to this edit.
    TPopupCalculatorEx* Calculator();
    bool DroppedDown() const { return dropped_; }
    void DropDown();
    void CloseUp(bool accept) override;
    bool QueryInterface(const TGUID& iid, void*& obj) override;

    // What the closes were: how many, and whether the last one accepted.
    int Closes = 0;
    bool LastAccepted = false;

    void WndProc(TMessage& m) override;

protected:
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;

private:
    TPopupCalculatorEx* calculator_ = nullptr;
    bool dropped_ = false;
};

}  // namespace menvaro
