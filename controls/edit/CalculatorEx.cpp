#include "edit/CalculatorEx.h"

#include <cmath>

#include "base/FloatFormat.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "classes/FormReader.h"
#include "classes/FormResources.h"
#include "classes/Setters.h"
#include "ui/Clipboard.h"
#include "ui/Forms.h"

namespace menvaro {

MENVARO_CLASS_INFO(TCalculatorEx) {
    c.Prop("BorderStyle", &TCalculatorEx::BorderStyle, &TCalculatorEx::SetBorderStyle).Default(bsNone);
    c.Prop("ClientHeight", &TCalculatorEx::ClientHeightProp, &TCalculatorEx::SetClientHeightProp);
    c.Prop("ClientWidth", &TCalculatorEx::ClientWidthProp, &TCalculatorEx::SetClientWidthProp);
    c.Prop("OldCreateOrder", &TCalculatorEx::OldCreateOrder, &TCalculatorEx::OldCreateOrder).Default(false);
    c.Prop("PixelsPerInch", &TCalculatorEx::PixelsPerInch, &TCalculatorEx::SetPixelsPerInch);
    MENVARO_PUBLISHED_FIELDS(Panel1, TextBox, SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5,
                             SpeedButton6, SpeedButton7, SpeedButton8, SpeedButton9, SpeedButton10, SpeedButton11,
                             SpeedButton12, SpeedButton13, SpeedButton14, SpeedButton15, SpeedButton16, SpeedButton18,
                             SpeedButton19, SpeedButton20, SpeedButton22, SpeedButton23, SpeedButton24, spEqual)
    MENVARO_PUBLISHED_METHODS(SpeedButtonClick)
}

MENVARO_CLASS_INFO(TPopupCalculatorEx) {}

namespace {

// The key each button's Tag sends.
constexpr char kKeysOfTags[] = {0,   '7', '8', '9', '/', 'S', 'C', '4', '5', '6', '*', '%',
                                'A', '1', '2', '3', '-', 'R', 8,   '0', 'I', '.', '+', '='};

constexpr char kError[] = "Error";
constexpr char kOk[] = "Ok";

bool IsFourFunction(char op) { return op == '+' || op == '-' || op == '*' || op == '/'; }

}  // namespace

TCalculatorEx::TCalculatorEx(TComponent* owner) : TCustomControl(owner) {
    scale_.PixelsPerInch = Screen ? Screen->PixelsPerInch() : 96;
}

void TCalculatorEx::AfterConstruction() {
    TCustomControl::AfterConstruction();
    if (!InitInheritedComponent(this, TCustomControl::StaticClass()))
        throw EResNotFound("Resource TCALCULATOREX not found");
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* key = dynamic_cast<TSpeedButtonEx*>(Controls(i))) {
            key->SetStyle(ebsGlyphEx);
            key->SetActive(true);
        }
    SetAutoSize(true);
}

char TCalculatorEx::KeyOfTag(std::int64_t tag) {
    if (tag < 0 || tag >= static_cast<std::int64_t>(sizeof kKeysOfTags)) return 0;
    return kKeysOfTags[tag];
}

void TCalculatorEx::SpeedButtonClick(TObject* Sender) {
    if (auto* key = dynamic_cast<TComponent*>(Sender)) ProcessKey(KeyOfTag(key->Tag()));
}

// ------------------------------------------------------ window and size

void TCalculatorEx::SetBorderStyle(TBorderStyle s) {
    if (s != bsNone) s = bsSingle;
    if (!Change(borderStyle_, s)) return;
    RecreateWnd();
    AdjustSize();
}

void TCalculatorEx::SetClientWidthProp(int v) {
    if (ComponentState().Contains(csReading))
        scale_.ClientWidth = v;
    else
        SetClientWidth(v);
}

void TCalculatorEx::SetClientHeightProp(int v) {
    if (ComponentState().Contains(csReading))
        scale_.ClientHeight = v;
    else
        SetClientHeight(v);
}

void TCalculatorEx::SetPixelsPerInch(int v) {
    if (v != 0 && v < 36) throw EInvalidOperation("Invalid PixelsPerInch value " + std::to_string(v));
    // While loading only over a value already there (the screen's).
    if (!ComponentState().Contains(csLoading) || scale_.PixelsPerInch != 0) scale_.PixelsPerInch = v;
}

void TCalculatorEx::ReadState(TComponentReader& reader) {
    DisableAlign();
    ScopeGuard aligned([this] { EnableAlign(); });
    scale_.ClientWidth = scale_.ClientHeight = scale_.TextHeight = 0;
    TCustomControl::ReadState(reader);
    ApplyDesignScale(*this, scale_);
}

void TCalculatorEx::DefineProperties(TFiler& filer) {
    TCustomControl::DefineProperties(filer);
    filer.DefineProperty(
        "TextHeight", [this](TReader& r) { scale_.TextHeight = static_cast<int>(r.ReadInteger()); }, nullptr, false);
}

void TCalculatorEx::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    if (borderStyle_ == bsSingle) {
        if (Ctl3D())
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

int TCalculatorEx::BorderExtent() {
    TCreateParams p;
    CreateParams(p);
    const TRect in = WindowFrameInsets(p.Style & ~(WS_VSCROLL | WS_HSCROLL), p.ExStyle, p.Parent == 0);
    return in.Left + in.Right;
}

bool TCalculatorEx::CanAutoSize(int& width, int& height) {
    width = BorderExtent() + scale_.ClientWidth;
    height = BorderExtent() + scale_.ClientHeight;
    return true;
}

void TCalculatorEx::Paint() {
    TCanvas& c = *Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
}

// ---------------------------------------------------------------- display

const std::string& TCalculatorEx::DisplayText() const {
    static const std::string none;
    return TextBox ? TextBox->Caption() : none;
}

void TCalculatorEx::SetDisplay(const std::string& text) {
    if (TextBox) TextBox->SetCaption(text);
}

double TCalculatorEx::DisplayValue() {
    if (status_ == calcError) return 0;
    double v = 0;
    if (!TryStrToFloat(Trim(DisplayText()), v) || !std::isfinite(v)) {
        SetError();
        return 0;
    }
    return v;
}

void TCalculatorEx::ShowValue(double value) {
    // Never "INF" or "NAN" on the display.
    if (!std::isfinite(value)) {
        SetError();
        return;
    }
    SetDisplay(FloatToStrF(value, ffGeneral, 15, 0));
}

void TCalculatorEx::SetError() {
    status_ = calcError;
    SetDisplay(kError);
}

void TCalculatorEx::Clear() {
    status_ = calcResult;
    ShowValue(0);
    operator_ = '=';
    accumulator_ = 0;
}

void TCalculatorEx::BeginEntry() {
    if (status_ != calcResult) return;
    status_ = calcEntering;
    SetDisplay("0");
}

void TCalculatorEx::RefreshOkButton() {
    if (!spEqual) return;
    // A pending operation with its second operand being typed: "=" computes.
    spEqual->SetCaption(status_ == calcEntering && IsFourFunction(operator_) ? "=" : kOk);
}

void TCalculatorEx::Paste() {
    const std::string text = Clipboard().AsText();
    if (text.empty()) return;
    // Text that is no finite number raises; the display stays as it was.
    const double v = StrToFloat(Trim(text));
    ShowValue(v);
}

// ------------------------------------------------------------------- keys

void TCalculatorEx::ProcessKey(char key) {
    auto k = static_cast<unsigned char>(key);
    if (k >= 'a' && k <= 'z') k = static_cast<unsigned char>(k - 'a' + 'A');
    if (status_ == calcError && k != 'C') k = 0;
    const char sep = FormatSettings().DecimalSeparator;
    if (k == ',' || k == '.' || k == static_cast<unsigned char>(sep)) {
        BeginEntry();
        const std::string& t = DisplayText();
        // An exponent takes no decimals: "1E20." would not read back.
        if (t.find('E') == std::string::npos && t.find(sep) == std::string::npos) SetDisplay(t + sep);
        return;
    }
    switch (k) {
        case 3: Clipboard().SetAsText(DisplayText()); break;
        case 22: Paste(); break;
        case 27:
        case 'C': Clear(); break;
        case 8: {
            BeginEntry();
            const std::string t = DisplayText();
            if (t.size() <= 1 || (t.size() == 2 && t[0] == '-') || t.find('E') != std::string::npos)
                SetDisplay("0");
            else
                SetDisplay(t.substr(0, t.size() - 1));
            break;
        }
        case 'I': {
            const double v = DisplayValue();
            if (status_ != calcError) ShowValue(-v);
            break;
        }
        case 'R':
        case 'S': {
            if (status_ != calcResult && status_ != calcEntering) break;
            status_ = calcResult;
            const double v = DisplayValue();
            if (status_ == calcError) break;
            if (k == 'R') {
                if (v == 0)
                    SetError();
                else
                    ShowValue(1 / v);
            } else if (v < 0) {
                SetError();
            } else {
                ShowValue(std::sqrt(v));
            }
            break;
        }
        case 13:
        case '%':
        case '*':
        case '+':
        case '-':
        case '/':
        case '=': {
            if (status_ == calcEntering) {
                status_ = calcResult;
                double operand = DisplayValue();
                if (status_ != calcError) {
                    if (k == '%') {
                        if (operator_ == '*' || operator_ == '/')
                            operand = operand / 100;
                        else if (operator_ == '+' || operator_ == '-')
                            operand = accumulator_ * operand / 100;
                    }
                    switch (operator_) {
                        case '+': ShowValue(accumulator_ + operand); break;
                        case '-': ShowValue(accumulator_ - operand); break;
                        case '*': ShowValue(accumulator_ * operand); break;
                        case '/':
                            if (operand == 0)
                                SetError();
                            else
                                ShowValue(accumulator_ / operand);
                            break;
                        default: break;
                    }
                }
            }
            operator_ = static_cast<char>(k);
            accumulator_ = DisplayValue();
            break;
        }
        default:
            if (k >= '0' && k <= '9') {
                BeginEntry();
                std::string t = DisplayText();
                if (t == "0") t.clear();
                if (t.find('E') == std::string::npos) {
                    const std::size_t limit = !t.empty() && t[0] == '-' ? 16 : 15;
                    if (t.size() < limit) t += static_cast<char>(k);
                }
                SetDisplay(t.empty() ? std::string("0") : t);
            }
            break;
    }
    RefreshOkButton();
}

void TCalculatorEx::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    ProcessKey(key);
}

bool TCalculatorEx::Wheel(double step) {
    if (status_ == calcError) return false;
    const double v = DisplayValue();
    if (status_ != calcError) ShowValue(v + step);
    return true;
}

bool TCalculatorEx::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
    return TCustomControl::DoMouseWheelDown(shift, mousePos) || Wheel(-1);
}

bool TCalculatorEx::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
    return TCustomControl::DoMouseWheelUp(shift, mousePos) || Wheel(1);
}

// ============================================================== drop-down

TPopupCalculatorEx::TPopupCalculatorEx(TComponent* owner) : TCalculatorEx(owner) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetParentCtl3D(false);
    SetCtl3D(true);
    SetTabStop(false);
    borderWidth_ = Ctl3D() ? 2 : 0;
}

bool TPopupCalculatorEx::QueryInterface(const TGUID& iid, void*& obj) {
    if (iid == IDropDownValueEditor::IID) {
        obj = static_cast<IDropDownValueEditor*>(this);
        return true;
    }
    return false;
}

bool TPopupCalculatorEx::ReadyToClose() { return spEqual && spEqual->Caption() == kOk; }

Variant TPopupCalculatorEx::GetValue() {
    const double v = DisplayValue();
    if (Status() == calcError) return VarAsError(0xFFFFFFFF);
    return Variant(v);
}

void TPopupCalculatorEx::SetFlat(bool value) {
    if (!Change(flat_, value)) return;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* key = dynamic_cast<TSpeedButtonEx*>(Controls(i))) key->SetFlat(value);
}

void TPopupCalculatorEx::SetValue(const Variant& value) {
    Clear();
    ShowValue(value.AsDouble());
    RefreshOkButton();
}

void TPopupCalculatorEx::CloseThroughOwner(bool accept) {
    if (auto* owner = Supports<IDropDownEditorOwner>(Owner())) owner->CloseUp(accept);
}

void TPopupCalculatorEx::ProcessKey(char key) {
    const auto k = static_cast<unsigned char>(key);
    // The Cancel key leaves as Esc does, whatever the display shows.
    if (k == 'A' || k == 'a') {
        CloseThroughOwner(false);
        return;
    }
    // Enter, "=" and the "Ok" key hand a finished value over.
    if ((k == 13 || k == '=') && ReadyToClose()) {
        CloseThroughOwner(true);
        return;
    }
    TCalculatorEx::ProcessKey(key);
}

void TPopupCalculatorEx::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCalculatorEx::KeyDown(key, shift);
    if (key == VK_ESCAPE) {
        CloseThroughOwner(false);
        key = 0;
    }
}

void TPopupCalculatorEx::CreateParams(TCreateParams& p) {
    TCalculatorEx::CreateParams(p);
    // Made as a child of its edit, then turned top-level (CreateWnd).
    p.Style = (p.Style & ~WS_CHILD) | WS_POPUP;
    if (!Ctl3D()) p.Style |= WS_BORDER;
    p.ExStyle = WS_EX_TOOLWINDOW;
    p.ClassStyle |= CS_SAVEBITS;
}

void TPopupCalculatorEx::CreateWnd() {
    TCalculatorEx::CreateWnd();
    MakeTopLevelWindow(*this);
}

bool TPopupCalculatorEx::CanAutoSize(int& width, int& height) {
    TCalculatorEx::CanAutoSize(width, height);
    width += 2 * borderWidth_;
    height += 2 * borderWidth_;
    return true;
}

void TPopupCalculatorEx::PaintBorder() {
    if (!Ctl3D() || !HandleAllocated()) return;
    HDC dc = GetWindowDC(WindowHandle());
    if (!dc) return;
    ScopeGuard release([&] { ReleaseDC(WindowHandle(), dc); });
    TRect window;
    GetWindowRect(WindowHandle(), window);
    TRect r = Bounds(0, 0, window.Width(), window.Height());
    dc->Brush().SetStyle(bsSolid);
    dc->Brush().SetColor(cl3DDkShadow);
    dc->FrameRect(r);
    r = InflateRect(r, -1, -1);
    dc->DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
}

void TPopupCalculatorEx::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_MOUSEACTIVATE: m.Result = MA_NOACTIVATE; return;
        case WM_GETDLGCODE:
            TCalculatorEx::Dispatch(m);
            m.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
            return;
        case WM_NCCALCSIZE:
            TCalculatorEx::Dispatch(m);
            if (auto* r = reinterpret_cast<TRect*>(m.LParam)) *r = InflateRect(*r, -borderWidth_, -borderWidth_);
            return;
        case WM_NCPAINT:
            TCalculatorEx::Dispatch(m);
            PaintBorder();
            return;
        case CM_WANTSPECIALKEY:
            if (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) {
                CloseThroughOwner(m.WParam == VK_RETURN);
                m.Result = 1;
                return;
            }
            break;
        case MSG_EDIT_POPUP: CloseThroughOwner(false); return;
        case CM_CTL3DCHANGED:
            borderWidth_ = Ctl3D() ? 2 : 0;
            RecreateWnd();
            TCalculatorEx::Dispatch(m);
            AdjustSize();
            return;
        default: break;
    }
    TCalculatorEx::Dispatch(m);
}

}  // namespace menvaro
