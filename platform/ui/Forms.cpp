#include "ui/Forms.h"

#include <algorithm>
#include <cstdlib>

#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/ExceptionHandler.h"
#include "classes/Filer.h"
#include "classes/FormReader.h"
#include "classes/FormResources.h"
#include "ui/Backend.h"
#include "ui/EndSignals.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                    poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
MENVARO_DEFINE_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
MENVARO_DEFINE_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
MENVARO_DEFINE_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized)

const TIdentMap& ModalResultIdents() {
    static const TIdentMap map{"TModalResult",
                               {{"mrNone", mrNone},
                                {"mrOk", mrOk},
                                {"mrCancel", mrCancel},
                                {"mrAbort", mrAbort},
                                {"mrRetry", mrRetry},
                                {"mrIgnore", mrIgnore},
                                {"mrYes", mrYes},
                                {"mrNo", mrNo},
                                {"mrAll", mrAll},
                                {"mrNoToAll", mrNoToAll},
                                {"mrYesToAll", mrYesToAll}}};
    return map;
}

TApplication* Application = nullptr;
constinit std::atomic<void (*)(TApplication&)> ApplicationCreatedSlot{nullptr};
TScreen* Screen = nullptr;

namespace {

// The screen and the application exist from the start, as the class
// library's globals do.
const bool globalsMade = [] {
    Screen = Create<TScreen>(nullptr);
    Application = Create<TApplication>(nullptr);
    RegisterFindGlobalComponent([](std::string_view name) -> TComponent* {
        if (!Screen) return nullptr;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (SameText(Screen->Forms(i)->Name(), name)) return Screen->Forms(i);
        return nullptr;
    });
    return true;
}();

}  // namespace

// -------------------------------------------------------------- TCustomForm

MENVARO_CLASS_INFO(TCustomForm) {
    c.Prop("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    c.Prop("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    c.Prop("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
    c.Prop("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight).Clamp(0, kMaxCoord);
    c.Prop("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth).Clamp(0, kMaxCoord);
    c.Redeclare("Width").Stored(false);
    c.Redeclare("Height").Stored(false);
    c.Redeclare("Color").Default(clBtnFace);
    c.Redeclare("Visible").Default(false);
    c.Prop("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
    c.Prop("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
    c.Prop("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::OldCreateOrder).Default(false);
    c.Prop("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch).Default(96);
    c.Prop("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
    c.Prop("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled).Default(true);
    c.Prop("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
    c.Event("OnActivate", &TCustomForm::OnActivate);
    c.Event("OnClose", &TCustomForm::OnClose);
    c.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
    c.Event("OnCreate", &TCustomForm::OnCreate);
    c.Event("OnDeactivate", &TCustomForm::OnDeactivate);
    c.Event("OnDestroy", &TCustomForm::OnDestroy);
    c.Event("OnHide", &TCustomForm::OnHide);
    c.Event("OnPaint", &TCustomForm::OnPaint);
    c.Event("OnShow", &TCustomForm::OnShow);
}

MENVARO_CLASS_INFO(TForm) {}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    TControl::SetVisible(false);
    SetParentFont(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    if (Screen) Screen->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
    if (destroyedFlag_) *destroyedFlag_ = true;
    if (Screen) {
        auto& f = Screen->forms_;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
    }
}

void TCustomForm::AfterConstruction() {
    if (!createNew_) {
        bool found = InitInheritedComponent(this, TForm::StaticClass());
        if (!found && &ClassType() != &TForm::StaticClass() && &ClassType() != &TCustomForm::StaticClass())
            throw EResNotFound("Resource " + ClassName() + " not found");
    }
    created_ = true;
    DoCreate();
    if (showAfterCreate_) {
        showAfterCreate_ = false;
        TControl::SetVisible(false);
        SetVisible(true);
    }
}

void TCustomForm::BeforeDestruction() {
    if (!ComponentState().Contains(csDestroying)) {
        Destroying();
        if (created_) DoDestroy();
    }
    if (Screen) {
        if (Screen->activeForm_ == this) {
            Screen->activeForm_ = nullptr;
            Screen->activeControl_ = nullptr;
        }
        auto& f = Screen->forms_;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
    }
    if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
    activeControl_ = nullptr;
    focusedControl_ = nullptr;
    TWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() { CallEventHandled(OnCreate, this); }

void TCustomForm::DoDestroy() { CallEventHandled(OnDestroy, this); }

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::Activate() {
    if (activated_) return;
    activated_ = true;
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (!activated_) return;
    activated_ = false;
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

void TCustomForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    std::uint32_t style = WS_CLIPCHILDREN;
    std::uint32_t ex = 0;
    switch (borderStyle_) {
        case bsNone: style |= WS_POPUP; break;
        case bsSingle: style |= WS_CAPTION; break;
        case bsSizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
        case bsDialog:
            style |= WS_POPUP | WS_CAPTION;
            ex |= WS_EX_DLGMODALFRAME;
            break;
        case bsToolWindow:
            style |= WS_CAPTION;
            ex |= WS_EX_TOOLWINDOW;
            break;
        case bsSizeToolWin:
            style |= WS_CAPTION | WS_THICKFRAME;
            ex |= WS_EX_TOOLWINDOW;
            break;
    }
    if (borderStyle_ != bsNone) {
        if (borderIcons_.Contains(biSystemMenu)) style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin) {
            if (borderIcons_.Contains(biMinimize)) style |= WS_MINIMIZEBOX;
            if (borderIcons_.Contains(biMaximize)) style |= WS_MAXIMIZEBOX;
        }
    }
    if (formStyle_ == fsStayOnTop) ex |= WS_EX_TOPMOST;
    if (!Enabled()) style |= WS_DISABLED;
    p.Style = style;
    p.ExStyle = ex;
    p.Parent = 0;
    p.Bounds = BoundsRect();
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main != this && main->HandleAllocated()) p.Owner = main->WindowHandle();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle s) {
    if (s == borderStyle_) return;
    borderStyle_ = s;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
    if (icons == borderIcons_) return;
    borderIcons_ = icons;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle s) {
    if (s == formStyle_) return;
    formStyle_ = s;
    if (HandleAllocated())
        SetWindowPos(WindowHandle(), s == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState s) {
    if (s == windowState_) return;
    windowState_ = s;
    if (s == wsMaximized) {
        TRect w = GetWorkArea();
        SetBounds(w.Left, w.Top, w.Width(), w.Height());
    }
}

void TCustomForm::SetPixelsPerInch(int v) {
    if (v != 0 && v < 36) throw EInvalidOperation("PixelsPerInch must be 0 or at least 36");
    pixelsPerInch_ = v;
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    if (scaled_ && pixelsPerInch_ > 0 && pixelsPerInch_ != Screen->PixelsPerInch()) {
        ScaleBy(Screen->PixelsPerInch(), pixelsPerInch_);
        pixelsPerInch_ = Screen->PixelsPerInch();
    }
}

void TCustomForm::DefineProperties(TFiler& filer) {
    TWinControl::DefineProperties(filer);
    filer.DefineProperty(
        "TextHeight", [this](TReader& r) { TextHeight = static_cast<int>(r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(TextHeight); }, TextHeight != 0);
}

void TCustomForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    TWinControl::GetChildren(proc, root);
    if (root != this) return;
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->HasParent()) proc(Components(i));
}

void TCustomForm::PaintWindow(HDC dc) {
    TCanvasOnDC bound(*canvas_, dc, this);
    Paint();
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

bool TCustomForm::CanFocus() const { return Visible() && Enabled(); }

void TCustomForm::SetFocus() {
    if (!Visible() || !Enabled()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    SetWindowFocus();
}

void TCustomForm::SetVisible(bool v) {
    if (!created_ || ComponentState().Contains(csLoading)) {
        // Shown once the form is made whole.
        showAfterCreate_ = v;
        return;
    }
    if (v == Visible()) {
        if (v && shown_ && HandleAllocated()) SetActiveWindow(WindowHandle());
        return;
    }
    TWinControl::SetVisible(v);
}

void TCustomForm::ApplyPosition() {
    TRect screen = GetScreenRect();
    TRect work = GetWorkArea();
    auto centreOn = [&](TRect r) {
        SetBounds(r.Left + (r.Width() - Width()) / 2, r.Top + (r.Height() - Height()) / 2, Width(), Height());
    };
    auto formRect = [](TCustomForm* f) { return f->BoundsRect(); };
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    switch (position_) {
        case poScreenCenter:
        case poDesktopCenter: centreOn(screen); break;
        case poMainFormCenter:
            if (main && main != this && main->Showing())
                centreOn(formRect(main));
            else
                centreOn(screen);
            break;
        case poOwnerFormCenter: {
            auto* owner = dynamic_cast<TCustomForm*>(Owner());
            if (owner && owner->Showing())
                centreOn(formRect(owner));
            else if (main && main != this && main->Showing())
                centreOn(formRect(main));
            else
                centreOn(screen);
            break;
        }
        default: return;
    }
    // The caption stays on the work area.
    int l = std::max(Left(), work.Left), t = std::max(Top(), work.Top);
    if (l != Left() || t != Top()) SetBounds(l, t, Width(), Height());
}

void TCustomForm::ShowingChanged() {
    if (Visible()) {
        HandleNeeded();
        if (shown_) return;
        ApplyPosition();
        DoShow();
        shown_ = true;
        ShowWindow(WindowHandle(), SW_SHOW);
    } else {
        if (!shown_) return;
        shown_ = false;
        // The window goes also when OnHide raises: the form says it is hidden.
        ScopeGuard hidden([this] {
            if (HandleAllocated()) ShowWindow(WindowHandle(), SW_HIDE);
        });
        DoHide();
    }
}

void TCustomForm::Show() { SetVisible(true); }

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
        case caHide: Hide(); break;
        case caMinimize: SetWindowState(wsMinimized); break;
        default: Release(); break;
    }
}

void TCustomForm::Release() { PostMessage(Handle(), CM_RELEASE, 0, 0); }

void TCustomForm::CloseModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    switch (action) {
        case caNone: modalResult_ = mrNone; break;
        case caFree: Release(); break;
        default: break;
    }
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    if (HWND cap = GetCapture()) {
        SendMessage(cap, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    bool destroyed = false;
    destroyedFlag_ = &destroyed;
    modal_ = true;
    ++Application->modalLevel_;
    HWND previous = GetActiveWindow();
    HandleNeeded();
    TTaskWindowList disabled = DisableTaskWindows(WindowHandle());
    // The other windows come back even when OnDeactivate or OnHide raises.
    auto cleanup = [&] {
        --Application->modalLevel_;
        std::exception_ptr error;
        if (!destroyed) {
            destroyedFlag_ = nullptr;
            modal_ = false;
            try {
                Perform(CM_DEACTIVATE, 0, 0);
                Hide();
            } catch (...) {
                error = std::current_exception();
            }
        }
        EnableTaskWindows(disabled);
        if (previous && IsWindow(previous) && IsWindowVisible(previous)) SetActiveWindow(previous);
        if (error) std::rethrow_exception(error);
    };
    TModalResult result = mrCancel;
    try {
        Show();
        Perform(CM_ACTIVATE, 0, 0);
        modalResult_ = mrNone;
        while (!destroyed) {
            Application->HandleMessage();
            if (destroyed) break;
            if (Application->Terminated())
                modalResult_ = mrCancel;
            else if (modalResult_ != mrNone)
                CloseModal();
            if (modalResult_ != mrNone) break;
        }
        if (!destroyed) result = modalResult_;
    } catch (...) {
        cleanup();
        throw;
    }
    cleanup();
    return result;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (control == activeControl_) return;
    bool loading = ComponentState().Contains(csLoading);
    if (control && (control == this || GetParentForm(control) != this || (!loading && !control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    activeControl_ = control;
    if (!loading && active_) SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
    HWND h = (activeControl_ && activeControl_->CanFocus()) ? activeControl_->Handle() : Handle();
    ::menvaro::SetFocus(h);
}

void TCustomForm::FocusControl(TWinControl* control) {
    bool wasActive = active_;
    SetActiveControl(control);
    if (!wasActive && Visible()) SetWindowFocus();
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
    if (removing && focusedControl_ && control->ContainsControl(focusedControl_)) focusedControl_ = control->Parent();
    // Also when no focus change follows (the form is not active).
    if (removing && Screen && Screen->activeControl_ && control->ContainsControl(Screen->activeControl_))
        Screen->activeControl_ = control->Parent();
    if (activeControl_ && control->ContainsControl(activeControl_)) {
        activeControl_ = nullptr;
        if (active_ && HandleAllocated() && !ComponentState().Contains(csDestroying))
            ::menvaro::SetFocus(WindowHandle());
    }
}

void TCustomForm::SendCancelMode(TControl* sender) {
    if (active_ && activeControl_) activeControl_->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
}

bool TCustomForm::SendFocusMessage(TWinControl* control, UINT msg) {
    HWND focus = GetFocus();
    control->Perform(msg, 0, 0);
    return GetFocus() == focus;
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
    if (control->ControlState().Contains(csFocusing)) return false;
    if (control != this) activeControl_ = control;
    Screen->activeControl_ = control;
    control->SetControlState(control->ControlState() + csFocusing);
    struct Unmark {
        TWinControl* c;
        ~Unmark() { c->SetControlState(c->ControlState() - csFocusing); }
    } unmark{control};
    if (Screen->activeForm_ != this) {
        if (TCustomForm* old = Screen->activeForm_) {
            Screen->activeForm_ = nullptr;
            if (!SendFocusMessage(old, CM_DEACTIVATE)) return false;
        }
        Screen->activeForm_ = this;
        if (!SendFocusMessage(this, CM_ACTIVATE)) return false;
    }
    if (!focusedControl_) focusedControl_ = this;
    if (focusedControl_ == control) return true;
    while (focusedControl_ && !focusedControl_->ContainsControl(control)) {
        TWinControl* leaving = focusedControl_;
        focusedControl_ = focusedControl_->Parent();
        if (!SendFocusMessage(leaving, CM_EXIT)) return false;
    }
    if (!focusedControl_) focusedControl_ = this;
    while (focusedControl_ != control) {
        TWinControl* entering = control;
        while (entering->Parent() != focusedControl_) entering = entering->Parent();
        focusedControl_ = entering;
        if (!SendFocusMessage(entering, CM_ENTER)) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    return true;
}

void TCustomForm::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_VISIBLECHANGED: ShowingChanged(); return;
        case WM_ACTIVATE: {
            active_ = LoWord(m.WParam) != WA_INACTIVE;
            if (active_) {
                if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
                SetWindowFocus();
            }
            return;
        }
        case WM_NCACTIVATE: m.Result = 1; return;
        case CM_ACTIVATE: Activate(); return;
        case CM_DEACTIVATE: Deactivate(); return;
        case WM_CLOSE: Close(); return;
        case CM_RELEASE: Free(); return;
        case CM_DIALOGKEY:
            if (GetKeyState(VK_MENU) >= 0) {
                switch (m.WParam) {
                    case VK_TAB:
                        if (GetKeyState(VK_CONTROL) >= 0) {
                            SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
                            m.Result = 1;
                            return;
                        }
                        break;
                    case VK_LEFT:
                    case VK_RIGHT:
                    case VK_UP:
                    case VK_DOWN:
                        if (activeControl_ && activeControl_->Parent()) {
                            activeControl_->Parent()->SelectNext(activeControl_,
                                                                 m.WParam == VK_RIGHT || m.WParam == VK_DOWN, false);
                            m.Result = 1;
                        }
                        return;
                    default: break;
                }
            }
            TWinControl::Dispatch(m);
            return;
        default: TWinControl::Dispatch(m);
    }
}

// ------------------------------------------------------------------ TScreen

MENVARO_CLASS_INFO(TScreen) {}

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

int TScreen::DataModuleCount() const { return static_cast<int>(TDataModule::Instances().size()); }

TDataModule* TScreen::DataModules(int i) const { return TDataModule::Instances().at(static_cast<std::size_t>(i)); }

TCursor TScreen::Cursor() const { return ScreenCursor(); }

void TScreen::SetCursor(TCursor c) { SetScreenCursor(c); }

int TScreen::Width() const { return GetScreenRect().Width(); }

int TScreen::Height() const { return GetScreenRect().Height(); }

TRect TScreen::WorkAreaRect() const { return GetWorkArea(); }

TRect TScreen::MonitorWorkAreaFromRect(const TRect& r) const {
    TMonitorInfo info;
    if (!GetMonitorInfo(MonitorFromRect(r, MONITOR_DEFAULTTONEAREST), info)) return GetWorkArea();
    return info.rcWork;
}

// ------------------------------------------------------------- TApplication

MENVARO_CLASS_INFO(TApplication) {}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    title_ = ChangeFileExt(ExtractFileName(ExeName()), "");
    SetExceptionHandler([this](TObject* sender) { HandleException(sender); });
    if (auto created = ApplicationCreatedSlot.load()) created(*this);
}

TApplication::~TApplication() = default;

std::string TApplication::ExeName() const { return ::menvaro::ExeName(); }

void StartUiScriptFromEnvironment(TApplication& app);

void TApplication::Initialize() {
    if (initialized_) return;
    initialized_ = true;
    Backend();
    InstallEndSignals(AllocateHWnd([](TMessage&) {}));
    StartUiScriptFromEnvironment(*this);
}

void TApplication::Run() {
    if (mainForm_ && ShowMainForm) mainForm_->Show();
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
    // The program's forms and data modules go when the loop ends (their
    // OnDestroy runs now), before anything static of the program is torn down.
    try {
        DestroyComponents();
    } catch (...) {
        HandleException(this);
    }
}

bool TApplication::IsKeyMsg(TMsg& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
    TWinControl* control = FindControl(msg.hwnd);
    if (!control) return false;
    return SendMessage(msg.hwnd, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(TMsg& msg) {
    if (!PeekMessage(msg, 0, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        ExitCode = static_cast<int>(msg.wParam);
        return true;
    }
    bool handled = false;
    if (OnMessage) OnMessage(msg, handled);
    if (!handled && !IsKeyMsg(msg)) {
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
    return true;
}

void TApplication::Idle() {
    bool done = true;
    try {
        if (OnIdle) OnIdle(this, done);
        if (IdleHook) IdleHook(done);
    } catch (...) {
        HandleException(this);
    }
    if (done && !terminated_) WaitMessage();
}

void TApplication::HandleMessage() {
    if (TakeEndRequest()) {
        try {
            EndOnRequest();
        } catch (...) {
            HandleException(this);
        }
    }
    TMsg msg;
    if (!ProcessMessage(msg)) Idle();
}

// What the user's closing of the main window does where it can be closed;
// while a modal window is up (a message box, a dialog, a job's window whose
// job has returned) every modal loop ends, and the program after them. It
// ends also when the main window's handlers would keep it.
void TApplication::EndOnRequest() {
    if (modalLevel_ == 0 && mainForm_ && mainForm_->Visible()) mainForm_->Close();
    Terminate();
}

void TApplication::ProcessMessages() {
    TMsg msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* sender) {
    std::exception_ptr error = std::current_exception();
    if (!error) return;
    if (hook_)
        hook_(sender, error);
    else
        DefaultHandleException(sender, error);
}

void TApplication::DefaultHandleException(TObject* sender, std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (...) {
        ShowException(Exception("An exception of an unknown kind"));
    }
}

TApplication::THandleExceptionHook TApplication::SetHandleExceptionHook(THandleExceptionHook hook) {
    THandleExceptionHook previous = std::move(hook_);
    hook_ = std::move(hook);
    return previous;
}

void TApplication::ShowException(const std::exception& e) {
    std::string text = e.what();
    // A sentence ends with a full stop unless it ends with one already.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    MessageBox(text, title_, MB_OK | MB_ICONERROR);
}

int RunMessageBox(const std::string& text, const std::string& caption, UINT flags);

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    return RunMessageBox(text, caption, flags);
}

int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    return RunMessageBox(text, caption.empty() && Application ? Application->Title() : caption, flags);
}

bool TApplication::HelpContext(int) { return false; }

// --------------------------------------------------------- task windows

TTaskWindowList DisableTaskWindows(HWND activeWindow) {
    TTaskWindowList list;
    for (HWND h : GetTopLevelWindows(true)) {
        if (h == activeWindow || !IsWindowVisible(h) || !IsWindowEnabled(h)) continue;
        EnableWindow(h, false);
        list.push_back(h);
    }
    return list;
}

void EnableTaskWindows(const TTaskWindowList& list) {
    for (HWND h : list)
        if (IsWindow(h)) EnableWindow(h, true);
}

}  // namespace menvaro
