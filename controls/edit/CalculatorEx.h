// The calculator: a four-function calculator panel whose display and keys
// come from its form resource (TCalculatorEx.form), read and scaled as a
// form's layout is, and its drop-down form, which a number edit opens under
// itself and which hands the value back through the edit's
// IDropDownEditorOwner.
//
// Keys are characters: digits, the locale's decimal separator (or "," or
// "."), "+", "-", "*", "/", "%", "=" or Enter, "S" (square root), "R"
// (1/x), "I" (+/-), "C" or Esc (clear), Backspace, Ctrl+C and Ctrl+V; the
// Cancel key sends "A". A result that is not a finite number is the error
// state "Error", which only "C" leaves.
#pragma once

#include <string>

#include "edit/ToolCtrlsEx.h"
#include "ui/Controls.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

namespace menvaro {

class TComponentReader;

// What the display holds.
enum : int { calcResult = 0, calcEntering = 1, calcError = 2 };

class TCalculatorEx : public TCustomControl {
    MENVARO_CLASS(TCalculatorEx, TCustomControl)
public:
    explicit TCalculatorEx(TComponent* owner);
    // Reads the resource TCALCULATOREX, then sizes itself to it.
    void AfterConstruction() override;

    // Made by the resource.
    TPanel* Panel1 = nullptr;
    TLabel* TextBox = nullptr;
    TSpeedButtonEx *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr,
                   *SpeedButton4 = nullptr, *SpeedButton5 = nullptr, *SpeedButton6 = nullptr,
                   *SpeedButton7 = nullptr, *SpeedButton8 = nullptr, *SpeedButton9 = nullptr,
                   *SpeedButton10 = nullptr, *SpeedButton11 = nullptr, *SpeedButton12 = nullptr,
                   *SpeedButton13 = nullptr, *SpeedButton14 = nullptr, *SpeedButton15 = nullptr,
                   *SpeedButton16 = nullptr, *SpeedButton18 = nullptr, *SpeedButton19 = nullptr,
                   *SpeedButton20 = nullptr, *SpeedButton22 = nullptr, *SpeedButton23 = nullptr,
                   *SpeedButton24 = nullptr, *spEqual = nullptr;

    TBorderStyle BorderStyle() const { return borderStyle_; }
    // Re-creates the window.
    void SetBorderStyle(TBorderStyle s);
    // While the resource is read these are kept, and applied once it is scaled.
    int ClientWidthProp() const { return ClientWidth(); }
    void SetClientWidthProp(int v);
    int ClientHeightProp() const { return ClientHeight(); }
    void SetClientHeightProp(int v);
    // 0 or from 36 up; the screen's from the start.
    int PixelsPerInch() const { return scale_.PixelsPerInch; }
    void SetPixelsPerInch(int v);
    int TextHeight() const { return scale_.TextHeight; }
    bool OldCreateOrder = false;  // accepted from the resource, ignored

    // The key of the pressed button (its Tag).
    void SpeedButtonClick(TObject* Sender);
    static char KeyOfTag(std::int64_t tag);

    // The width of the frame the window's style adds.
    virtual int BorderExtent();
    // One key; see the top of this file.
    virtual void ProcessKey(char key);

    const std::string& DisplayText() const;
    // The number shown: 0 in the error state; a display that does not read
    // back as a finite number turns into the error state.
    double DisplayValue();
    // A number as the display shows it (15 significant digits).
    void ShowValue(double value);
    int Status() const { return status_; }
    double Accumulator() const { return accumulator_; }
    char PendingOperator() const { return operator_; }

    void ReadState(TComponentReader& reader) override;
    void DefineProperties(TFiler& filer) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool CanAutoSize(int& width, int& height) override;
    void KeyPress(char& key) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
    void Paint() override;
    // Status 0, "0", no pending operation.
    void Clear();
    void SetError();
    void RefreshOkButton();

private:
    void SetDisplay(const std::string& text);
    void BeginEntry();
    void Paste();
    bool Wheel(double step);

    TBorderStyle borderStyle_ = bsNone;
    TDesignScale scale_;
    double accumulator_ = 0;
    char operator_ = 0;
    int status_ = calcResult;
};

// The calculator as a drop-down: a top-level window with a raised frame
// that never takes the activation or the focus; its edit forwards the keys.
// Enter or "=" (also the "Ok" key) while the "=" key reads "Ok" closes it,
// taking the value; Esc, the Cancel key and MSG_EDIT_POPUP close it without.
// Copy and paste are the characters Ctrl+C (3) and Ctrl+V (22): an edit
// that forwards them lets them act on the calculator instead of itself.
class TPopupCalculatorEx : public TCalculatorEx, public IDropDownValueEditor {
    MENVARO_CLASS(TPopupCalculatorEx, TCalculatorEx)
public:
    // `owner` is the edit, which implements IDropDownEditorOwner.
    explicit TPopupCalculatorEx(TComponent* owner);

    bool QueryInterface(const TGUID& iid, void*& obj) override;
    bool ReadyToClose() override;
    bool GetFlat() override { return flat_; }
    // The value, or an error variant (0xFFFFFFFF) in the error state.
    Variant GetValue() override;
    // Gives every key the look.
    void SetFlat(bool value) override;
    // Clears, then shows the number.
    void SetValue(const Variant& value) override;

    // 2 with Ctl3D, else 0.
    int BorderWidth() const { return borderWidth_; }
    bool CanFocus() const override { return false; }
    void ProcessKey(char key) override;
    void Dispatch(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool CanAutoSize(int& width, int& height) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    // The frame of the non-client area.
    virtual void PaintBorder();

private:
    void CloseThroughOwner(bool accept);

    int borderWidth_ = 2;
    bool flat_ = true;
};

}  // namespace menvaro
