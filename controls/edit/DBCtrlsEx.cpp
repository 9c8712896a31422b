#include "edit/DBCtrlsEx.h"

#include <algorithm>
#include <climits>
#include <cctype>
#include <cmath>
#include <string_view>

#include "base/Currency.h"
#include "base/FloatFormat.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "classes/Setters.h"
#include "data/DBErrors.h"
#include "data/Field.h"

namespace menvaro {

// ============================================================= data link

TFieldDataLinkEx::TFieldDataLinkEx() { SetVisualControl(true); }

bool TFieldDataLinkEx::LinkActive() const { return dataIndependent_ || (Active() && Field() != nullptr); }

bool TFieldDataLinkEx::CanModify() const { return (Field() && Field()->CanModify()) || dataIndependent_; }

void TFieldDataLinkEx::SetDataSource(TDataSource* source) {
    if (source == DataSource()) return;
    TDataLink::SetDataSource(source);
    UpdateDataIndependent();
}

void TFieldDataLinkEx::SetFieldName(const std::string& name) {
    if (name == fieldName_) return;
    fieldName_ = name;
    UpdateField();
    UpdateDataIndependent();
}

bool TFieldDataLinkEx::Edit() {
    if (dataIndependent_) {
        if (!editing_ && !ReadOnly()) {
            editing_ = true;
            modified_ = false;
            if (OnEditingChange) OnEditingChange(nullptr);
        }
    } else if (CanModify()) {
        TDataLink::Edit();
    }
    return editing_;
}

void TFieldDataLinkEx::NoField() const {
    const TComponent* control = Control;
    DatabaseError(fieldName_.empty() ? std::string("No field to write to") : "Field '" + fieldName_ + "' not found",
                  control ? control->Name() : std::string());
}

void TFieldDataLinkEx::SetText(const std::string& s) {
    if (dataIndependent_) {
        value_ = Variant(s);
        RecordChanged(nullptr);
        return;
    }
    TField* f = Field();
    if (!f) NoField();
    if (f->DataType() == TFieldType::ftMemo)
        f->SetAsString(s);
    else
        f->SetText(s);
}

void TFieldDataLinkEx::SetValue(const Variant& v) {
    if (dataIndependent_) {
        value_ = v;
        RecordChanged(nullptr);
        return;
    }
    TField* f = Field();
    if (!f) NoField();
    f->SetValue(v);
}

void TFieldDataLinkEx::ActiveChanged() {
    UpdateField();
    if (OnActiveChange) OnActiveChange(nullptr);
}

void TFieldDataLinkEx::EditingChanged() { SetEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLinkEx::FocusControl(TField*& field) {
    if (!field || field != Field()) return;
    auto* control = dynamic_cast<TWinControl*>(Control);
    if (!control || !control->CanFocus()) return;
    field = nullptr;
    control->SetFocus();
}

void TFieldDataLinkEx::LayoutChanged() { UpdateField(); }

void TFieldDataLinkEx::RecordChanged(TField* field) {
    if (field && field != Field()) return;
    if (OnDataChange) OnDataChange(nullptr);
    modified_ = false;
}

void TFieldDataLinkEx::UpdateData() {
    if (dataIndependent_) {
        if (modified_ && OnUpdateData) OnUpdateData(nullptr);
        editing_ = false;
        modified_ = false;
        return;
    }
    if (!modified_) return;
    if (Field() && OnUpdateData) OnUpdateData(nullptr);
    modified_ = false;
}

void TFieldDataLinkEx::UpdateDataIndependent() {
    const bool now = DataSource() == nullptr && fieldName_.empty();
    if (now == dataIndependent_) return;
    dataIndependent_ = now;
    value_ = Null;
    LayoutChanged();
    if (now) RecordChanged(nullptr);
}

void TFieldDataLinkEx::UpdateField() {
    std::vector<TField*> list;
    if (Active() && !fieldName_.empty()) {
        TDataSet* ds = DataSet();
        if (Control) {
            TField* f = ds ? ds->FindField(fieldName_) : nullptr;
            if (!f) DatabaseError("Field '" + fieldName_ + "' not found", Control->Name());
            list.push_back(f);
        } else if (ds) {
            list.push_back(&ds->FieldByName(fieldName_));
        }
    }
    SetFields(std::move(list));
}

void TFieldDataLinkEx::SetFields(std::vector<TField*> fields) {
    fields_ = std::move(fields);
    EditingChanged();
    RecordChanged(nullptr);
    // Right-to-left reading has no meaning on this platform: nothing to re-create.
}

void TFieldDataLinkEx::SetEditing(bool value) {
    if (value == editing_) return;
    editing_ = value;
    modified_ = false;
    if (OnEditingChange) OnEditingChange(nullptr);
}

std::string VarToStrSafe(const Variant& v) {
    if (v.IsArray()) return {};
    try {
        return VarToStr(v);
    } catch (const std::exception&) {
        return {};
    }
}

// ============================================================ edit image

MENVARO_CLASS_INFO(TEditImageEx) {
    c.Prop("ImageIndex", &TEditImageEx::ImageIndex, &TEditImageEx::SetImageIndex).Default(0);
    c.Prop("Images", &TEditImageEx::Images, &TEditImageEx::SetImages);
    c.Prop("UseImageHeight", &TEditImageEx::UseImageHeight, &TEditImageEx::SetUseImageHeight).Default(true);
    c.Prop("Visible", &TEditImageEx::Visible, &TEditImageEx::SetVisible).Default(false);
    c.Prop("Width", &TEditImageEx::Width, &TEditImageEx::SetWidth).Default(0);
}

TPersistent* TEditImageEx::GetOwner() const { return edit_; }

void TEditImageEx::Changed() {
    if (edit_ && !edit_->ComponentState().Contains(csDestroying)) edit_->Perform(MSG_EDIT_POPUP, 0, 0);
}

void TEditImageEx::SetImageIndex(int v) {
    if (!menvaro::Change(imageIndex_, v)) return;
    if (edit_) edit_->Invalidate();
}

void TEditImageEx::SetImages(TCustomImageList* images) {
    if (images == images_) return;
    if (images_ && edit_) images_->RemoveFreeNotification(edit_);
    images_ = images;
    if (images_ && edit_) images_->FreeNotification(edit_);
    Changed();
}

void TEditImageEx::SetUseImageHeight(bool v) {
    if (Change(useImageHeight_, v)) Changed();
}

void TEditImageEx::SetVisible(bool v) {
    if (Change(visible_, v)) Changed();
}

void TEditImageEx::SetWidth(int v) {
    if (Change(width_, v)) Changed();
}

void TEditImageEx::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TEditImageEx*>(source)) {
        SetImages(other->images_);
        SetImageIndex(other->imageIndex_);
        SetVisible(other->visible_);
        SetWidth(other->width_);
        return;
    }
    TPersistent::Assign(source);
}

// ============================================================= edit core

// The inherited ReadOnly is the edit's own: what the program sets, kept
// apart from the inner window's read-only state (UpdateReadOnly).
MENVARO_CLASS_INFO(TCustomDBEditEx) {
    c.Prop("ReadOnly", &TCustomDBEditEx::ReadOnly, &TCustomDBEditEx::SetReadOnly).Default(false);
}

TCustomDBEditEx::TCustomDBEditEx(TComponent* owner) : TCustomMaskEdit(owner) {}

void TCustomDBEditEx::AfterConstruction() {
    TCustomMaskEdit::AfterConstruction();
    SetControlStyle(ControlStyle() + csCaptureMouse + csReplicatable);
    dataLink_.reset(CreateDataLink());
    dataLink_->Control = this;
    dataLink_->OnDataChange = [this](TObject*) {
        RefreshFromField();
        UpdateButtonStates();
    };
    dataLink_->OnEditingChange = [this](TObject*) { EditingChange(); };
    dataLink_->OnUpdateData = [this](TObject*) { CommitEdit(); };
    dataLink_->OnActiveChange = [this](TObject*) { ActiveChange(); };
    editButton_.reset(CreateEditButton());
    editButton_->OnInternalChange = [this](TObject*) { ButtonsChanged(); };
    editButtons_.reset(CreateEditButtons());
    editButtons_->OnChange = [this](TEditButtonEx*) { ButtonsChanged(); };
    image_.reset(CreateEditImage());
    mruList_ = std::make_unique<TMRUListEx>(this);
    mruList_->OnDropDown = [this](TObject* s) { ShowMRUList(s); };
    mruList_->OnCloseUp = [this](TObject* s, bool accept) { CloseMRUList(s, accept); };
    UpdateReadOnly();
}

TCustomDBEditEx::~TCustomDBEditEx() {
    // In this order: the image, the buttons, the link, the MRU list.
    image_.reset();
    editButton_.reset();
    editButtons_.reset();
    dataLink_.reset();
    mruList_.reset();
}

bool TCustomDBEditEx::QueryInterface(const TGUID& iid, void*& obj) {
    if (iid == IDropDownEditorOwner::IID) {
        obj = static_cast<IDropDownEditorOwner*>(this);
        return true;
    }
    return false;
}

bool TCustomDBEditEx::ButtonsEnabled() { return Enabled() && dataLink_->LinkActive(); }
TFieldDataLinkEx* TCustomDBEditEx::CreateDataLink() { return std::make_unique<TFieldDataLinkEx>().release(); }
TEditButtonEx* TCustomDBEditEx::CreateEditButton() { return std::make_unique<TEditButtonEx>(static_cast<TWinControl*>(this)).release(); }

TEditButtonControlEx* TCustomDBEditEx::CreateEditButtonControl() {
    auto* b = Create<TEditButtonControlEx>(this);
    b->SetControlStyle(b->ControlStyle() + csReplicatable);
    b->SetBounds(0, 0, 10, 17);
    b->SetVisible(true);
    b->SetTransparent(false);
    b->SetParent(this);
    return b;
}

TEditButtonsEx* TCustomDBEditEx::CreateEditButtons() {
    return std::make_unique<TEditButtonsEx>(this, TVisibleEditButtonEx::StaticClass()).release();
}

TEditImageEx* TCustomDBEditEx::CreateEditImage() { return std::make_unique<TEditImageEx>(this).release(); }

TMRUListboxEx* TCustomDBEditEx::CreateMRUListBox() {
    auto* list = Create<TMRUListboxEx>(this);
    list->SetVisible(false);
    list->SetCtl3D(false);
    list->SetParentCtl3D(false);
    list->SetSorted(true);
    list->SetParent(this);
    list->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { MRUListMouseUp(s, b, sh, x, y); };
    return list;
}

TAlignment TCustomDBEditEx::DefaultAlignment() const { return Field() ? Field()->Alignment() : taLeftJustify; }
std::string TCustomDBEditEx::FieldEditMask() const { return Field() ? Field()->EditMask() : std::string(); }

TAlignment TCustomDBEditEx::Alignment() const { return alignmentSet_ ? alignment_ : DefaultAlignment(); }

void TCustomDBEditEx::SetAlignment(TAlignment a) {
    if (alignmentSet_ && a == alignment_) return;
    alignment_ = a;
    alignmentSet_ = true;
    RecreateWnd();
    Invalidate();
}

void TCustomDBEditEx::SetDataSource(TDataSource* source) {
    if (dataLink_->DataSourceFixed() && ComponentState().Contains(csLoading)) return;
    dataLink_->SetDataSource(source);
    if (source) source->FreeNotification(this);
    RefreshFromField();
    UpdateButtonStates();
    Invalidate();
}

void TCustomDBEditEx::SetDataField(const std::string& name) {
    if (!ComponentState().Contains(csDesigning)) ResetMaxLength();
    dataLink_->SetFieldName(name);
    UpdateButtonStates();
    Invalidate();
}

void TCustomDBEditEx::SetReadOnly(bool v) {
    if (!menvaro::Change(readOnly_, v)) return;
    EditingChange();
}

void TCustomDBEditEx::SetAutoSize(bool v) {
    if (v == AutoSize()) return;
    TCustomMaskEdit::SetAutoSize(v);
    UpdateFixedHeight();
}

void TCustomDBEditEx::SetPasswordChar(char c) {
    if (c == PasswordChar()) return;
    TCustomMaskEdit::SetPasswordChar(c);
    RecreateWnd();
}

void TCustomDBEditEx::SetFlat(bool v) {
    if (!menvaro::Change(flat_, v)) return;
    RecreateWnd();
    ButtonsChanged();
}

void TCustomDBEditEx::SetAlwaysShowBorder(bool v) {
    if (!menvaro::Change(alwaysShowBorder_, v)) return;
    UpdateBorderState();
}

std::string TCustomDBEditEx::GetDisplayText() const {
    if (ComponentState().Contains(csDesigning) && !dataLink_->LinkActive()) return Name();
    if (ControlState().Contains(csPaintCopy) && Field()) {
        std::string s = Field()->DisplayText();
        if (CharCase() == ecUpperCase) return UpperCase(s);
        if (CharCase() == ecLowerCase) return LowerCase(s);
        return s;
    }
    return EditText();
}

Variant TCustomDBEditEx::GetValue() const { return Variant(Text()); }

bool TCustomDBEditEx::AcceptsChar(char ch) { return !Field() || Field()->IsValidChar(ch); }

void TCustomDBEditEx::ActiveChange() {
    ResetMaxLength();
    UpdateButtonStates();
}

void TCustomDBEditEx::RefreshFromField() {
    if (TField* f = Field()) {
        if (f->Alignment() != alignment_) Invalidate();
        if (!maskSet_) SetEditMask(f->EditMask());
        if (!ComponentState().Contains(csDesigning) &&
            (f->DataType() == TFieldType::ftString || f->DataType() == TFieldType::ftWideString) && MaxLength() == 0)
            SetMaxLength(f->Size());
        const bool memo = f->DataType() == TFieldType::ftMemo;
        if (inEditMode_ && dataLink_->CanModify())
            InternalSetText(memo ? f->AsString() : f->Text());
        else
            SetEditText(memo ? f->AsString() : f->DisplayText());
    } else {
        if (!maskSet_) SetEditMask(std::string());
        SetEditText(dataLink_->DataIndependent() ? VarToStrSafe(dataLink_->DataIndependentValue()) : std::string());
    }
    UpdateReadOnly();
    SetModified(false);
}

void TCustomDBEditEx::UpdateReadOnly() {
    // The window's own read-only state; the property stays as the program set it.
    const bool ro = readOnly_ || (!dataLink_->CanModify() && !OnUpdateData.Assigned());
    TMessage m{EM_SETREADONLY, static_cast<WPARAM>(ro ? 1 : 0), 0, 0};
    if (HandleAllocated())
        Perform(EM_SETREADONLY, m.WParam, 0);
    else
        DefWndProc(m);
}

void TCustomDBEditEx::EditingChange() { UpdateReadOnly(); }

void TCustomDBEditEx::CommitEdit() {
    if (inEditMode_) ValidateEdit();
    bool handled = false;
    if (OnUpdateData) {
        inUpdate_ = true;
        ScopeGuard done([this] { inUpdate_ = false; });
        OnUpdateData(this, handled);
    }
    if (!handled) WriteToLink();
    if (mruList_->Active() && Showing()) mruList_->AddRecent(Text());
}

void TCustomDBEditEx::WriteToLink() {
    if (dataLink_->DataIndependent())
        dataLink_->SetText(EditText());
    else
        dataLink_->SetText(Text());
}

void TCustomDBEditEx::InternalSetText(const std::string& s) { SetText(s); }
void TCustomDBEditEx::InternalSetValue(const Variant& v) { InternalSetText(VarToStrSafe(v)); }

void TCustomDBEditEx::AssignValue(const Variant& v) {
    const bool bound = !dataLink_->DataIndependent();
    if (ComponentState().Contains(csDesigning) && bound) return;
    if (bound) {
        TDataSet* ds = dataLink_->DataSet();
        if (!ds) DatabaseError("No data set to write field '" + dataLink_->FieldName() + "' to", Name());
        ds->Edit();
    }
    InternalSetValue(v);
    if (inUpdate_) return;
    try {
        CommitEdit();
    } catch (...) {
        dataLink_->Reset();
        throw;
    }
}

void TCustomDBEditEx::ResetMaxLength() {
    if (MaxLength() <= 0) return;
    TDataSet* ds = dataLink_->DataSet();
    if (dataLink_->DataSource() && ds) {
        TField* f = ds->FindField(DataField());
        if (f && (f->DataType() == TFieldType::ftString || f->DataType() == TFieldType::ftWideString) &&
            f->Size() == MaxLength())
            SetMaxLength(0);
    } else {
        SetMaxLength(0);
    }
}

void TCustomDBEditEx::SetInEditMode(bool v) {
    if (v == inEditMode_) return;
    inEditMode_ = v;
    if (Alignment() != taLeftJustify && !IsMasked()) Invalidate();
    dataLink_->Reset();
}

void TCustomDBEditEx::SetEditMaskExplicit(const std::string& mask) {
    if (maskSet_ && mask == EditMask()) return;
    const bool loading = ComponentState().Contains(csLoading);
    std::string kept;
    if (loading && dataLink_->DataIndependent()) kept = EditText();
    SetEditMask(mask);
    maskSet_ = true;
    if (loading && !kept.empty()) InternalSetText(kept);
    if (dataLink_->DataIndependent()) {
        WriteToLink();
    } else {
        RefreshFromField();
        UpdateButtonStates();
    }
}

void TCustomDBEditEx::DefineProperties(TFiler& filer) {
    TCustomMaskEdit::DefineProperties(filer);
    filer.DefineProperty(
        "EditMask", [this](TReader& r) { SetEditMaskExplicit(r.ReadString()); },
        [this](TWriter& w) { w.WriteString(EditMask()); }, maskSet_);
}

void TCustomDBEditEx::Loaded() {
    TCustomMaskEdit::Loaded();
    ResetMaxLength();
    if (ComponentState().Contains(csDesigning)) {
        RefreshFromField();
        UpdateButtonStates();
    }
    UpdateBorderState();
}

void TCustomDBEditEx::Notification(TComponent* component, TOperation operation) {
    TCustomMaskEdit::Notification(component, operation);
    if (operation != opRemove || !dataLink_) return;
    if (component == DataSource()) SetDataSource(nullptr);
    if (image_ && component == image_->images_) {
        image_->images_ = nullptr;
        image_->Changed();
    }
    if (editButton_ && component == editButton_->DropdownMenu()) editButton_->SetDropdownMenu(nullptr);
    if (editButtons_)
        for (int i = 0; i < editButtons_->Count(); ++i)
            if (component == editButtons_->Items(i)->DropdownMenu()) editButtons_->Items(i)->SetDropdownMenu(nullptr);
}

bool TCustomDBEditEx::EditCanModify() { return dataLink_->Edit(); }

void TCustomDBEditEx::Reset() {
    dataLink_->Reset();
    SelectAll();
}

void TCustomDBEditEx::Change() {
    dataLink_->Modified();
    SetModified(true);
    TCustomMaskEdit::Change();
}

// ------------------------------------------------------------- keyboard

int TCustomDBEditEx::ItemIndexOfControl(const TObject* control) const {
    for (std::size_t i = 0; i < pairs_.size(); ++i)
        if (pairs_[i].control == control) return static_cast<int>(i);
    return -1;
}

TEditButtonControlEx* TCustomDBEditEx::ButtonControl(int index) const {
    return index >= 0 && index < static_cast<int>(pairs_.size()) ? pairs_[static_cast<std::size_t>(index)].control
                                                                  : nullptr;
}

TShape* TCustomDBEditEx::ButtonSpacer(int index) const {
    return index >= 0 && index < static_cast<int>(pairs_.size()) ? pairs_[static_cast<std::size_t>(index)].spacer
                                                                  : nullptr;
}

void TCustomDBEditEx::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomMaskEdit::KeyDown(key, shift);
    if (key == 0) return;
    const TShortCut sc = ShortCut(key, shift);
    if (sc != 0) {
        TEditButtonEx* item = nullptr;
        int index = -1;
        if (editButton_->ShortCut() == sc) {
            item = editButton_.get();
            index = 0;
        } else {
            for (int i = 0; i < editButtons_->Count(); ++i)
                if (editButtons_->Items(i)->ShortCut() == sc) {
                    item = editButtons_->Items(i);
                    index = i + 1;
                    break;
                }
        }
        if (item) {
            if (pairs_.empty()) LayoutButtons();
            if (TEditButtonControlEx* control = ButtonControl(index)) {
                bool autoRepeat = false;
                control->DoButtonDown(false, autoRepeat);
                control->Click();
            }
            key = 0;
            return;
        }
    }
    if (key == 'A' && shift == TShiftState{ssCtrl}) {
        SelectAll();
        key = 0;
        return;
    }
    if ((key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift))) && !readOnly_) dataLink_->Edit();
}

void TCustomDBEditEx::KeyPress(char& key) {
    TCustomMaskEdit::KeyPress(key);
    const auto ch = static_cast<unsigned char>(key);
    if (ch == 0) return;
    if (!dataLink_->DataIndependent() && Field() && ch >= 32 && !AcceptsChar(key)) {
        MessageBeep(0);
        key = 0;
        return;
    }
    if (ch == 8 || ch == 22 || ch == 24 || ch >= 32) {
        if (!readOnly_) dataLink_->Edit();
    } else if (ch == 27) {
        Reset();
        key = 0;
    }
}

// -------------------------------------------------------------- messages

bool TCustomDBEditEx::InButtonsOrImage(TPoint p) const {
    return PtInRect(ButtonsRect(), p) || (imageWidth_ > 0 && PtInRect(ImageRect(), p));
}

void TCustomDBEditEx::WndProc(TMessage& m) {
    if (mruList_->DroppedDown && ForwardToMRUList(m)) return;
    switch (m.Msg) {
        case WM_CHAR:
            // A single-line edit: Enter, Tab and line feed type nothing.
            if (m.WParam == 13 || m.WParam == 9 || m.WParam == 10) return;
            break;
        default: break;
    }
    TCustomMaskEdit::WndProc(m);
}

bool TCustomDBEditEx::ForwardToMRUList(TMessage& m) {
    if (!mruListBox_ || !mruListBox_->HandleAllocated()) return false;
    const bool keyDown = m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN;
    if (!keyDown) return false;
    const WPARAM k = m.WParam;
    const bool alt = GetKeyState(VK_MENU) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    if (((k == 33 || k == 34 || k == 38 || k == 40) && !alt) || ((k == 35 || k == 36) && ctrl)) {
        m.Result = SendMessage(mruListBox_->WindowHandle(), m.Msg, m.WParam, m.LParam);
        return true;
    }
    if (k == VK_RETURN || k == VK_ESCAPE) {
        mruList_->CloseUp(k == VK_RETURN);
        // The character of the same key closed the list, not the edit.
        TMsg pending;
        PeekMessage(pending, WindowHandle(), WM_CHAR, WM_CHAR, PM_REMOVE);
        return true;
    }
    return false;
}

void TCustomDBEditEx::Dispatch(TMessage& m) {
    // A button press, release or double click (left, right, middle) that
    // the buttons under the mouse did not take is no part of the text
    // either: the inner window does not see it.
    if (m.Msg >= WM_LBUTTONDOWN && m.Msg <= WM_MBUTTONDBLCLK && !MouseCapture() &&
        InButtonsOrImage({GetXLParam(m.LParam), GetYLParam(m.LParam)})) {
        TWinControl::Dispatch(m);
        return;
    }
    switch (m.Msg) {
        case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL; return;
        case CM_WANTSPECIALKEY:
            if ((m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) && mruList_->DroppedDown && mruListBox_ &&
                mruListBox_->ItemIndex() >= 0) {
                m.Result = 1;
                return;
            }
            TCustomMaskEdit::Dispatch(m);
            if (m.WParam == VK_ESCAPE && Modified()) m.Result = 1;
            return;
        case CM_GETDATALINK: m.Result = reinterpret_cast<LRESULT>(dataLink_.get()); return;
        case CM_ENTER:
            SetInEditMode(true);
            TCustomMaskEdit::Dispatch(m);
            UpdateBorderState();
            return;
        case CM_EXIT: {
            try {
                dataLink_->UpdateRecord();
            } catch (...) {
                SelectAll();
                if (CanFocus()) SetFocus();
                throw;
            }
            SetInEditMode(false);
            if (IsMasked() && SelLength() == 0) SetSelStart(std::max(0, SelStart() - 2));
            TCustomMaskEdit::Dispatch(m);
            UpdateBorderState();
            return;
        }
        case WM_CUT:
        case WM_PASTE:
        case WM_UNDO:
            dataLink_->Edit();
            TCustomMaskEdit::Dispatch(m);
            return;
        case CN_COMMAND:
            TCustomMaskEdit::Dispatch(m);
            if (HiWord(m.WParam) == EN_CHANGE) UpdateMRUPopup();
            return;
        case WM_SIZE:
            TCustomMaskEdit::Dispatch(m);
            if (HandleAllocated()) {
                LayoutButtons();
                UpdateEditRect();
            }
            return;
        case WM_NCPAINT:
            if (Flat() && Ctl3D() && BorderStyle() == bsSingle && HandleAllocated()) {
                PaintFlatBorder();
                m.Result = 0;
                return;
            }
            TCustomMaskEdit::Dispatch(m);
            return;
        case WM_SETCURSOR: {
            if (InButtonsOrImage(ScreenToClient(GetCursorPos()))) {
                SetCursor(crArrow);
                m.Result = 1;
                return;
            }
            TCustomMaskEdit::Dispatch(m);
            return;
        }
        case WM_SETFOCUS:
            TCustomMaskEdit::Dispatch(m);
            UpdateBorderState();
            Invalidate();
            return;
        case WM_KILLFOCUS:
            if (mruList_->DroppedDown && (!mruListBox_ || static_cast<HWND>(m.WParam) != mruListBox_->WindowHandle()))
                mruList_->CloseUp(false);
            TCustomMaskEdit::Dispatch(m);
            UpdateBorderState();
            Invalidate();
            CancelChildCapture();
            return;
        case CM_MOUSEENTER:
            mouseInControl_ = true;
            TCustomMaskEdit::Dispatch(m);
            UpdateBorderState();
            return;
        case CM_MOUSELEAVE:
            mouseInControl_ = false;
            TCustomMaskEdit::Dispatch(m);
            UpdateBorderState();
            return;
        case CM_MOUSEWHEEL:
            if (mruList_->DroppedDown && mruListBox_ && mruListBox_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam)) {
                m.Result = 1;
                return;
            }
            TCustomMaskEdit::Dispatch(m);
            return;
        case CM_CANCELMODE: {
            TCustomMaskEdit::Dispatch(m);
            CancelChildCapture();
            auto* sender = reinterpret_cast<TControl*>(m.LParam);
            const bool ours = sender && (sender == this || ContainsControl(sender) || sender == mruListBox_ ||
                                         (mruListBox_ && mruListBox_->ContainsControl(sender)));
            if (!ours) mruList_->CloseUp(false);
            return;
        }
        case CM_COLORCHANGED:
        case CM_ENABLEDCHANGED:
            TCustomMaskEdit::Dispatch(m);
            UpdateButtonStates();
            return;
        case CM_SYSCOLORCHANGE:
            TCustomMaskEdit::Dispatch(m);
            ClearButtonsBitmapCache();
            return;
        case CM_FONTCHANGED:
            TCustomMaskEdit::Dispatch(m);
            if (ControlStyle().Contains(csFixedHeight) &&
                !(ComponentState().Contains(csDesigning) && ComponentState().Contains(csLoading)))
                UpdateHeight();
            return;
        case MSG_EDIT_POPUP: RecreateWnd(); return;
        case MSG_RELEASE_BUTTON: return;
        default: TCustomMaskEdit::Dispatch(m);
    }
}

// A button held down when the focus or the mode goes elsewhere is let go:
// it would go on repeating and taking the focus back.
void TCustomDBEditEx::CancelChildCapture() {
    TControl* held = GetCaptureControl();
    if (held && held->Parent() == this) held->Perform(WM_CANCELMODE, 0, 0);
}

// --------------------------------------------------------------- layout

TRect TCustomDBEditEx::ButtonsRect() const {
    const int w = ClientWidth(), h = ClientHeight();
    if (BorderStyle() == bsSingle && !Ctl3D()) return {w - buttonsWidth_ - 1, 1, w - 1, h - 1};
    return {w - buttonsWidth_, 0, w, h};
}

TRect TCustomDBEditEx::ImageRect() const { return {0, 0, imageWidth_, ClientHeight()}; }

TRect TCustomDBEditEx::TextRect() const {
    const int w = ClientWidth(), h = ClientHeight();
    if (BorderStyle() == bsSingle && !Ctl3D()) return {imageWidth_ + 1, 1, w - buttonsWidth_ - 2, h - 1};
    return {imageWidth_, 0, w - buttonsWidth_ - 1, h};
}

TRect TCustomDBEditEx::GetEditRect() {
    TRect r{0, 0, ClientWidth() - buttonsWidth_, ClientHeight()};
    if (image_->Visible() && image_->Images()) r.Left += imageWidth_;
    return r;
}

void TCustomDBEditEx::UpdateEditRect() {
    if (!HandleAllocated()) return;
    TRect r = GetEditRect();
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    Perform(EM_SCROLLCARET, 0, 0);
}

void TCustomDBEditEx::CreateParams(TCreateParams& p) {
    TCustomMaskEdit::CreateParams(p);
    if (!PasswordChar()) p.Style |= ES_MULTILINE;
    // Non-left text is painted by the edit itself while it is not edited.
    p.Style &= ~static_cast<std::uint32_t>(ES_RIGHT | ES_CENTER);
}

void TCustomDBEditEx::CreateWnd() {
    TCustomMaskEdit::CreateWnd();
    UpdateFixedHeight();
    UpdateBorderState();
    LayoutButtons();
    UpdateButtonStates();
    imageWidth_ = 0;
    if (image_->Visible() && image_->Images())
        imageWidth_ = (image_->Width() > 0 ? image_->Width() : image_->Images()->Width()) + 4;
    UpdateEditRect();
}

void TCustomDBEditEx::UpdateFixedHeight() {
    if (AutoSize() && BorderStyle() == bsSingle) {
        SetControlStyle(ControlStyle() + csFixedHeight);
        UpdateHeight();
    } else {
        SetControlStyle(ControlStyle() - csFixedHeight);
    }
}

void TCustomDBEditEx::UpdateHeight() {
    TBitmap b(1, 1);
    b.Canvas().Font().Assign(*Font());
    const int m = b.Canvas().TextMetrics().Height;
    int k = Ctl3D() ? 8 : 6;
    if (flat_) k -= 2;
    const int inset = GetSystemMetrics(SM_CYBORDER) * k;
    const TCustomImageList* images = image_ ? image_->Images() : nullptr;
    if (images && image_->UseImageHeight() && images->Height() > m)
        SetHeight(inset + images->Height());
    else
        SetHeight(inset + m);
}

void TCustomDBEditEx::ApplyButton(TEditButtonEx* item, ButtonPair& pair, int& height) {
    TEditButtonControlEx* c = pair.control;
    const int h = ClientHeight();
    c->SetVisible(item->Visible());
    c->SetStyle(item->Style());
    c->SetGlyph(item->Glyph());
    c->SetNumGlyphs(item->NumGlyphs());
    c->SetHint(item->Hint());
    c->SetFlat(flat_);
    int w = 0;
    if (item->Visible())
        w = item->Width() > 0 ? item->Width() : flat_ ? FlatButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
    c->SetWidth(w);
    if (item->Visible()) height = std::min(height, std::lround(w * 3.0 / 2) < h ? w : h);
    pair.spacer->SetVisible(flat_ && item->Visible());
    pair.spacer->SetWidth(flat_ && item->Visible() ? 1 : 0);
    c->OnDown = [this](TObject* s, bool top, bool& autoRepeat, bool& handled) {
        EditButtonDown(s, top, autoRepeat, handled);
    };
    c->OnClick = [this](TObject* s) { EditButtonClick(s); };
    c->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { EditButtonMouseMove(s, sh, x, y); };
    c->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        EditButtonMouseUp(s, b, sh, x, y);
    };
}

void TCustomDBEditEx::LayoutButtons() {
    const std::size_t n = static_cast<std::size_t>(editButtons_->Count()) + 1;
    while (pairs_.size() > n) {
        pairs_.back().control->Free();
        pairs_.back().spacer->Free();
        pairs_.pop_back();
    }
    while (pairs_.size() < n) {
        ButtonPair p;
        p.control = CreateEditButtonControl();
        p.spacer = Create<TShape>(this);
        p.spacer->SetParent(this);
        pairs_.push_back(p);
    }
    int h = INT_MAX;
    ApplyButton(editButton_.get(), pairs_[0], h);
    for (std::size_t i = 1; i < n; ++i) ApplyButton(editButtons_->Items(static_cast<int>(i) - 1), pairs_[i], h);
    // No visible button: the (hidden) buttons take the client height.
    if (h == INT_MAX) h = ClientHeight();
    int x = ClientWidth();
    for (std::size_t i = n; i-- > 0;) {
        TEditButtonControlEx* c = pairs_[i].control;
        c->SetBounds(x - c->Width(), 0, c->Width(), h);
        x -= c->Width();
        TShape* s = pairs_[i].spacer;
        s->SetBounds(x - s->Width(), 0, s->Width(), h);
        x -= s->Width();
    }
    buttonsWidth_ = ClientWidth() - x;
    buttonHeight_ = h;
}

void TCustomDBEditEx::Resize() {
    TCustomMaskEdit::Resize();
    // Every change of size lays the buttons out again.
    if (HandleAllocated() && dataLink_ && !inLayout_) {
        inLayout_ = true;
        ScopeGuard done([this] { inLayout_ = false; });
        LayoutButtons();
        UpdateEditRect();
    }
}

void TCustomDBEditEx::ButtonsChanged() {
    if (!HandleAllocated()) return;
    LayoutButtons();
    UpdateButtonStates();
    UpdateEditRect();
    Invalidate();
}

void TCustomDBEditEx::UpdateButtonStates() {
    if (!dataLink_) return;
    const bool enabled = ButtonsEnabled();
    for (ButtonPair& p : pairs_) {
        p.control->SetEnabled(enabled);
        p.control->SetActive(borderActive_);
        p.spacer->Pen()->SetColor(borderActive_ ? clBtnFace : Color());
    }
}

void TCustomDBEditEx::UpdateBorderState() {
    if (ComponentState().Contains(csLoading)) return;
    const bool active =
        ComponentState().Contains(csDesigning) || Focused() || mouseInControl_ || alwaysShowBorder_;
    if (active == borderActive_) return;
    borderActive_ = active;
    if (Ctl3D() && BorderStyle() == bsSingle && flat_) PaintFlatBorder();
    UpdateButtonStates();
}

void TCustomDBEditEx::PaintFlatBorder() {
    if (!Ctl3D() || BorderStyle() != bsSingle || !HandleAllocated()) return;
    HDC dc = GetWindowDC(WindowHandle());
    if (!dc) return;
    ScopeGuard release([&] { ReleaseDC(WindowHandle(), dc); });
    TRect window;
    GetWindowRect(WindowHandle(), window);
    TRect r{0, 0, window.Width(), window.Height()};
    dc->Brush().SetStyle(bsSolid);
    dc->Brush().SetColor(clBtnFace);
    if (borderActive_)
        dc->DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
    else
        dc->FrameRect(r);
    r = InflateRect(r, -1, -1);
    dc->Brush().SetColor(clBtnFace);
    dc->FrameRect(r);
}

// -------------------------------------------------------------- painting

void TCustomDBEditEx::PaintWindow(HDC dc) {
    if (image_->Visible() && image_->Images() && image_->ImageIndex() >= 0)
        DrawImageInRect(*dc, InflateRect(ImageRect(), -2, -1), image_->Images(), image_->ImageIndex(), false);
    const TAlignment a = Alignment();
    const bool paintCopy = ControlState().Contains(csPaintCopy);
    const bool designedUnlinked = ComponentState().Contains(csDesigning) && !dataLink_->LinkActive();
    if ((a == taLeftJustify || inEditMode_) && !paintCopy && !designedUnlinked) {
        TCustomMaskEdit::PaintWindow(dc);
        return;
    }
    TCanvas& c = *dc;
    TCanvasStateSaver saved(c);
    c.Font().Assign(*Font());
    TRect r = ClientRect();
    if (!Ctl3D() && BorderStyle() == bsSingle) {
        c.Brush().SetColor(clWindowFrame);
        c.FrameRect(r);
        r = InflateRect(r, -1, -1);
    }
    r = TextRect();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    if (!Enabled()) c.Font().SetColor(clGrayText);
    std::string s = GetDisplayText();
    if (PasswordChar()) {
        // One mark a character, not a byte.
        const auto chars = std::count_if(s.begin(), s.end(), [](char ch) { return (ch & 0xC0) != 0x80; });
        s.assign(static_cast<std::size_t>(chars), PasswordChar());
    }
    const int m = BorderStyle() == bsNone ? 0 : Ctl3D() ? 1 : 2;
    const int left = m + LoWord(static_cast<std::uintptr_t>(Perform(EM_GETMARGINS, 0, 0)));
    const int tw = c.TextWidth(s);
    int x = left;
    if (a == taRightJustify)
        x = r.Right - tw - left;
    else if (a == taCenter)
        x = (r.Right - tw) / 2;
    c.Brush().SetStyle(bsClear);
    c.TextRect(r, x, m, s);
}

// ----------------------------------------------------- drop-down, buttons

void TCustomDBEditEx::DropDown() {
    if (editButton_->Style() == ebsUpDownEx || droppedDown_) return;
    ShowPopup();
    justDroppedDown_ = true;
}

void TCustomDBEditEx::ShowPopup() {
    if (TEditButtonControlEx* main = ButtonControl(0)) main->SetAlwaysDown(true);
    if (mruList_->DroppedDown) mruList_->CloseUp(false);
}

void TCustomDBEditEx::CloseUp(bool) {
    if (TEditButtonControlEx* main = ButtonControl(0)) main->SetAlwaysDown(false);
}

void TCustomDBEditEx::EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
    if (CanFocus() && !Focused()) SetFocus();
    handled = false;
    if (HandleAllocated()) {
        TMsg msg;
        if (PeekMessage(msg, WindowHandle(), MSG_RELEASE_BUTTON, MSG_RELEASE_BUTTON, PM_NOREMOVE) &&
            reinterpret_cast<TObject*>(msg.wParam) == sender) {
            // This press only closed the button's menu.
            PeekMessage(msg, WindowHandle(), MSG_RELEASE_BUTTON, MSG_RELEASE_BUTTON, PM_REMOVE);
            return;
        }
    }
    const int index = ItemIndexOfControl(sender);
    if (index < 0) return;
    auto* control = static_cast<TEditButtonControlEx*>(sender);
    TEditButtonEx* item = index == 0 ? editButton_.get() : editButtons_->Items(index - 1);
    if (index == 0) {
        if (OnButtonDown) OnButtonDown(sender, topButton, autoRepeat, handled);
    } else if (item->OnDown) {
        item->OnDown(sender, topButton, autoRepeat, handled);
    }
    if (handled) return;
    if (TPopupMenu* menu = item->DropdownMenu()) {
        const TPoint at = control->ClientToScreen(
            {menu->Alignment() == paRight ? control->Width() : 0, control->Height()});
        menu->Popup(at.X, at.Y);
        if (HandleAllocated())
            PostMessage(WindowHandle(), MSG_RELEASE_BUTTON, reinterpret_cast<WPARAM>(control), 0);
        control->Perform(WM_LBUTTONUP, 0, 0);
    } else if (index == 0) {
        DropDown();
    }
}

void TCustomDBEditEx::EditButtonClick(TObject* sender) {
    bool handled = false;
    const int index = ItemIndexOfControl(sender);
    if (index == 0) {
        if (OnButtonClick) OnButtonClick(sender, handled);
    } else if (index > 0) {
        TEditButtonEx* item = editButtons_->Items(index - 1);
        if (item->OnClick) item->OnClick(sender, handled);
    }
    if (!handled && droppedDown_ && !justDroppedDown_ && index == 0) CloseUp(false);
    justDroppedDown_ = false;
}

void TCustomDBEditEx::EditButtonMouseUp(TObject* sender, TMouseButton, TShiftState, int x, int y) {
    auto* c = dynamic_cast<TControl*>(sender);
    if (c && !PtInRect(c->ClientRect(), {x, y})) justDroppedDown_ = false;
}

// ------------------------------------------------------------- MRU list

void TCustomDBEditEx::FilterMRUItem(const std::string& s, bool& accept) {
    const std::string t = Text();
    const std::string head = s.substr(0, std::min(s.size(), t.size()));
    accept = mruList_->CaseSensitive() ? CompareStr(head, t) == 0 : CompareText(head, t) == 0;
}

void TCustomDBEditEx::UpdateMRUPopup() {
    if (choosingRecent_) return;
    const std::string empty = IsMasked() ? EmptyText() : std::string();
    const std::string t = Text();
    if (mruList_->DroppedDown && t == empty) {
        mruList_->CloseUp(false);
        return;
    }
    if (mruList_->Active() && Showing() && !droppedDown_ && t != empty) mruList_->DropDown();
}

void TCustomDBEditEx::ShowMRUList(TObject*) {
    if (!mruListBox_) mruListBox_ = CreateMRUListBox();
    TMRUListboxEx* list = mruListBox_;
    list->HandleNeeded();
    list->Items()->Clear();
    for (int i = 0; i < mruList_->Items()->Count(); ++i) {
        bool accept = false;
        const std::string& s = (*mruList_->Items())[i];
        FilterMRUItem(s, accept);
        if (accept) list->Items()->Add(s);
    }
    const int count = list->Items()->Count();
    TRect text;
    Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    const TPoint origin = ClientToScreen({0, 0});
    text = OffsetRect(text, origin.X, origin.Y);
    if (mruList_->DroppedDown) {
        if (count == 0) {
            mruList_->CloseUp(false);
            return;
        }
        list->SetRowCount(std::min(mruList_->Rows(), count));
        const TPoint at = PlacePopup(text, list, taLeftJustify);
        list->SetBounds(at.X, at.Y, list->Width(), list->Height());
        return;
    }
    if (count == 0) return;
    list->SetColor(Color());
    list->Font()->Assign(*Font());
    list->SetItemIndex(-1);
    // As wide as the text at every drop-down: a width the user dragged
    // holds for that drop-down only.
    list->SetWidth(text.Width());
    list->SetRowCount(std::min(mruList_->Rows(), count));
    const TPoint at = PlacePopup(text, list, taLeftJustify);
    list->SetBounds(at.X, at.Y, list->Width(), list->Height());
    list->SetVisible(true);
    list->SizeGrip()->SetVisible(true);
    list->UpdateScrollBar();
    mruList_->DroppedDown = true;
    list->SizeGrip()->OnParentResized = [this](TObject*) { MRUListBoxResized(); };
}

void TCustomDBEditEx::MRUListBoxResized() {
    if (!mruList_->DroppedDown || !mruListBox_) return;
    mruList_->SetRows(mruListBox_->RowCount());
    mruList_->DropDownWidth = mruListBox_->Width();
}

void TCustomDBEditEx::CloseMRUList(TObject*, bool accept) {
    if (!mruList_->DroppedDown || !mruListBox_) return;
    if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE);
    const bool hadFocus = mruListBox_->HandleAllocated() && GetFocus() == mruListBox_->WindowHandle();
    mruListBox_->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
    mruList_->DroppedDown = false;
    if (accept && !readOnly_ && dataLink_->Edit()) {
        const int i = mruListBox_->ItemIndex();
        if (i >= 0) {
            // The chosen text does not drop the list down again.
            const bool was = choosingRecent_;
            choosingRecent_ = true;
            ScopeGuard restore([&] { choosingRecent_ = was; });
            InternalSetText((*mruListBox_->Items())[i]);
            if (inEditMode_) SelectAll();
        }
    }
}

void TCustomDBEditEx::MRUListMouseUp(TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button != mbLeft || !mruListBox_) return;
    mruList_->CloseUp(PtInRect(mruListBox_->ClientRect(), {x, y}));
}


// =========================================================== number text

namespace {

char DecimalSep() { return FormatSettings().DecimalSeparator; }

// The whole text as a finite number; anything else is EConvertError.
double NumberOf(const std::string& t) {
    double x = 0;
    if (!TryStrToFloat(t, x) || !std::isfinite(x))
        throw EConvertError("'" + t + "' is not a valid floating point value");
    return x;
}

}  // namespace

std::string TrimSpaces(const std::string& s) {
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string NormalizeNumberText(const std::string& s) {
    const TFormatSettings& f = FormatSettings();
    std::string r = TrimSpaces(s);
    if (f.DecimalSeparator != f.ThousandSeparator) std::erase(r, f.ThousandSeparator);
    for (char other : {'.', ','})
        if (f.DecimalSeparator != other && f.ThousandSeparator != other) std::replace(r.begin(), r.end(), other, f.DecimalSeparator);
    return r;
}

TTypedNumber ReadTypedNumber(const std::string& s) {
    using enum TTypedNumberKind;
    if (s.empty()) return {tnEmpty, 0};
    const char sep = DecimalSep();
    for (char ch : s)
        if (!(ch == '+' || ch == '-' || std::isdigit(static_cast<unsigned char>(ch)) || ch == 'E' || ch == 'e' ||
              ch == sep))
            return {};
    // The whole text counts: nothing is cut off before the check.
    double x = 0;
    if (TryStrToFloat(s, x)) return {tnNumber, x};
    std::string_view rest = s;
    if (rest.front() == '+' || rest.front() == '-') rest.remove_prefix(1);
    if (rest.empty() || (rest.size() == 1 && rest.front() == sep)) return {tnStart, 0};
    std::string_view head = s;
    if (head.back() == '+' || head.back() == '-') head.remove_suffix(1);
    if (!head.empty() && (head.back() == 'E' || head.back() == 'e')) {
        head.remove_suffix(1);
        if (head.find_first_of("Ee") == std::string_view::npos && TryStrToFloat(head, x)) return {tnExponent, x};
    }
    return {};
}

bool IsNumberText(const std::string& s, double& x) {
    const TTypedNumber n = ReadTypedNumber(s);
    if (n.Kind == TTypedNumberKind::tnEmpty || n.Kind == TTypedNumberKind::tnInvalid) return false;
    x = n.X;
    return true;
}

std::string InsertThousandSeparators(const std::string& s, bool group) {
    std::size_t start = !s.empty() && (s[0] == '+' || s[0] == '-') ? 1 : 0;
    std::size_t end = start;
    const char sep = DecimalSep();
    while (end < s.size() && s[end] != sep && s[end] != 'E' && s[end] != 'e') ++end;
    std::string r = s.substr(0, start);
    const std::string digits = s.substr(start, end - start);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (group && i > 0 && (digits.size() - i) % 3 == 0) r += FormatSettings().ThousandSeparator;
        r += digits[i];
    }
    return r + s.substr(end);
}

std::string CurrencyEditFormat() {
    return ",#." + std::string(static_cast<std::size_t>(std::max(0, FormatSettings().CurrencyDecimals)), '0');
}

std::string EditFormatFromDisplayFormat(const std::string& f) {
    std::string r;
    bool pending = false;
    int zeros = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char ch = f[i];
        if (ch == '\'' || ch == '"') {
            const std::size_t close = f.find(ch, i + 1);
            if (close == std::string::npos) break;
            i = close;
            pending = false;
            zeros = 0;
            continue;
        }
        if (ch == ';') break;
        if (ch == 'E' || ch == 'e') {
            pending = false;
            zeros = 0;
            if (i + 1 < f.size() && f[i + 1] == '+') {
                pending = true;
                ++i;
            }
            continue;
        }
        if (ch == '0' && pending) {
            if (zeros == 4) break;
            ++zeros;
            continue;
        }
        pending = false;
        zeros = 0;
        if (ch == '#' || ch == ',' || ch == '.' || ch == '0') r += ch;
    }
    // An exponent's digits widen the decimals by one ("0.00E+00" edits as "0.000").
    if (zeros > 0) r += '0';
    return r;
}

double ClampToRange(double x, double minValue, double maxValue) {
    if (minValue == maxValue) return x;
    if (minValue < maxValue) return std::clamp(x, minValue, maxValue);
    if (maxValue == 0) return std::max(x, minValue);
    if (minValue == 0) return std::min(x, maxValue);
    return x;
}

// =========================================================== number edit

MENVARO_CLASS_INFO(TCustomDBNumberEditEx) {}

TCustomDBNumberEditEx::TCustomDBNumberEditEx(TComponent* owner) : TCustomDBEditEx(owner) {}

void TCustomDBNumberEditEx::AfterConstruction() {
    TCustomDBEditEx::AfterConstruction();
    SetControlStyle(ControlStyle() - csSetCaption);
    SetMaxLength(0);
    decimalPlaces_ = 2;
    increment_ = 1.0;
    RefreshFromField();
    UpdateButtonStates();
}

TAlignment TCustomDBNumberEditEx::DefaultAlignment() const {
    return Field() ? Field()->Alignment() : taRightJustify;
}

TEditButtonEx* TCustomDBNumberEditEx::CreateEditButton() {
    return std::make_unique<TDropDownEditButtonEx>(static_cast<TWinControl*>(this)).release();
}

Variant TCustomDBNumberEditEx::GetValue() const { return value_; }

bool TCustomDBNumberEditEx::Currency() const {
    if (currencySet_) return currency_;
    return Field() && Field()->IsNumeric() && Field()->Currency();
}

void TCustomDBNumberEditEx::SetCurrency(bool v) {
    if (currencySet_ && v == currency_) return;
    currency_ = v;
    currencySet_ = true;
    Invalidate();
    RefreshFromField();
    UpdateButtonStates();
}

std::string TCustomDBNumberEditEx::DisplayFormat() const {
    if (displayFormatSet_) return displayFormat_;
    return Field() ? Field()->DisplayFormat() : std::string();
}

void TCustomDBNumberEditEx::SetDisplayFormat(const std::string& f) {
    if (displayFormatSet_ && f == displayFormat_) return;
    displayFormat_ = f;
    displayFormatSet_ = true;
    Invalidate();
    RefreshFromField();
    UpdateButtonStates();
}

void TCustomDBNumberEditEx::SetDecimalPlaces(unsigned v) {
    if (!menvaro::Change(decimalPlaces_, v)) return;
    RefreshFromField();
    UpdateButtonStates();
    Invalidate();
}

double TCustomDBNumberEditEx::MaxValue() const {
    if (maxSet_) return maxValue_;
    return Field() && Field()->IsNumeric() ? Field()->MaxValue() : 0;
}

double TCustomDBNumberEditEx::MinValue() const {
    if (minSet_) return minValue_;
    return Field() && Field()->IsNumeric() ? Field()->MinValue() : 0;
}

void TCustomDBNumberEditEx::SetMaxValue(double v) {
    if (maxSet_ && v == maxValue_) return;
    maxValue_ = v;
    if (!ComponentState().Contains(csLoading) && IsDataIndependent()) CommitEdit();
    maxSet_ = true;
}

void TCustomDBNumberEditEx::SetMinValue(double v) {
    if (minSet_ && v == minValue_) return;
    minValue_ = v;
    if (!ComponentState().Contains(csLoading) && IsDataIndependent()) CommitEdit();
    minSet_ = true;
}

std::string TCustomDBNumberEditEx::FormatDisplayText(double x) const {
    const std::string f = DisplayFormat();
    if (!f.empty()) return FormatFloat(f, x);
    if (Currency()) {
        // Beyond the currency type's range the plain number shows instead.
        menvaro::Currency c;
        if (TryFloatToCurr(x, c)) return CurrToStrF(c, ffCurrency, FormatSettings().CurrencyDecimals);
    }
    return FloatToStrF(x, ffGeneral, 15, 0);
}

std::string TCustomDBNumberEditEx::ValueDisplayText() const {
    if (value_.IsNull()) return {};
    return FormatDisplayText(value_.AsDouble());
}

void TCustomDBNumberEditEx::GuardedSetText(const std::string& s) {
    if (settingText_) return;
    settingText_ = true;
    ScopeGuard done([this] { settingText_ = false; });
    SetTextDirectly(s);
}

void TCustomDBNumberEditEx::InternalSetValue(const Variant& v) {
    if (v.IsEmpty()) throw EVariantInvalidOpError("Invalid variant operation");
    if (v.IsNull()) {
        GuardedSetText(std::string());
        value_ = Null;
        return;
    }
    value_ = Variant(v.VarType() == TVarType::varString ? NumberOf(NormalizeNumberText(v.AsString())) : v.AsDouble());
    DataLink().Modified();
    if (InEditMode() && DataLink().CanModify())
        ReformatTypedText(FormatFloat(editFormat_, value_.AsDouble()));
    else
        GuardedSetText(ValueDisplayText());
}

void TCustomDBNumberEditEx::InternalSetText(const std::string& s) {
    if (s.empty())
        InternalSetValue(Null);
    else
        InternalSetValue(Variant(NumberOf(NormalizeNumberText(s))));
}

void TCustomDBNumberEditEx::WriteToLink() { DataLink().SetValue(Value()); }

bool TCustomDBNumberEditEx::ParseEditText() {
    const TTypedNumber n = ReadTypedNumber(NormalizeNumberText(EditText()));
    switch (n.Kind) {
        case TTypedNumberKind::tnEmpty:
            value_ = Null;
            GuardedSetText(std::string());
            return true;
        // A lone sign or point is no number yet, and not clamped.
        case TTypedNumberKind::tnStart: value_ = Variant(0); return true;
        case TTypedNumberKind::tnNumber: value_ = Variant(ClampToRange(n.X)); return true;
        // An exponent without digits, typed or left by a deletion ("1E"
        // from "1E5"): the value keeps its number until the digits come.
        case TTypedNumberKind::tnExponent: return true;
        case TTypedNumberKind::tnInvalid: break;
    }
    return false;
}

bool TCustomDBNumberEditEx::AcceptsChar(char ch) {
    std::string c = EditText();
    const int start = SelStart(), length = SelLength();
    c.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), 1, ch);
    c = NormalizeNumberText(c);
    const char sep = DecimalSep();
    const std::size_t p = c.find(sep);
    if (p != std::string::npos) {
        const std::size_t e = UpperCase(c).find('E');
        const std::size_t decimals = e != std::string::npos && e > p ? e - p - 1 : c.size() - p - 1;
        if (decimals > decimalPlaces_) return false;
    }
    if (c.empty()) return true;
    double x = 0;
    if (!IsNumberText(c, x)) return false;
    return !(x < 0 && minValue_ >= 0 && maxValue_ > 0);
}

void TCustomDBNumberEditEx::ReformatTypedText(std::string s) {
    const int length = static_cast<int>(s.size());
    const int start = HandleAllocated() ? SelStart() : 0;
    if (!s.empty() && s != "-") s = NormalizeNumberText(s);
    s = InsertThousandSeparators(s, editFormat_.find(',') != std::string::npos);
    if (s == Text()) return;
    GuardedSetText(s);
    if (HandleAllocated() && Focused() && !ComponentState().Contains(csDesigning))
        SetSelStart(std::max(0, start + static_cast<int>(s.size()) - length));
}

void TCustomDBNumberEditEx::Change() {
    if (!settingText_) {
        ReformatTypedText(Text());
        ParseEditText();
    }
    TCustomDBEditEx::Change();
}

void TCustomDBNumberEditEx::RefreshFromField() {
    const std::string f = DisplayFormat();
    editFormat_ = !f.empty() || !Currency() ? EditFormatFromDisplayFormat(f) : CurrencyEditFormat();
    // Unless one was set explicitly, the window follows the field's
    // alignment, and the default's once the field is gone.
    if (!AlignmentStored() && DefaultAlignment() != KeptAlignment()) {
        SetKeptAlignment(DefaultAlignment());
        RecreateWnd();
    }
    if (TField* field = Field()) {
        InternalSetValue(field->Value());
    } else if (IsDataIndependent()) {
        InternalSetValue(DataLink().DataIndependentValue());
    } else {
        InternalSetValue(Null);
    }
    UpdateReadOnly();
    SetModified(false);
}

void TCustomDBNumberEditEx::StepValue(bool up) {
    if (increment_ == 0 || !EditCanModify()) return;
    double next = increment_;
    if (!value_.IsNull()) next = value_.AsDouble() + (up ? increment_ : -increment_);
    InternalSetValue(Variant(ClampToRange(next)));
    if (InEditMode()) SelectAll();
}

void TCustomDBNumberEditEx::EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
    topButton_ = topButton;
    TCustomDBEditEx::EditButtonDown(sender, topButton, autoRepeat, handled);
}

void TCustomDBNumberEditEx::DropDown() {
    if (EditButton()->Style() == ebsUpDownEx) {
        // The upper half steps up, the lower half down.
        if (!ReadOnly()) StepValue(topButton_);
        return;
    }
    TCustomDBEditEx::DropDown();
}

void TCustomDBNumberEditEx::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomDBEditEx::KeyDown(key, shift);
    if ((key == VK_UP || key == VK_DOWN) && !ReadOnly()) {
        StepValue(key == VK_UP);
        key = 0;
    }
}

void TCustomDBNumberEditEx::KeyPress(char& key) {
    if (calculatorOpen_ && (key == 13 || key == 27)) {
        CloseUp(key == 13);
        key = 0;
        return;
    }
    TCustomDBEditEx::KeyPress(key);
    if (key == ',' || key == '.') key = DecimalSep();
    if (static_cast<unsigned char>(key) >= 32 && !AcceptsChar(key)) key = 0;
    if (key == 27) {
        Reset();
        key = 0;
    }
}

bool TCustomDBNumberEditEx::Wheel(TShiftState shift, bool up) {
    if (shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt) || ReadOnly() ||
        !DataLink().Edit())
        return false;
    StepValue(up);
    return true;
}

bool TCustomDBNumberEditEx::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
    return TCustomDBEditEx::DoMouseWheelDown(shift, mousePos) || Wheel(shift, false);
}

bool TCustomDBNumberEditEx::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
    return TCustomDBEditEx::DoMouseWheelUp(shift, mousePos) || Wheel(shift, true);
}

void TCustomDBNumberEditEx::CreateParams(TCreateParams& p) {
    TCustomDBEditEx::CreateParams(p);
    // The inner window aligns the number itself.
    if (Alignment() == taRightJustify) p.Style |= ES_RIGHT;
    if (Alignment() == taCenter) p.Style |= ES_CENTER;
}

TPopupCalculatorEx* TCustomDBNumberEditEx::PopupCalculator() {
    if (!calculator_) {
        calculator_ = Create<TPopupCalculatorEx>(this);
        calculator_->SetVisible(false);
        calculator_->SetParent(this);
    }
    return calculator_;
}

void TCustomDBNumberEditEx::ShowPopup() {
    TCustomDBEditEx::ShowPopup();
    if (calculatorOpen_) return;
    TPopupCalculatorEx* calc = PopupCalculator();
    IDropDownValueEditor* editor = Supports<IDropDownValueEditor>(calc);
    editor->SetValue(value_.IsNull() ? Variant(0) : value_);
    editor->SetFlat(Flat());
    const TPoint at = PlacePopupUnder(this, calc, taLeftJustify);
    calc->SetBounds(at.X, at.Y, calc->Width(), calc->Height());
    calc->SetVisible(true);
    calculatorOpen_ = true;
    droppedDown_ = true;
    if (HandleAllocated()) HideCaret(WindowHandle());
    SetSelLength(0);
}

void TCustomDBNumberEditEx::CloseUp(bool accept) {
    if (!calculatorOpen_) return;
    if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE);
    calculator_->SetVisible(false);
    calculatorOpen_ = false;
    if (HandleAllocated()) ShowCaret(WindowHandle());
    if (accept && !ReadOnly() && DataLink().Edit()) {
        const Variant v = Supports<IDropDownValueEditor>(calculator_)->GetValue();
        // An error hands back nothing; a value is clamped as typed text is.
        if (v.IsNumeric()) {
            InternalSetValue(Variant(ClampToRange(v.AsDouble())));
            if (InEditMode()) SelectAll();
        }
    }
    droppedDown_ = false;
    TCustomDBEditEx::CloseUp(accept);
    if (HandleAllocated())
        PostMessage(WindowHandle(), MSG_RELEASE_BUTTON, reinterpret_cast<WPARAM>(ButtonControl(0)), 0);
}

void TCustomDBNumberEditEx::WndProc(TMessage& m) {
    if (calculatorOpen_ && calculator_ && calculator_->HandleAllocated()) {
        const bool key = m.Msg == WM_KEYDOWN || m.Msg == WM_CHAR || m.Msg == WM_SYSKEYDOWN;
        // Backspace, Ctrl+C and Ctrl+V work the calculator, not the hidden text.
        const bool calcChar = m.Msg == WM_CHAR && (m.WParam == 8 || m.WParam == 3 || m.WParam == 22);
        const bool back = m.Msg == WM_KEYDOWN && m.WParam == VK_BACK;
        if (calcChar || back || (key && (m.WParam == 13 || (m.WParam >= 32 && m.WParam <= 126)))) {
            m.Result = SendMessage(calculator_->WindowHandle(), m.Msg, m.WParam, m.LParam);
            return;
        }
        switch (m.Msg) {
            case CM_WANTSPECIALKEY:
                if (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) {
                    m.Result = 1;
                    return;
                }
                break;
            case WM_KILLFOCUS:
                if (static_cast<HWND>(m.WParam) != calculator_->WindowHandle()) CloseUp(false);
                break;
            case CM_MOUSEWHEEL:
                if (calculator_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam)) {
                    m.Result = 1;
                    return;
                }
                break;
            case CM_CANCELMODE: {
                TCustomDBEditEx::WndProc(m);
                auto* sender = reinterpret_cast<TControl*>(m.LParam);
                const bool inside = sender && (sender == calculator_ || calculator_->ContainsControl(sender) ||
                                               (sender != this && ContainsControl(sender)));
                if (!inside) CloseUp(false);
                return;
            }
            default: break;
        }
    }
    TCustomDBEditEx::WndProc(m);
}

void TCustomDBNumberEditEx::Dispatch(TMessage& m) {
    if (m.Msg == WM_PASTE) {
        const std::string kept = EditText();
        bool read = false;
        try {
            TCustomDBEditEx::Dispatch(m);
            read = ParseEditText();
        } catch (const std::exception&) {
        }
        // A paste that leaves no number text is undone without a word.
        if (!read) {
            GuardedSetText(kept);
            SelectAll();
            if (CanFocus()) SetFocus();
        }
        return;
    }
    TCustomDBEditEx::Dispatch(m);
}

MENVARO_DEFINE_ENUM(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
                    imChinese, imSHanguel, imHanguel)

// The published number edit.
MENVARO_CLASS_INFO(TDBNumberEditEx) {
    using E = TDBNumberEditEx;
    c.Unpublish({"Align", "Caption", "CharCase", "HideSelection", "MaxLength", "Text", "OnResize", "OnMouseWheel",
                 "OnMouseWheelDown", "OnMouseWheelUp"});
    c.Prop("ImeMode", &E::ImeMode, &E::SetImeMode).Default(imDontCare);
    c.Prop("ImeName", &E::ImeName, &E::SetImeName);
    c.Prop("Alignment", &E::Alignment, &E::SetAlignment).Stored(&E::AlignmentStored);
    c.Prop("AlwaysShowBorder", &E::AlwaysShowBorder, &E::SetAlwaysShowBorder).Default(false);
    c.Prop("currency", &E::Currency, &E::SetCurrency).Stored(&E::CurrencyStored);
    c.Prop("DataField", &E::DataField, &E::SetDataField);
    c.Prop("DataSource", &E::DataSource, &E::SetDataSource);
    c.Prop("DecimalPlaces", &E::DecimalPlaces, &E::SetDecimalPlaces).Default(2);
    c.Prop("DisplayFormat", &E::DisplayFormat, &E::SetDisplayFormat).Stored(&E::DisplayFormatStored);
    c.Prop("EditButton", &E::EditButton, &E::SetEditButton);
    c.Prop("EditButtons", &E::EditButtons, &E::SetEditButtons);
    c.Prop("Flat", &E::Flat, &E::SetFlat).Default(false);
    c.Prop("Increment", &E::Increment, &E::SetIncrement).Stored([](const E& e) { return e.Increment() != 1.0; });
    c.Prop("MaxValue", &E::MaxValue, &E::SetMaxValue).Stored(&E::MaxValueStored);
    c.Prop("MinValue", &E::MinValue, &E::SetMinValue).Stored(&E::MinValueStored);
    c.Prop("MRUList", &E::MRUList, &E::SetMRUList);
    c.Prop("ReadOnly", &E::ReadOnly, &E::SetReadOnly).Default(false);
    c.Prop("Value", &E::Value, &E::SetValue).Stored([](const E& e) {
        return e.IsDataIndependent() && !e.Value().IsNull();
    });
    c.Event("OnButtonClick", &E::OnButtonClick);
    c.Event("OnButtonDown", &E::OnButtonDown);
    c.Event("OnUpdateData", &E::OnUpdateData);
    c.Event("OnDragDrop", &E::OnDragDrop);
    c.Event("OnDragOver", &E::OnDragOver);
    c.Event("OnEndDock", &E::OnEndDock);
    c.Event("OnEndDrag", &E::OnEndDrag);
    c.Event("OnStartDock", &E::OnStartDock);
    c.Event("OnStartDrag", &E::OnStartDrag);
}

}  // namespace menvaro
