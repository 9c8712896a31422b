// The dialogs as windows: a top-level window of the platform's controls
// with a modal loop of its own, the exception dialog with its pages, the
// request dialog and the SMTP progress window in its own thread.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ExceptionLogDialog.h"
#include "base/Files.h"
#include "gfx/Bitmap.h"
#include "ui/CheckBox.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/ImgList.h"
#include "ui/ListView.h"
#include "ui/Memo.h"
#include "ui/PageControl.h"
#include "ui/ProgressBar.h"
#include "ui/StdCtrls.h"
#include "ui/WindowManager.h"

namespace menvaro {

namespace {

const TColor kFaceColor = RGB(212, 208, 200);
constexpr UINT kSmtpStatusMessage = WM_USER + 1235;
constexpr UINT kSmtpPositionMessage = WM_USER + 1236;

// The fonts of the dialogs: faces by the user's character set.
struct TDialogFonts {
    std::string Face = "MS Sans Serif";
    std::string FixedFace = "Courier New";
    int Size = 10;
    TDialogFonts() {
        if (GetUserDefaultCharset() == 0) {
            Face = "Verdana";
            FixedFace = "Lucida Console";
            Size = 8;
        }
    }
    void Message(TFont& f) const {
        f.SetName(Face);
        f.SetSize(8);
        f.SetColor(clWindowText);
    }
    void Fixed(TFont& f) const {
        f.SetName(FixedFace);
        f.SetSize(Size);
        f.SetColor(clBlack);
    }
    void Caption(TFont& f) const {
        f.SetName(Face);
        f.SetSize(8);
        f.SetStyle(fsBold);
    }
};

// A dialog: a top-level window holding controls, its caption and frame
// painted by the logger when the skin is on, and a modal loop of its own.
class TOstrelDialogWindow : public TCustomControl {
public:
    TOstrelDialogWindow(const TOstrelModuleOptions& options, std::string caption, bool resizable)
        : TCustomControl(nullptr), options_(options), caption_(std::move(caption)), resizable_(resizable) {
        SetColor(options.SkinnedDialog() ? kFaceColor : clBtnFace);
        fonts_.Message(*Font());
    }

    const TOstrelModuleOptions& Options() const { return options_; }
    bool Skinned() const { return options_.SkinnedDialog(); }
    const TDialogFonts& Fonts() const { return fonts_; }
    void SetResizable(bool v) {
        if (v == resizable_) return;
        resizable_ = v;
        if (HandleAllocated()) {
            std::uint32_t style = GetWindowLong(WindowHandle(), GWL_STYLE);
            style = v ? style | WS_THICKFRAME | WS_MAXIMIZEBOX : style & ~(WS_THICKFRAME | WS_MAXIMIZEBOX);
            if (!Skinned()) style = v ? style | WS_SYSMENU : style & ~WS_SYSMENU;
            SetWindowLong(WindowHandle(), GWL_STYLE, style);
        }
    }

    // Shows the window and handles its messages until EndDialog.
    void RunModal() {
        HWND h = Handle();
        ShowWindow(h, SW_SHOW);
        SetActiveWindow(h);
        SetForegroundWindow(h);
        Started();
        while (!ended_ && IsWindow(h)) {
            TMsg m;
            if (!PeekMessage(m, 0, 0, 0, PM_REMOVE)) {
                // The main thread's loop is held while the report runs: a UI
                // script driving the program goes on from here.
                bool done = true;
                if (DrivenByScript() && Application && Application->IdleHook) Application->IdleHook(done);
                if (done) WaitMessage();
                continue;
            }
            if (m.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(m.wParam));  // for the loop outside
                break;
            }
            if (m.message == WM_KEYDOWN && DialogKey(static_cast<int>(m.wParam))) continue;
            TranslateMessage(m);
            DispatchMessage(m);
        }
        Closing();
        if (IsWindow(h)) ShowWindow(h, SW_HIDE);
    }
    void EndDialog() { ended_ = true; }
    bool Ended() const { return ended_; }

protected:
    // The report's own dialogs; the progress window runs beside the report thread.
    virtual bool DrivenByScript() const { return true; }
    virtual void Started() {}
    virtual void Closing() {}
    virtual void Command(int id) {
        if (id == 2) EndDialog();
    }
    virtual bool Painting() { return false; }
    // The control the Enter key goes to when the focus does not want it.
    virtual TButton* DefaultButton() { return nullptr; }

    void CreateParams(TCreateParams& p) override {
        TCustomControl::CreateParams(p);
        p.Parent = 0;
        p.Caption = caption_;
        p.Style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
        if (!Skinned()) p.Style |= WS_SYSMENU;
        if (resizable_) p.Style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
        p.PaintsOwnFrame = Skinned();
        p.ClassName = "#32770";  // the class name of a dialog
    }

    void Paint() override {
        TCanvas& c = *Canvas();
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(ClientRect());
        Painting();
    }

    void Dispatch(TMessage& m) override {
        switch (m.Msg) {
            case WM_NCPAINT:
                if (Skinned()) {
                    PaintFrame();
                    m.Result = 0;
                    return;
                }
                break;
            case WM_NCACTIVATE:
                active_ = m.WParam != 0;
                if (Skinned()) {
                    RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
                    m.Result = 1;
                    return;
                }
                break;
            case WM_CLOSE:
                Command(2);
                m.Result = 0;
                return;
            case WM_SYSCOMMAND:
                if ((m.WParam & 0xFFF0) == SC_CLOSE) {
                    Command(2);
                    return;
                }
                break;
            default: break;
        }
        TCustomControl::Dispatch(m);
    }

    // Tab moves the focus; Escape is the OK button's command; Enter clicks
    // the focused button, else the default one, unless the focused control
    // takes Enter itself.
    bool DialogKey(int vk) {
        HWND focus = GetFocus();
        auto* focused = dynamic_cast<TWinControl*>(FindControl(focus));
        switch (vk) {
            case VK_ESCAPE: Command(2); return true;
            case VK_TAB:
                SelectNext(focused, GetKeyState(VK_SHIFT) >= 0, true);
                return true;
            case VK_RETURN: {
                if (auto* memo = dynamic_cast<TCustomMemo*>(focused); memo && memo->WantReturns()) return false;
                if (dynamic_cast<TListView*>(focused)) return false;
                if (auto* b = dynamic_cast<TButton*>(focused)) {
                    b->Click();
                    return true;
                }
                if (TButton* d = DefaultButton()) {
                    d->Click();
                    return true;
                }
                return false;
            }
            default: return false;
        }
    }

    template <class C>
    C* Add(TWinControl* parent, int left, int top, int width, int height) {
        auto* c = Create<C>(this);
        c->SetParent(parent ? parent : this);
        c->SetBounds(left, top, width, height);
        return c;
    }

    TButton* AddButton(int id, const std::string& text, int left, int top) {
        TButton* b = Add<TButton>(nullptr, left, top, 75, 25);
        b->SetCaption(text);
        b->OnClick = [this, id](TObject*) { Command(id); };
        return b;
    }

private:
    void PaintFrame() {
        HDC dc = GetWindowDC(WindowHandle());
        if (!dc) return;
        TRect wr;
        GetWindowRect(WindowHandle(), wr);
        TRect in = WindowFrameInsets(GetWindowLong(WindowHandle(), GWL_STYLE), 0, true);
        TFont saved;
        saved.Assign(dc->Font());
        fonts_.Caption(dc->Font());
        PaintSkinnedFrame(*dc, {wr.Width(), wr.Height()}, in.Left, in.Top - in.Left, active_, caption_);
        dc->Font().Assign(saved);
        ReleaseDC(WindowHandle(), dc);
    }

    const TOstrelModuleOptions& options_;
    std::string caption_;
    bool resizable_;
    bool ended_ = false;
    bool active_ = true;
    TDialogFonts fonts_;
};

std::vector<std::string> SplitLines(const std::string& text) {
    TStringList l;
    l.SetText(text);
    std::vector<std::string> out;
    for (int i = 0; i < l.Count(); ++i) out.push_back(l.Strings(i));
    return out;
}

// --------------------------------------------------------- the exception dialog

class TExceptionDialog : public TOstrelDialogWindow {
public:
    explicit TExceptionDialog(const TOstrelModuleOptions& o)
        : TOstrelDialogWindow(o, o.GetText(2), false), state_(DialogState()) {
        const TDialogVisibility v = DialogVisibility(o, state_.AlreadyReported, state_.ErrorCount);
        vis_ = v;
        state_.ExtraHeight = v.ExtraHeight;
        state_.DetailsShown = false;
        monitor_ = MonitorPicture();
        images_ = Create<TImageList>(this);
        images_->SetWidth(16);
        images_->SetHeight(16);
        for (int i = 0; i < 4; ++i) images_->AddMasked(DialogListImage(i), RGB(255, 0, 255));

        message_ = Create<TLabel>(this);
        message_->SetParent(this);
        message_->SetAutoSize(false);
        message_->SetAlignment(taCenter);
        message_->SetWordWrap(true);
        message_->SetName("Message");
        ok_ = AddButton(2, o.GetText(12), 0, 0);
        ok_->SetName("OK");
        ok_->SetDefault(true);
        terminate_ = AddButton(3, o.GetText(v.TerminateText), 0, 0);
        terminate_->SetName("Terminate");
        terminate_->SetVisible(v.TerminateVisible);
        details_ = AddButton(4, "", 0, 0);
        details_->SetName("Details");
        tabs_ = Add<TPageControl>(nullptr, 7, 40, 462, 151);
        tabs_->SetName("Tabs");
        const int tabTexts[] = {4, 6, 8, 10};
        for (int i = 0; i < 4; ++i) {
            auto* sheet = Create<TTabSheet>(this);
            sheet->SetPageControl(tabs_);
            sheet->SetCaption(o.GetText(tabTexts[i]));
        }
        send_ = Add<TCheckBox>(nullptr, 0, 0, 10, 13);
        send_->SetName("Send");
        send_->SetCaption(o.GetText(16));
        send_->SetChecked(state_.SendChecked);
        send_->SetVisible(v.SendVisible);
        send_->OnClick = [this](TObject*) { screenshot_->SetEnabled(send_->Checked() && vis_.ScreenshotEnabled); };
        screenshot_ = Add<TCheckBox>(nullptr, 0, 0, 10, 13);
        screenshot_->SetName("Screenshot");
        screenshot_->SetCaption(o.GetText(17));
        screenshot_->SetChecked(state_.ScreenshotChecked);
        screenshot_->SetVisible(v.ScreenshotVisible);
        screenshot_->SetEnabled(v.ScreenshotEnabled && send_->Checked());
        clipboard_ = Add<TCheckBox>(nullptr, 0, 0, 10, 13);
        clipboard_->SetName("Clipboard");
        clipboard_->SetCaption(o.GetText(18));
        clipboard_->SetAlignment(taLeftJustify);
        clipboard_->SetChecked(false);
        for (TCheckBox* c : {send_, screenshot_, clipboard_}) c->SetFlat(Skinned());
        int initial = std::min<int>(o.InitialTab(), 3);
        tabs_->SetActivePageIndex(initial);
        tabs_->OnChange = [this](TObject*) { ShowPage(tabs_->ActivePageIndex()); };
        Layout();
        ShowPage(initial);
    }

    TPageControl* Tabs() const { return tabs_; }
    TWinControl* PageContent() const { return content_; }

protected:
    void Started() override {
        ok_->SetFocus();
        timer_ = SetTimer(WindowHandle(), 1, 1);
    }
    void Closing() override {
        KillTimer(WindowHandle(), 1);
        state_.SendChecked = send_->Checked();
        state_.ScreenshotChecked = screenshot_->Checked();
        state_.ClipboardChecked = clipboard_->Checked();
        DropPage();
        if (state_.DetailsShown) SavePlacement(DialogStateFileName(), state_);
    }
    TButton* DefaultButton() override { return ok_; }

    void Command(int id) override {
        switch (id) {
            case 2: EndDialog(); break;
            case 3:
                state_.TerminateRequested = true;
                EndDialog();
                break;
            case 4:
                if (state_.DetailsShown) SavePlacement(DialogStateFileName(), state_);
                state_.DetailsShown = !state_.DetailsShown;
                Invalidate();
                Layout();
                break;
            default: break;
        }
    }

    bool Painting() override {
        state_.Painted = true;
        DrawTransparentPicture(*Canvas(), monitor_, 8, 8);
        return true;
    }

    void Dispatch(TMessage& m) override {
        switch (m.Msg) {
            case WM_TIMER:
                if (m.WParam == 1) {
                    KillTimer(WindowHandle(), 1);
                    if (!state_.Painted) EndDialog();
                    return;
                }
                break;
            case WM_SIZE:
                TOstrelDialogWindow::Dispatch(m);
                Sized();
                return;
            case WM_MOVE:
                TOstrelDialogWindow::Dispatch(m);
                if (state_.Placement.WindowsState != 3) {
                    state_.Placement.Left = Left();
                    state_.Placement.Top = Top();
                }
                return;
            default: break;
        }
        TOstrelDialogWindow::Dispatch(m);
    }

private:
    // The collapsed or the expanded view.
    void Layout() {
        const TOstrelModuleOptions& o = Options();
        SetResizable(state_.DetailsShown);
        if (state_.DetailsShown) {
            message_->SetCaption(o.GetText(3));
            const TRect screen = GetScreenRect();
            state_.Placement = LoadPlacement(DialogStateFileName(), screen, state_.ExtraHeight);
            TDialogPlacement p = state_.Placement;
            if (p.WindowsState == 3) {
                TRect work = GetWorkArea();
                SetBounds(work.Left, work.Top, work.Width(), work.Height());
            } else {
                SetBounds(p.Left, p.Top, p.Width, p.Height + state_.ExtraHeight);
            }
            state_.Placement = p;
            tabs_->SetVisible(true);
            details_->SetCaption("<< " + o.GetText(15));
        } else {
            message_->SetCaption(state_.DialogMessage);
            std::vector<std::string> lines = SplitLines(state_.DialogMessage);
            lines.push_back(o.GetText(16) + "    " + o.GetText(18));
            TCanvas& c = *Canvas();
            c.Font().Assign(*Font());
            TDialogMetrics m;
            m.FrameWidth = GetSystemMetrics(SM_CXDLGFRAME);
            m.FrameHeight = GetSystemMetrics(SM_CYDLGFRAME);
            m.SmallCaption = GetSystemMetrics(SM_CYSMCAPTION);
            m.LineHeight = c.TextHeight("Wg");
            collapsed_ = CollapsedLayout(lines, [&](const std::string& s) { return c.TextWidth(s); }, m);
            const TRect screen = GetScreenRect();
            SetBounds(screen.Left + (screen.Width() - collapsed_.Width) / 2,
                      screen.Top + (screen.Height() - collapsed_.Height) / 2, collapsed_.Width, collapsed_.Height);
            tabs_->SetVisible(false);
            details_->SetCaption(o.GetText(15) + " >>");
        }
        Sized();
    }

    void Sized() {
        const TRect client = ClientRect();
        const TDialogControlsLayout l = SizeLayout(client.Width(), client.Height(), state_.ExtraHeight);
        tabs_->SetBounds(l.Tab.Left, l.Tab.Top, l.Tab.Width(), l.Tab.Height());
        if (state_.DetailsShown)
            message_->SetBounds(l.Message.Left, l.Message.Top, l.Message.Width(), l.Message.Height());
        else
            message_->SetBounds(collapsed_.Message.Left, collapsed_.Message.Top, collapsed_.Message.Width(),
                                collapsed_.Message.Height());
        auto place = [](TControl* c, const TRect& r) { c->SetBounds(r.Left, r.Top, r.Width(), r.Height()); };
        place(ok_, l.Ok);
        place(terminate_, l.Terminate);
        place(details_, l.Details);
        place(send_, l.Send);
        place(clipboard_, l.Clipboard);
        place(screenshot_, l.Screenshot);
        if (state_.DetailsShown) {
            TRect wr;
            GetWindowRect(WindowHandle(), wr);
            TRect work = GetWorkArea();
            state_.Placement.WindowsState = wr == work ? 3 : 1;
            if (state_.Placement.WindowsState == 1) {
                state_.NormalWidth = wr.Width();
                state_.NormalHeight = wr.Height();
            }
        }
        FitPage();
    }

    void FitPage() {
        if (!content_) return;
        // The page in the sheet's coordinates, from the tab control's display rectangle.
        const TRect display = tabs_->DisplayRect();
        const TRect page = PageRect(display);
        TWinControl* sheet = content_->Parent();
        content_->SetBounds(page.Left - display.Left, page.Top - display.Top, page.Width(), page.Height());
        if (sheet && pageControl_) {
            TRect r = PageControlRect(display, page);
            pageControl_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        }
    }

    void DropPage() {
        if (!content_) return;
        if (auto* list = dynamic_cast<TListView*>(pageControl_)) {
            std::array<int, 6> w{};
            for (int i = 0; i < 6 && i < list->ColumnCount(); ++i) w[static_cast<std::size_t>(i)] = list->Column(i)->Width();
            if (pageIndex_ == 1) {
                state_.StackColumns = w;
                SaveColumnWidths(DialogStateFileName(), "Col", w);
            } else {
                state_.ModuleColumns = w;
                SaveColumnWidths(DialogStateFileName(), "ColMod", w);
            }
        }
        content_->Free();
        content_ = nullptr;
        pageControl_ = nullptr;
    }

    void ShowPage(int index) {
        DropPage();
        const TOstrelModuleOptions& o = Options();
        TTabSheet* sheet = tabs_->Pages(index);
        pageIndex_ = index;
        auto* page = Create<TPanel>(this);
        page->SetBevelOuter(bvNone);
        page->SetParentColor(true);
        page->SetParent(sheet);
        page->SetName("Page");
        content_ = page;
        auto* info = Create<TLabel>(page);  // the page owns what it holds
        info->SetParent(page);
        info->SetBounds(3, 2, 462, 14);
        info->SetName("Informations");
        if (Skinned()) info->SetTransparent(true);
        if (index == 0 || index == 3) {
            info->SetCaption(o.GetText(index == 0 ? 5 : 11));
            auto* memo = Create<TMemo>(page);
            memo->SetParent(page);
            memo->SetName("Memo");
            memo->SetReadOnly(true);
            memo->SetScrollBars(ssBoth);
            Fonts().Fixed(*memo->Font());
            memo->SetColor(clWhite);
            memo->SetText(index == 0 ? state_.GeneralText : state_.CPUText);
            pageControl_ = memo;
        } else {
            info->SetCaption(o.GetText(index == 1 ? 7 : 9));
            auto* list = Create<TListView>(page);
            list->SetParent(page);
            list->SetName("List");
            list->SetRowSelect(true);
            list->SetColor(clWhite);
            list->SetSmallImages(images_);
            const bool stack = index == 1;
            const std::string file = DialogStateFileName();
            std::array<int, 6> widths = stack ? LoadColumnWidths(file, "Col", kDefaultStackColumns)
                                              : LoadColumnWidths(file, "ColMod", kDefaultModuleColumns);
            const int first = stack ? 47 : 62;
            for (int i = 0; i < 6; ++i) {
                TListColumn* c = list->AddColumn();
                c->SetCaption(o.GetText(first + i));
                c->SetWidth(widths[static_cast<std::size_t>(i)]);
                if ((stack && i == 5) || (!stack && (i == 3 || i == 4))) c->SetAlignment(taRightJustify);
            }
            for (const TDialogListRow& row : stack ? CallStackRows(state_.CallStack) : ModuleRows(state_.Modules)) {
                TListItem* item = list->AddItem();
                item->SetCaption(row.Columns[0]);
                for (int i = 1; i < 6; ++i) item->SubItems().Add(row.Columns[static_cast<std::size_t>(i)]);
                item->SetImageIndex(row.Image);
            }
            if (stack)
                list->OnItemActivate = [list](TObject*) {
                    TListItem* item = list->Selected();
                    if (!item || item->ColumnText(5).empty()) return;
                    SendToSourceViewer(item->ColumnText(2), std::atoi(item->ColumnText(5).c_str()));
                };
            pageControl_ = list;
        }
        FitPage();
    }

    TOstrelDialogState& state_;
    TDialogVisibility vis_;
    TCollapsedLayout collapsed_;
    TBitmap monitor_;
    TImageList* images_ = nullptr;
    TLabel* message_ = nullptr;
    TButton *ok_ = nullptr, *terminate_ = nullptr, *details_ = nullptr;
    TPageControl* tabs_ = nullptr;
    TCheckBox *send_ = nullptr, *screenshot_ = nullptr, *clipboard_ = nullptr;
    TWinControl* content_ = nullptr;
    TWinControl* pageControl_ = nullptr;
    int pageIndex_ = 0;
    std::uintptr_t timer_ = 0;
};

// ------------------------------------------------------------ the request dialog

class TRequestDialog : public TOstrelDialogWindow {
public:
    explicit TRequestDialog(const TOstrelModuleOptions& o) : TOstrelDialogWindow(o, o.GetText(59), false) {
        // 316 x 153 dialog units of the template font.
        const TRect screen = GetScreenRect();
        SetBounds(screen.Left + (screen.Width() - 480) / 2, screen.Top + (screen.Height() - 270) / 2, 480, 270);
        auto* label = Add<TLabel>(nullptr, 12, 12, 440, 14);
        label->SetCaption(o.GetText(60));
        memo_ = Add<TMemo>(nullptr, 12, 28, 456, 190);
        memo_->SetName("Request");
        memo_->SetScrollBars(ssVertical);
        Fonts().Fixed(*memo_->Font());
        ok_ = AddButton(2, o.GetText(61), 0, 0);
        ok_->SetName("OK");
        ok_->SetDefault(true);
        const TRect c = ClientRect();
        ok_->SetBounds(c.Width() - 87, c.Height() - 35, 75, 25);
    }

protected:
    void Started() override { memo_->SetFocus(); }
    TButton* DefaultButton() override { return ok_; }
    void Command(int id) override {
        if (id != 2) return;
        DialogState().RequestText = TrimRequestText(memo_->Text());
        EndDialog();
    }

private:
    TMemo* memo_ = nullptr;
    TButton* ok_ = nullptr;
};

// ------------------------------------------------------- the SMTP progress window

class TSmtpProgressDialog : public TOstrelDialogWindow {
public:
    explicit TSmtpProgressDialog(const TOstrelModuleOptions& o) : TOstrelDialogWindow(o, o.GetText(53), false) {
        const TRect screen = GetScreenRect();
        SetBounds(screen.Left + (screen.Width() - 290) / 2, screen.Top + (screen.Height() - 90) / 2, 290, 90);
        status_ = Add<TLabel>(nullptr, 12, 12, 262, 14);
        status_->SetAutoSize(false);
        status_->SetName("Status");
        bar_ = Add<TProgressBar>(nullptr, 12, 30, 262, 16);
        bar_->SetName("Progress");
    }
    std::string StatusText() const { return status_->Caption(); }
    int Position() const { return bar_->Position(); }

protected:
    bool DrivenByScript() const override { return false; }
    void Command(int) override {}  // only the sender closes it
    void Dispatch(TMessage& m) override {
        switch (m.Msg) {
            case kSmtpCloseMessage: EndDialog(); return;
            case kSmtpStatusMessage: status_->SetCaption(*reinterpret_cast<const std::string*>(m.LParam)); return;
            case kSmtpPositionMessage: bar_->SetPosition(static_cast<int>(m.WParam)); return;
            default: TOstrelDialogWindow::Dispatch(m);
        }
    }

private:
    TLabel* status_ = nullptr;
    TProgressBar* bar_ = nullptr;
};

// The progress window's thread and what the sender tells it.
class TSMTPThread final : public TOstrelSendProgress {
public:
    TSMTPThread(const TOstrelModuleOptions& options, unsigned startLimitMs) : options_(options) {
        thread_ = std::thread([this] { Execute(); });
        // The window counts as started as soon as it exists; a window that
        // does not come up in time is given up, and the sending goes on.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(startLimitMs);
        std::unique_lock l(lock_);
        readyChanged_.wait_until(l, until, [this] { return ready_ || failed_; });
        if (!ready_) window_ = 0;
        shown_ = ready_;
    }
    ~TSMTPThread() override { Finished(); }

    void SetRecipient(int number, int count) override {
        number_ = number;
        count_ = count;
    }
    void Status(const std::string& text) override {
        HWND h = Window();
        if (!h) return;
        std::string line = SmtpStatusLine(options_, number_, count_, text);
        SendMessage(h, kSmtpStatusMessage, 0, reinterpret_cast<LPARAM>(&line));
    }
    void Position(int percent) override {
        if (HWND h = Window()) SendMessage(h, kSmtpPositionMessage, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
    }
    TOstrelClientSocket::TProgressEvent ProgressHook() override {
        if (!Window()) return {};
        return [this](TOstrelClientSocket&, std::int64_t position, std::int64_t total) {
            if (total > 0) Position(static_cast<int>(position * 100 / total));
        };
    }
    bool Shown() const override { return shown_; }
    void Finished() override {
        if (finished_) return;
        finished_ = true;
        {
            std::unique_lock l(lock_);
            closeAsked_ = true;
            if (window_) PostMessage(window_, kSmtpCloseMessage, 0, 0);
        }
        if (thread_.joinable()) thread_.join();
    }

private:
    HWND Window() {
        std::lock_guard l(lock_);
        return window_;
    }

    void Execute() {
        try {
            TSmtpProgressDialog& dialog = *Create<TSmtpProgressDialog>(options_);
            struct Freed {
                TSmtpProgressDialog& d;
                ~Freed() { d.Free(); }
            } freed{dialog};
            dialog.HandleNeeded();
            {
                std::lock_guard l(lock_);
                window_ = dialog.WindowHandle();
                ready_ = true;
                if (closeAsked_) dialog.EndDialog();
            }
            readyChanged_.notify_all();
            SetSmtpProgressWindowOpen(true);
            dialog.RunModal();
            SetSmtpProgressWindowOpen(false);
            std::lock_guard l(lock_);
            window_ = 0;
        } catch (...) {
            ReportWarningFromException(eeShowError, "SMTP progress");
            std::lock_guard l(lock_);
            window_ = 0;
            failed_ = true;
        }
        readyChanged_.notify_all();
    }

    const TOstrelModuleOptions& options_;
    std::thread thread_;
    std::mutex lock_;
    std::condition_variable readyChanged_;
    HWND window_ = 0;
    bool ready_ = false;
    bool failed_ = false;
    bool closeAsked_ = false;
    bool finished_ = false;
    bool shown_ = false;
    int number_ = 1;
    int count_ = 1;
};

// Nothing shows: every call does nothing.
class TNoSendProgress final : public TOstrelSendProgress {
public:
    void SetRecipient(int, int) override {}
    void Status(const std::string&) override {}
    void Position(int) override {}
    TOstrelClientSocket::TProgressEvent ProgressHook() override { return {}; }
    void Finished() override {}
    bool Shown() const override { return false; }
};

// The window behind the SMTP sender's progress interface.
class TSmtpProgressWindow final : public TSmtpProgress {
public:
    TSmtpProgressWindow(const TOstrelModuleOptions& options, std::unique_ptr<TOstrelSendProgress> window)
        : options_(options), window_(std::move(window)) {}
    void SetRecipientCount(int count) override {
        count_ = count;
        window_->SetRecipient(number_, count_);
    }
    void SetRecipientNumber(int number) override {
        number_ = number;
        window_->SetRecipient(number_, count_);
    }
    void SetStatus(int textIndex) override { window_->Status(options_.GetText(textIndex)); }
    void SetPosition(int percent) override { window_->Position(percent); }
    void Close() override { window_->Finished(); }

private:
    const TOstrelModuleOptions& options_;
    std::unique_ptr<TOstrelSendProgress> window_;
    int number_ = 1;
    int count_ = 1;
};

// Runs a dialog and frees it, also when it raises.
void RunDialog(TOstrelDialogWindow* dialog) {
    struct Freed {
        TOstrelDialogWindow* d;
        ~Freed() { d->Free(); }
    } freed{dialog};
    // A fatal signal's report waits for the user as long as it takes.
    const TFatalReportOutsideWait user;
    dialog->RunModal();
}

}  // namespace

// ------------------------------------------------------------------ entries

void ShowDialog(const TOstrelModuleOptions& options, const TOstrelExceptionRecord* record) {
    TraceCall("ShowDialog");
    TOstrelDialogState& s = DialogState();
    HWND previous = GetForegroundWindow();
    MessageBeep(0x10);
    while (true) {
        s.Painted = false;
        s.TerminateRequested = false;
        RunDialog(Create<TExceptionDialog>(options));
        if (s.TerminateRequested && record && CustomActionAssigned()) {
            // The program's handler may refuse the termination: the dialog comes back.
            ClearWarning();
            bool terminate = true;
            RunInReportContext([&] { CallCustomAction(*record, kTerminateAction, terminate); });
            s.TerminateRequested = terminate;
            if (!terminate) continue;
        }
        break;
    }
    if (!s.Painted) ReportWarning(eeShowError, "Cannot show the DialogBox window.");
    if (previous && IsWindow(previous)) SetForegroundWindow(previous);
}

bool ShowExceptionDialog(TOstrelReportContext& context) {
    const TOstrelModuleOptions& options = context.Options ? *context.Options : WorkingOstrelLogOptions();
    TOstrelDialogState& s = DialogState();
    const TOstrelReportTexts texts = LastReportTexts();
    // The exception's own message, as it was raised, in the collapsed dialog.
    s.DialogMessage = context.MessageAsRaised;
    s.GeneralText = texts.Header;
    s.CPUText = texts.Cpu;
    s.CallStack = context.Stack ? context.Stack->Entries() : std::vector<TOstrelDebugInfo>{};
    s.Modules = context.Modules;
    s.ErrorCount = OstrelReportsCount();
    TOstrelExceptionRecord record;
    record.ExceptionObject = context.ExceptionObject;
    record.ExceptionAddress = context.ExceptionAddress;
    record.ThreadId = CurrentThreadId();
    ShowDialog(options, &record);
    return s.Painted;
}

void ShowRequestDialog(const TOstrelModuleOptions& options) {
    TraceCall("ShowRequestDialog");
    RunDialog(Create<TRequestDialog>(options));
}

std::unique_ptr<TOstrelSendProgress> StartSmtpProgress(const TOstrelModuleOptions& options, unsigned startLimitMs) {
    if (!options.ShowSendProgress() || options.SendMode() == 0 || !IsGUIApplication())
        return std::make_unique<TNoSendProgress>();
    return std::make_unique<TSMTPThread>(options, startLimitMs);
}

std::unique_ptr<TSmtpProgress> CreateSmtpProgressWindow(const TOstrelModuleOptions& options) {
    std::unique_ptr<TOstrelSendProgress> window = StartSmtpProgress(options);
    if (!window->Shown()) return nullptr;
    return std::make_unique<TSmtpProgressWindow>(options, std::move(window));
}

}  // namespace menvaro
