#include "testsupport/TestControls.h"

#include "classes/ClassBuilder.h"

namespace menvaro {

std::vector<std::string>& TestLog() {
    static std::vector<std::string> log;
    return log;
}

void LogLine(const std::string& s) { TestLog().push_back(s); }

namespace {
// The notices whose order the tests check.
void LogNotice(TControl* c, UINT msg, LPARAM l) {
    const char* what = nullptr;
    switch (msg) {
        case CM_ENTER: what = "enter"; break;
        case CM_EXIT: what = "exit"; break;
        case CM_MOUSEENTER: what = "mouseenter"; break;
        case CM_MOUSELEAVE: what = "mouseleave"; break;
        case WM_SETFOCUS: what = "setfocus"; break;
        case WM_KILLFOCUS: what = "killfocus"; break;
        case CM_FOCUSCHANGED:
            if (auto* to = reinterpret_cast<TControl*>(l)) LogLine(c->Name() + " focuschanged " + to->Name());
            return;
        default: return;
    }
    LogLine(c->Name() + " " + what);
}
}  // namespace

MENVARO_CLASS_INFO(TTestPanel) {}

TTestPanel::TTestPanel(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + csAcceptsControls);
    SetBounds(0, 0, 100, 40);
}

void TTestPanel::Dispatch(TMessage& m) {
    LogNotice(this, m.Msg, m.LParam);
    TCustomControl::Dispatch(m);
}

MENVARO_CLASS_INFO(TTestBox) {}

TTestBox::TTestBox(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() + csOpaque);
    SetBounds(0, 0, 20, 20);
}

void TTestBox::Paint() {
    Canvas()->Brush().SetColor(Color());
    Canvas()->FillRect(ClientRect());
}

void TTestBox::Dispatch(TMessage& m) {
    LogNotice(this, m.Msg, m.LParam);
    TGraphicControl::Dispatch(m);
}

MENVARO_CLASS_INFO(TTestButton) {
    c.Prop("Default", &TTestButton::Default, &TTestButton::Default).Default(false);
    c.Prop("Cancel", &TTestButton::Cancel, &TTestButton::Cancel).Default(false);
    c.Prop("ModalResult", &TTestButton::ModalResult, &TTestButton::ModalResult).Default(0).Idents(ModalResultIdents());
    c.Redeclare("TabStop").Default(true);
}

TTestButton::TTestButton(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(0, 0, 75, 25);
}

void TTestButton::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(Focused() ? clNavy : Color());
    c.FillRect(r);
}

void TTestButton::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    if (CanFocus()) SetFocus();
    TCustomControl::MouseDown(b, s, x, y);
}

void TTestButton::Click() {
    LogLine(Name() + " click");
    TCustomControl::Click();
    if (ModalResult)
        if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(ModalResult);
}

void TTestButton::Dispatch(TMessage& m) {
    LogNotice(this, m.Msg, m.LParam);
    if (m.Msg == CM_DIALOGKEY && ((m.WParam == VK_RETURN && Default) || (m.WParam == VK_ESCAPE && Cancel))) {
        Click();
        m.Result = 1;
        return;
    }
    if (m.Msg == CM_DIALOGCHAR && IsAccel(static_cast<char>(m.WParam), Caption())) {
        Click();
        m.Result = 1;
        return;
    }
    if (m.Msg == WM_SETFOCUS || m.Msg == WM_KILLFOCUS) Invalidate();
    TCustomControl::Dispatch(m);
}

MENVARO_CLASS_INFO(TTestEdit) {}

TTestEdit::TTestEdit(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 80, 21);
}

void TTestEdit::Paint() {
    Canvas()->Brush().SetColor(Color());
    Canvas()->FillRect(ClientRect());
    Canvas()->TextOut(2, 2, Text());
}

void TTestEdit::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (static_cast<unsigned char>(key) >= 32) {
        SetText(Text() + key);
        key = 0;
    }
}

void TTestEdit::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    if (CanFocus()) SetFocus();
    TCustomControl::MouseDown(b, s, x, y);
}

void TTestEdit::Dispatch(TMessage& m) {
    LogNotice(this, m.Msg, m.LParam);
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
        return;
    }
    TCustomControl::Dispatch(m);
}

MENVARO_CLASS_INFO(TTestForm) {
    MENVARO_PUBLISHED_FIELDS(Top1, Box1, Edit1, btnOk, btnCancel, Timer1)
    MENVARO_PUBLISHED_METHODS(FormCreate, FormActivate, FormClose, Timer1Timer, btnOkClick)
}

void TTestForm::FormCreate(TObject*) {
    events.push_back("create " + std::string(btnOk ? "with" : "without") + " buttons");
}

void TTestForm::FormActivate(TObject*) {
    ++activations;
    events.push_back("activate");
    if (onActivate) onActivate();
}

void TTestForm::FormClose(TObject*, TCloseAction&) { events.push_back("close"); }

void TTestForm::Timer1Timer(TObject*) { ++ticks; }

void TTestForm::btnOkClick(TObject*) {
    if (onOk) onOk();
}

void TTestForm::Dispatch(TMessage& m) {
    LogNotice(this, m.Msg, m.LParam);
    TForm::Dispatch(m);
}

}  // namespace menvaro
