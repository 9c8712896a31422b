// The data-aware edits: an edit bound to one field of a data set, or
// holding a value of its own when it has neither a data source nor a field
// name (TFieldDataLinkEx); the edit core with its buttons, image, flat
// border and most-recently-used list (TCustomDBEditEx); and the number
// edit (TCustomDBNumberEditEx, TDBNumberEditEx), which keeps a number,
// checks what is typed, formats, clamps and steps it and drops down the
// calculator.
//
// Everything runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Variant.h"
#include "data/DataSource.h"
#include "edit/CalculatorEx.h"
#include "edit/ToolCtrlsEx.h"
#include "ui/ExtCtrls.h"
#include "ui/ImgList.h"
#include "ui/MaskEdit.h"

namespace menvaro {

enum : UINT {
    // Posted to an edit after a button's drop-down menu closed (wParam: the
    // button control), so that the press that closed the menu does not
    // open it again.
    MSG_RELEASE_BUTTON = CM_EDIT_FIRST + 2,
};
static_assert(MSG_RELEASE_BUTTON == 0x0466 && UINT{MSG_RELEASE_BUTTON} <= UINT{CM_EDIT_LAST}, "the edits' message");

// ------------------------------------------------------------ data link

// One control's link to one field, or to a value of its own (the
// data-independent mode: no data source and no field name).
class TFieldDataLinkEx : public TDataLink {
public:
    TFieldDataLinkEx();

    TField* Field() const { return fields_.empty() ? nullptr : fields_.front(); }
    const std::string& FieldName() const { return fieldName_; }
    // Raises EDatabaseError "<control>: Field 'X' not found" when the open
    // data set lacks the field; the link keeps its field then.
    void SetFieldName(const std::string& name);
    void SetDataSource(TDataSource* source);

    // The owning control: names the errors, takes the focus for its field.
    TComponent* Control = nullptr;
    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;

    bool DataIndependent() const { return dataIndependent_; }
    // The link's own editing flag (the base link's is the data source's).
    bool Editing() const { return editing_; }
    bool IsModified() const { return modified_; }
    const Variant& DataIndependentValue() const { return value_; }
    bool LinkActive() const;
    bool CanModify() const;

    // Starts editing; answers Editing().
    bool Edit();
    // The control changed the value.
    void Modified() { modified_ = true; }
    // The control reloads its value.
    void Reset() { RecordChanged(nullptr); }
    // Bound, these need a field: without one they raise EDatabaseError
    // naming the field instead.
    void SetText(const std::string& s);
    void SetValue(const Variant& v);

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField*& field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateDataIndependent();
    void UpdateField();
    void SetFields(std::vector<TField*> fields);
    void SetEditing(bool value);
    [[noreturn]] void NoField() const;

    std::vector<TField*> fields_;
    std::string fieldName_;
    bool dataIndependent_ = true;
    bool editing_ = false;
    bool modified_ = false;
    Variant value_ = Null;
};

// '' for an array, else the variant's text ('' when it has none).
std::string VarToStrSafe(const Variant& v);

// ------------------------------------------------------------ edit core

class TCustomDBEditEx;

// The image at the near side of an edit.
class TEditImageEx : public TPersistent {
    MENVARO_CLASS(TEditImageEx, TPersistent)
public:
    explicit TEditImageEx(TCustomDBEditEx* edit) : edit_(edit) {}

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* images);
    bool UseImageHeight() const { return useImageHeight_; }
    void SetUseImageHeight(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    int Width() const { return width_; }
    void SetWidth(int v);
    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    friend class TCustomDBEditEx;
    void Changed();
    TCustomDBEditEx* edit_;
    int imageIndex_ = 0;
    TCustomImageList* images_ = nullptr;
    bool useImageHeight_ = true;
    bool visible_ = false;
    int width_ = 0;
};

using TUpdateDataEventEx = TEvent<void(TObject* Sender, bool& Handled)>;

// A masked single-line edit that shows and edits one value through its
// data link, with edit buttons at the far side of the text, an optional
// image at the near side and a drop-down list of recently used texts.
class TCustomDBEditEx : public TCustomMaskEdit, public IDropDownEditorOwner {
    MENVARO_CLASS(TCustomDBEditEx, TCustomMaskEdit)
public:
    explicit TCustomDBEditEx(TComponent* owner);
    ~TCustomDBEditEx() override;
    void AfterConstruction() override;

    bool QueryInterface(const TGUID& iid, void*& obj) override;
    TFieldDataLinkEx& DataLink() const { return *dataLink_; }
    TField* Field() const { return dataLink_->Field(); }

    virtual TDataSource* DataSource() const { return dataLink_->DataSource(); }
    virtual void SetDataSource(TDataSource* source);
    virtual std::string DataField() const { return dataLink_->FieldName(); }
    virtual void SetDataField(const std::string& name);
    Variant Value() const { return GetValue(); }
    void SetValue(const Variant& v) { AssignValue(v); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment a);
    bool AlignmentStored() const { return alignmentSet_; }
    void SetAutoSize(bool v) override;
    void SetPasswordChar(char c);
    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    bool AlwaysShowBorder() const { return alwaysShowBorder_; }
    void SetAlwaysShowBorder(bool v);
    TEditButtonEx* EditButton() const { return editButton_.get(); }
    void SetEditButton(TEditButtonEx* b) { editButton_->Assign(b); }
    TEditButtonsEx* EditButtons() const { return editButtons_.get(); }
    void SetEditButtons(TEditButtonsEx* b) { editButtons_->Assign(b); }
    TMRUListEx* MRUList() const { return mruList_.get(); }
    void SetMRUList(TMRUListEx* l) { mruList_->Assign(l); }
    TEditImageEx* EditImage() const { return image_.get(); }
    // Set explicitly it survives a change of field; taken from the field it does not.
    void SetEditMaskExplicit(const std::string& mask);
    bool EditMaskStored() const { return maskSet_; }

    TButtonClickEventEx OnButtonClick;
    TButtonDownEventEx OnButtonDown;
    TUpdateDataEventEx OnUpdateData;

    bool InEditMode() const { return inEditMode_; }
    bool DroppedDown() const { return droppedDown_; }
    int ButtonsWidth() const { return buttonsWidth_; }
    int ButtonHeight() const { return buttonHeight_; }
    int ImageWidth() const { return imageWidth_; }
    bool BorderActive() const { return borderActive_; }
    // The control of the main button (0) or of EditButtons[i - 1].
    TEditButtonControlEx* ButtonControl(int index) const;
    TShape* ButtonSpacer(int index) const;
    TMRUListboxEx* MRUListBox() const { return mruListBox_; }

    // IDropDownEditorOwner.
    void CloseUp(bool accept) override;

    // The operations the descendants refine, in this order.
    virtual bool ButtonsEnabled();
    virtual TFieldDataLinkEx* CreateDataLink();
    virtual TEditButtonEx* CreateEditButton();
    virtual TEditButtonControlEx* CreateEditButtonControl();
    virtual TEditButtonsEx* CreateEditButtons();
    virtual TEditImageEx* CreateEditImage();
    virtual TMRUListboxEx* CreateMRUListBox();
    virtual bool IsDataIndependent() const { return dataLink_->DataIndependent(); }
    virtual TAlignment DefaultAlignment() const;
    virtual std::string FieldEditMask() const;
    virtual std::string GetDisplayText() const;
    virtual Variant GetValue() const;
    virtual bool AcceptsChar(char ch);
    virtual void ActiveChange();
    virtual void UpdateHeight();
    virtual void DropDown();
    virtual TRect GetEditRect();
    virtual void RefreshFromField();
    virtual void ShowPopup();
    virtual void EditButtonClick(TObject* sender);
    virtual void EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
    virtual void EditButtonMouseMove(TObject*, TShiftState, int, int) {}
    virtual void EditButtonMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    virtual void EditingChange();
    virtual void FilterMRUItem(const std::string& s, bool& accept);
    virtual void InternalSetText(const std::string& s);
    virtual void InternalSetValue(const Variant& v);
    virtual void WriteToLink();
    virtual void MRUListBoxResized();
    virtual void ResetMaxLength();
    virtual void SetInEditMode(bool v);
    virtual void AssignValue(const Variant& v);
    virtual void UpdateReadOnly();
    virtual void UpdateFixedHeight();
    virtual void UpdateMRUPopup();
    virtual void CommitEdit();

    void Reset() override;
    void Dispatch(TMessage& m) override;
    void WndProc(TMessage& m) override;
    void DefineProperties(TFiler& filer) override;
    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    void Resize() override;
    bool EditCanModify() override;
    void Change() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;

    // Rectangles in client coordinates.
    TRect ButtonsRect() const;
    TRect ImageRect() const;
    TRect TextRect() const;
    void UpdateEditRect();
    void LayoutButtons();
    void UpdateButtonStates();
    void UpdateBorderState();
    void PaintFlatBorder();
    void ButtonsChanged();
    // The alignment the window was made with: the explicit one, or (in the
    // number edit) the one it follows; Alignment() reports the field's.
    TAlignment KeptAlignment() const { return alignment_; }
    void SetKeptAlignment(TAlignment a) { alignment_ = a; }
    // The text written by the edit itself: no reformatting, no change told twice.
    void SetTextDirectly(const std::string& s) { TCustomMaskEdit::SetText(s); }
    bool justDroppedDown_ = false;
    bool droppedDown_ = false;

private:
    struct ButtonPair {
        TShape* spacer = nullptr;
        TEditButtonControlEx* control = nullptr;
    };
    void ApplyButton(TEditButtonEx* item, ButtonPair& pair, int& height);
    int ItemIndexOfControl(const TObject* control) const;
    void ShowMRUList(TObject* sender);
    void CloseMRUList(TObject* sender, bool accept);
    void MRUListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    bool ForwardToMRUList(TMessage& m);
    void CancelChildCapture();
    bool InButtonsOrImage(TPoint client) const;

    bool alwaysShowBorder_ = false;
    bool alignmentSet_ = false;
    bool maskSet_ = false;
    std::unique_ptr<TEditButtonEx> editButton_;
    std::unique_ptr<TEditButtonsEx> editButtons_;
    std::unique_ptr<TEditImageEx> image_;
    bool flat_ = false;
    std::unique_ptr<TMRUListEx> mruList_;
    TMRUListboxEx* mruListBox_ = nullptr;
    bool readOnly_ = false;
    TAlignment alignment_ = taLeftJustify;
    std::unique_ptr<TFieldDataLinkEx> dataLink_;
    bool inUpdate_ = false;
    bool inEditMode_ = false;
    bool borderActive_ = false;
    int buttonHeight_ = 0;
    int buttonsWidth_ = 0;
    std::vector<ButtonPair> pairs_;
    int imageWidth_ = 0;
    bool mouseInControl_ = false;
    bool choosingRecent_ = false;
    bool inLayout_ = false;
};

// ------------------------------------------------------------ number edit

// The number text rules, pure functions of their input and the locale's
// separators as they are when called.
std::string TrimSpaces(const std::string& s);
// Blanks and thousand separators removed, the other locale's separator
// made the decimal separator.
std::string NormalizeNumberText(const std::string& s);
// What a number text typed so far stands for. One rule serves the typing
// check and the change handler alike, so that whatever may be typed can be
// read without an error.
enum class TTypedNumberKind {
    tnEmpty,     // no text: Null
    tnStart,     // a lone sign or point, or a sign and a point: the integer 0
    tnNumber,    // a number, also with the point at either end ("5.", ".5")
    tnExponent,  // a number and an "E", signed or not, still without digits
    tnInvalid,   // anything else: typing may not leave it
};
struct TTypedNumber {
    TTypedNumberKind Kind = TTypedNumberKind::tnInvalid;
    double X = 0;  // the number; for tnExponent the part before the "E"
};
// Reads a normalised text (NormalizeNumberText): only digits, signs, "E"
// and the decimal separator, a finite number as a whole.
TTypedNumber ReadTypedNumber(const std::string& s);
// A text that typing may leave (ReadTypedNumber neither empty nor
// invalid), with its number in x (0 for a lone sign or point).
bool IsNumberText(const std::string& s, double& x);
// Thousand separators in the integer part, when `group`.
std::string InsertThousandSeparators(const std::string& s, bool group);
std::string CurrencyEditFormat();
// The plain format ('#', ',', '.', '0') that typing uses for a display format.
std::string EditFormatFromDisplayFormat(const std::string& displayFormat);
// X within [min, max]; one bound alone where the other is 0 and they are
// the wrong way round; nothing where they are equal.
double ClampToRange(double x, double minValue, double maxValue);

class TCustomDBNumberEditEx : public TCustomDBEditEx {
    MENVARO_CLASS(TCustomDBNumberEditEx, TCustomDBEditEx)
public:
    explicit TCustomDBNumberEditEx(TComponent* owner);
    void AfterConstruction() override;

    bool Currency() const;
    void SetCurrency(bool v);
    bool CurrencyStored() const { return currencySet_; }
    unsigned DecimalPlaces() const { return decimalPlaces_; }
    void SetDecimalPlaces(unsigned v);
    std::string DisplayFormat() const;
    void SetDisplayFormat(const std::string& f);
    bool DisplayFormatStored() const { return displayFormatSet_; }
    const std::string& EditFormat() const { return editFormat_; }
    double Increment() const { return increment_; }
    void SetIncrement(double v) { increment_ = v; }
    double MaxValue() const;
    void SetMaxValue(double v);
    bool MaxValueStored() const { return maxSet_; }
    double MinValue() const;
    void SetMinValue(double v);
    bool MinValueStored() const { return minSet_; }
    bool CalculatorOpen() const { return calculatorOpen_; }

    double ClampToRange(double x) const { return menvaro::ClampToRange(x, minValue_, maxValue_); }
    void StepValue(bool up);

    TAlignment DefaultAlignment() const override;
    TEditButtonEx* CreateEditButton() override;
    Variant GetValue() const override;
    bool AcceptsChar(char ch) override;
    void DropDown() override;
    void CloseUp(bool accept) override;
    void EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) override;
    void RefreshFromField() override;
    void ShowPopup() override;
    void InternalSetText(const std::string& s) override;
    void InternalSetValue(const Variant& v) override;
    void WriteToLink() override;
    virtual std::string ValueDisplayText() const;
    virtual TPopupCalculatorEx* PopupCalculator();
    virtual void ReformatTypedText(std::string s);

    void WndProc(TMessage& m) override;
    void Dispatch(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Change() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;

private:
    std::string FormatDisplayText(double x) const;
    // False for a text typing could not have left (the value is kept).
    bool ParseEditText();
    void GuardedSetText(const std::string& s);
    bool Wheel(TShiftState shift, bool up);

    bool displayFormatSet_ = false, currencySet_ = false, maxSet_ = false, minSet_ = false;
    bool calculatorOpen_ = false;
    bool currency_ = false;
    unsigned decimalPlaces_ = 2;
    std::string displayFormat_;
    TPopupCalculatorEx* calculator_ = nullptr;
    std::string editFormat_;
    double increment_ = 1.0;
    bool settingText_ = false;
    double minValue_ = 0;
    double maxValue_ = 0;
    Variant value_ = Null;
    bool topButton_ = false;  // the half of the up-down button pressed last
};

// The input-method mode a form may carry for an edit.
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
MENVARO_DECLARE_ENUM(TImeMode)

// Drag-and-drop and docking events as forms name them.
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TObject*& DragObject)>;

// The number edit of the forms. It publishes its own properties and, of
// the edit and control classes, only those its forms carry: no Text or
// Caption (the value is the number), no Align, CharCase, HideSelection or
// MaxLength, no OnResize or wheel events.
class TDBNumberEditEx : public TCustomDBNumberEditEx {
    MENVARO_CLASS(TDBNumberEditEx, TCustomDBNumberEditEx)
public:
    using TCustomDBNumberEditEx::TCustomDBNumberEditEx;

    // Kept as the form says; the desktop's input method decides here.
    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode v) { imeMode_ = v; }
    const std::string& ImeName() const { return imeName_; }
    void SetImeName(const std::string& v) { imeName_ = v; }

    // Bound from the forms; this platform has no drag-and-drop or docking
    // that would fire them.
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDock;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDock;
    TStartDragEvent OnStartDrag;

private:
    TImeMode imeMode_ = imDontCare;
    std::string imeName_;
};

}  // namespace menvaro
