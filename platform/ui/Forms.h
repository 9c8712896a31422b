// Forms, the screen and the application: TCustomForm / TForm (a top-level
// window streamed from its form resource), TScreen and TApplication (the
// message loop, modal loops, exception handling).
//
// A form class:
//
//   class TUpdateForm : public TForm {
//       MENVARO_CLASS(TUpdateForm, TForm)
//   public:
//       using TForm::TForm;                 // (TComponent* owner)
//       TPanel* Panel1 = nullptr;           // components, found by name
//       void FormCreate(TObject* Sender);   // handlers, bound by name
//   };
//   MENVARO_CLASS_INFO(TUpdateForm) {       // in the .cpp
//       MENVARO_PUBLISHED_FIELDS(Panel1)
//       MENVARO_PUBLISHED_METHODS(FormCreate)
//   }
//
// with its resource "object UpdateForm: TUpdateForm ... end" embedded by
// menvaro_add_forms. Create it with Application->CreateForm(UpdateForm) or
// Create<TUpdateForm>(owner); AfterConstruction streams the resource, then
// OnCreate runs.
#pragma once

#include <atomic>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classes/DataModule.h"
#include "ui/Controls.h"

namespace menvaro {

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
MENVARO_DECLARE_ENUM(TPosition)
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
MENVARO_DECLARE_ENUM(TBorderIcon)
using TBorderIcons = TSet<TBorderIcon>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
MENVARO_DECLARE_ENUM(TFormStyle)
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
MENVARO_DECLARE_ENUM(TWindowState)
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
enum : TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};
const TIdentMap& ModalResultIdents();

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
    MENVARO_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    // Streams the form resources of the class chain (a class of its own
    // without one raises EResNotFound, unless made with SetCreateNew), then OnCreate.
    void AfterConstruction() override;
    // OnDestroy while every component is there.
    void BeforeDestruction() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle s);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition p) { position_ = p; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle s);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState s);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int v);
    bool Scaled() const { return scaled_; }
    void SetScaled(bool v) { scaled_ = v; }
    bool OldCreateOrder = false;  // accepted from form files; creation order is always the same
    int TextHeight = 0;           // read from form files, kept

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    TCanvas* Canvas() const { return canvas_.get(); }

    void Show();
    // Closes the form: OnCloseQuery, OnClose, then hides it (the main form
    // ends the application). A modal form gets ModalResult mrCancel instead.
    void Close();
    // Shows the form modally: the other windows of the task are disabled and
    // a message loop runs until ModalResult is set (by a button, by Close, or
    // by the application terminating); the form is hidden again, the other
    // windows enabled and the previous active window restored, also when a
    // handler raises. Answers ModalResult.
    TModalResult ShowModal();
    // Frees the form once the messages waiting for it are handled.
    void Release();
    virtual bool CloseQuery();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }
    bool Active() const { return active_; }
    bool Modal() const { return modal_; }

    // Focus inside the form (the controls call these).
    bool SetFocusedControl(TWinControl* control);
    void FocusControl(TWinControl* control);
    void DefocusControl(TWinControl* control, bool removing);
    void SendCancelMode(TControl* sender);
    TWinControl* FocusedControl() const { return focusedControl_; }

    void SetVisible(bool v) override;
    void SetFocus() override;
    bool CanFocus() const override;
    void Dispatch(TMessage& message) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void DefineProperties(TFiler& filer) override;
    void Loaded() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(HDC dc) override;
    virtual void Paint();
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void Activate();
    virtual void Deactivate();
    virtual void DoClose(TCloseAction& action);
    // A form class built in code, with no form resource.
    void SetCreateNew() { createNew_ = true; }

private:
    void ShowingChanged();
    void ApplyPosition();
    void SetWindowFocus();
    void CloseModal();
    bool SendFocusMessage(TWinControl* control, UINT msg);

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TFormStyle formStyle_ = fsNormal;
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    int pixelsPerInch_ = 96;
    bool scaled_ = true;
    std::unique_ptr<TCanvas> canvas_;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool active_ = false;
    bool activated_ = false;  // OnActivate has run since the last deactivation
    bool shown_ = false;      // the window is on the screen
    bool created_ = false;
    bool createNew_ = false;
    bool showAfterCreate_ = false;   // Visible was set while the form was being made
    bool* destroyedFlag_ = nullptr;  // a running ShowModal learns that the form went
};

class TForm : public TCustomForm {
    MENVARO_CLASS(TForm, TCustomForm)
public:
    using TCustomForm::TCustomForm;
};

class TScreen : public TComponent {
    MENVARO_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* owner);

    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int i) const { return forms_.at(static_cast<std::size_t>(i)); }
    int DataModuleCount() const;
    TDataModule* DataModules(int i) const;
    // The form holding the focus, and its focused control.
    TCustomForm* ActiveForm() const { return activeForm_; }
    TWinControl* ActiveControl() const { return activeControl_; }
    // crDefault lets each control show its own cursor.
    TCursor Cursor() const;
    void SetCursor(TCursor c);
    int Width() const;
    int Height() const;
    TRect WorkAreaRect() const;
    int WorkAreaLeft() const { return WorkAreaRect().Left; }
    int WorkAreaTop() const { return WorkAreaRect().Top; }
    int WorkAreaWidth() const { return WorkAreaRect().Width(); }
    int WorkAreaHeight() const { return WorkAreaRect().Height(); }
    // The work area of the monitor that holds the most of `r` (the nearest
    // one when none does).
    TRect MonitorWorkAreaFromRect(const TRect& r) const;
    int MonitorCount() const { return static_cast<int>(GetMonitors().size()); }
    int PixelsPerInch() const { return 96; }

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;  // the form that holds the focus
    TWinControl* activeControl_ = nullptr;
};

using TExceptionEvent = TEvent<void(TObject* Sender, const std::exception& E)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TMessageEvent = TEvent<void(TMsg& Msg, bool& Handled)>;

class TApplication : public TComponent {
    MENVARO_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // Brings up the backend (MENVARO_UI) and the exception handling; with
    // MENVARO_UI_SCRIPT set, the script starts with Run. From here on SIGTERM
    // and SIGINT end the program as closing its main window does, once the
    // job running in a job window (if any) has returned (EndSignals.h).
    void Initialize();
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& t) { title_ = t; }
    TCustomForm* MainForm() const { return mainForm_; }
    bool ShowMainForm = true;

    // Creates a form or data module owned by the application; `ref` is set
    // before its OnCreate runs. The first form becomes the main form.
    template <class T>
    void CreateForm(T*& ref) {
        T* object = new T(this);
        ref = object;
        try {
            object->AfterConstruction();
        } catch (...) {
            ref = nullptr;
            object->Free();
            throw;
        }
        if (!mainForm_)
            if (auto* form = dynamic_cast<TCustomForm*>(object)) {
                mainForm_ = form;
                form->HandleNeeded();
            }
    }

    // Runs the message loop until Terminate (or the main form closes), then
    // frees the forms and data modules the application owns.
    void Run();
    // Handles every waiting message and returns (a job may call it: a
    // request to end waits for the loop).
    void ProcessMessages();
    // Handles one message, or waits for one when there is none; first acts
    // on a request to end the program.
    void HandleMessage();
    // What the loop does when no message waits: OnIdle and the idle hook,
    // then a wait for the next message (a modal loop of its own calls it).
    void Idle();
    // Ends the message loop (a quit message; Terminated is set when it arrives).
    void Terminate();
    bool Terminated() const { return terminated_; }
    int ExitCode = 0;

    // Inside a catch block: the exception hook, else OnException, else a
    // message box with the exception's message. EAbort is silent.
    void HandleException(TObject* sender);
    void ShowException(const std::exception& e);
    // What HandleException does without a hook.
    void DefaultHandleException(TObject* sender, std::exception_ptr error);
    using THandleExceptionHook = std::function<void(TObject* sender, std::exception_ptr error)>;
    // Installs a hook in front of the default handling (the crash logger);
    // answers the previous hook, which the new one may call.
    THandleExceptionHook SetHandleExceptionHook(THandleExceptionHook hook);

    // A modal message box: the answer is IDOK, IDCANCEL, IDYES, ...
    int MessageBox(const std::string& text, const std::string& caption, UINT flags);
    // No help system here: false.
    bool HelpContext(int context);
    int ModalLevel() const { return modalLevel_; }
    std::string ExeName() const;

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TMessageEvent OnMessage;

    // Called when the application is idle, before it waits (UI scripts).
    std::function<void(bool& done)> IdleHook;

private:
    friend class TCustomForm;
    bool ProcessMessage(TMsg& msg);
    bool IsKeyMsg(TMsg& msg);
    void EndOnRequest();

    std::string title_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool initialized_ = false;
    int modalLevel_ = 0;
    THandleExceptionHook hook_;
};

extern TApplication* Application;
// Called with each TApplication as it is made (the crash logger, which
// starts before the application object exists, puts its exception hook in).
extern std::atomic<void (*)(TApplication&)> ApplicationCreatedSlot;
extern TScreen* Screen;

// The windows of the task, disabled while a modal window shows.
using TTaskWindowList = std::vector<HWND>;
TTaskWindowList DisableTaskWindows(HWND activeWindow);
void EnableTaskWindows(const TTaskWindowList& list);

// The application's message box (MessageBox with the application's title
// when `caption` is empty).
int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags);

}  // namespace menvaro
