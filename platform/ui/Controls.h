// Controls: TControl (bounds, alignment, visibility, colour, font, text,
// mouse), TWinControl (a window: children, focus, keys, tab order,
// painting), TGraphicControl (windowless, painted by its parent) and
// TCustomControl (a window with a Canvas and Paint).
//
// How messages travel. A window's messages reach its control's WindowProc
// (WndProc by default), then Dispatch, where each class handles what it
// knows and passes the rest to inherited::Dispatch; what nobody handles goes
// to DefaultHandler and, for a window, to DefWndProc (the window's own
// default behaviour; a control that stands for a built-in window kind, such
// as an edit, overrides DefWndProc). Windowless controls get their mouse
// messages from the parent window. Keys go first to the focused control as
// CN_KEYDOWN / CN_CHAR (dialog keys: Tab, arrows, Enter, Esc unless the
// control wants them through CM_WANTSPECIALKEY or WM_GETDLGCODE, go to the
// form as CM_DIALOGKEY), then as WM_KEYDOWN / WM_CHAR with the OnKeyDown /
// OnKeyPress events.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classes/Alignment.h"
#include "classes/Classes.h"
#include "classes/Events.h"
#include "classes/Messages.h"
#include "gfx/Canvas.h"
#include "gfx/Color.h"
#include "gfx/GraphicsObjects.h"
#include "gfx/Types.h"
#include "ui/GraphicsClasses.h"
#include "ui/WindowManager.h"

namespace menvaro {

class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
MENVARO_DECLARE_ENUM(TAlign)
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
MENVARO_DECLARE_ENUM(TAnchorKind)
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
MENVARO_DECLARE_ENUM(TMouseButton)
MENVARO_DECLARE_ENUM(TShiftStateFlag)
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
MENVARO_DECLARE_ENUM(TBiDiMode)
enum TDragMode { dmManual, dmAutomatic };
MENVARO_DECLARE_ENUM(TDragMode)
enum TDragKind { dkDrag, dkDock };
MENVARO_DECLARE_ENUM(TDragKind)
// Form borders; a control's BorderStyle takes bsNone or bsSingle.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
MENVARO_DECLARE_ENUM(TFormBorderStyle)
using TBorderStyle = TFormBorderStyle;
MENVARO_DECLARE_ENUM(TAlignment)

enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground,
};
using TControlStyle = TSet<TControlStyleFlag>;

enum TControlStateFlag {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
};
using TControlState = TSet<TControlStateFlag>;

// What of a control a form file set, and so what a scaling of the layout
// read from it scales (see ChangeScale and ApplyDesignScale).
enum TScalingFlag { sfLeft, sfTop, sfWidth, sfHeight, sfFont, sfDesignSize };
using TScalingFlags = TSet<TScalingFlag>;

using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent =
    TEvent<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = TEvent<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
// MousePos in client coordinates, (-1, -1) when the keyboard asked.
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// Minimum and maximum size of a control; 0 is no limit.
class TSizeConstraints : public TPersistent {
    MENVARO_CLASS(TSizeConstraints, TPersistent)
public:
    int MinWidth() const { return minW_; }
    int MinHeight() const { return minH_; }
    int MaxWidth() const { return maxW_; }
    int MaxHeight() const { return maxH_; }
    void SetMinWidth(int v);
    void SetMinHeight(int v);
    void SetMaxWidth(int v);
    void SetMaxHeight(int v);
    void Assign(const TPersistent* source) override;
    std::function<void()> OnChange;

private:
    void Changed();
    int minW_ = 0, minH_ = 0, maxW_ = 0, maxH_ = 0;
};

class TControl : public TComponent {
    MENVARO_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    void BeforeDestruction() override;

    // ------------------------------------------------------------- tree
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

    // --------------------------------------------------------- geometry
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) {
        MarkRead(sfLeft);
        SetBounds(v, top_, width_, height_);
    }
    void SetTop(int v) {
        MarkRead(sfTop);
        SetBounds(left_, v, width_, height_);
    }
    void SetWidth(int v) {
        MarkRead(sfWidth);
        SetBounds(left_, top_, v, height_);
    }
    void SetHeight(int v) {
        MarkRead(sfHeight);
        SetBounds(left_, top_, width_, v);
    }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    // In the control's own coordinates.
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    virtual void SetClientSize(int width, int height);
    // The client area's top-left corner in screen coordinates.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    // To and from the parent's client coordinates.
    TPoint ClientToParent(TPoint p) const { return {p.X + left_, p.Y + top_}; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign a);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors a);
    TSizeConstraints* Constraints() const { return constraints_.get(); }
    bool AutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool v);

    // ------------------------------------------------------------ state
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so are all its parents (a top-level control: visible).
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* f);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    // Caption and Text are the same string.
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& s) { SetText(s); }
    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& s);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& s) { hint_ = s; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int v) { helpContext_ = v; }
    TBiDiMode BiDiMode() const { return bidiMode_; }
    void SetBiDiMode(TBiDiMode m);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool v);
    virtual bool UseRightToLeftAlignment() const { return false; }
    // Shown by a right click (or the context-menu key) when its AutoPopup
    // is on; its shortcuts work while this control or one inside it has the
    // focus. Not owned: cleared when the menu goes.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    // Accepted from form files; this library has no drag and drop.
    TDragMode DragMode = dmManual;
    TDragKind DragKind = dkDrag;
    TCursor DragCursor = -12;  // crDrag

    TControlStyle ControlStyle() const { return style_; }
    void SetControlStyle(TControlStyle s) { style_ = s; }
    TControlState ControlState() const { return state_; }
    void SetControlState(TControlState s) { state_ = s; }
    TScalingFlags ScalingFlags() const { return scalingFlags_; }
    void SetScalingFlags(TScalingFlags f) { scalingFlags_ = f; }

    // --------------------------------------------------------- painting
    virtual void Invalidate();
    void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // --------------------------------------------------------- messages
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Replaceable; WndProc by default.
    std::function<void(TMessage&)> WindowProc;
    virtual void WndProc(TMessage& message);
    void Dispatch(TMessage& message) override;

    // ---------------------------------------------------------- events
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TContextPopupEvent OnContextPopup;

    virtual void Click();
    virtual void DblClick();

    bool MouseCapture() const;
    void SetMouseCapture(bool v);

    void ScaleBy(int multiplier, int divider);
    // Scales the bounds and an own font by multiplier / divider: while the
    // control is loading only what its form file set (ScalingFlags), else
    // all of them; the flags are cleared.
    virtual void ChangeScale(int multiplier, int divider);

    void Loaded() override;

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual bool DoMouseWheel(TShiftState shift, int delta, TPoint mousePos);
    virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
    virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
    virtual void Resize();
    // A right click or the context-menu key: OnContextPopup, then the
    // popup menu; true when handled.
    virtual bool DoContextPopup(TPoint mousePos);
    void Notification(TComponent* component, TOperation operation) override;
    // Bounds that respect the constraints.
    virtual void ConstrainedResize(int& width, int& height);
    virtual bool CanAutoSize(int& width, int& height);
    void AdjustSize();
    // The parent realigns when an aligned child changes.
    virtual void RequestAlign();
    virtual void VisibleChanging() {}
    // Tells the parent window that this control's area must be repainted.
    void InvalidateControl(bool erase);
    // The parent form of a mouse press is told to cancel modes (CM_CANCELMODE).
    void SendCancelMode(TControl* sender);
    void FontChanged();
    void SetTextSilently(const std::string& s) { text_ = s; }
    // Anchoring: the bounds and the parent's size the anchors count from.
    void UpdateAnchorRules();
    // A value the control may take from its parent (colour, font, Ctl3D, ...):
    // setting it makes it the control's own; setting the Parent... flag takes
    // the parent's again.
    template <class T>
    void SetOwnValue(T& field, bool& parentFlag, T value, UINT notice);
    void SetParentFlag(bool& flag, bool value, UINT parentNotice);

private:
    friend class TWinControl;
    void HandleMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl);
    void MarkRead(TScalingFlag flag) {
        if (ComponentState().Contains(csReading)) scalingFlags_ += flag;
    }
    void ContextMenu(TMessage& m);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    TRect anchorBounds_;
    TSize anchorParentSize_;
    bool anchoring_ = false;
    TOwned<TSizeConstraints> constraints_;
    bool autoSize_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool applyingParentFont_ = false;
    std::string text_;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    int helpContext_ = 0;
    TBiDiMode bidiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
    TControlStyle style_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState state_;
    TScalingFlags scalingFlags_;
    TPopupMenu* popupMenu_ = nullptr;
};

class TWinControl : public TControl {
    MENVARO_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // ------------------------------------------------------------ window
    HWND Handle();  // made on first use
    HWND WindowHandle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != 0; }
    void HandleNeeded();
    void RecreateWnd();
    // A control without a parent control may still live in a window of
    // another kind (a drop-down turned top-level): that window.
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND hwnd);

    // ---------------------------------------------------------- children
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int i) const { return controls_.at(static_cast<std::size_t>(i)); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The child at a client point (topmost first); windowed ones only when
    // asked; hidden ones never, disabled ones when asked.
    TControl* ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls = false) const;
    void Broadcast(TMessage& message);
    void NotifyControls(UINT msg);
    void PaintControls(HDC dc, TControl* first);

    // ------------------------------------------------------------ focus
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    // Every windowed control below, in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& list);
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent);
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool v);
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool v);

    TBrush* Brush() const { return brush_.get(); }

    // --------------------------------------------------------- alignment
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return alignDisabled_ > 0; }

    // ------------------------------------------------------------ events
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    void SetBounds(int left, int top, int width, int height) override;
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    void SetText(const std::string& s) override;
    bool Showing() const override;
    void Invalidate() override;
    void Repaint() override;
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void Loaded() override;
    void ChangeScale(int multiplier, int divider) override;
    // Scales the children (ChangeScale of each).
    void ScaleControls(int multiplier, int divider);

protected:
    // The window this control makes: styles, bounds, parent.
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    void CreateHandle();
    void DestroyHandle();
    // The window's own default answer to a message.
    virtual LRESULT DefWndProc(TMessage& message);
    virtual void PaintWindow(HDC dc);
    void PaintHandler(TMessage& message);
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void AdjustClientRect(TRect&) {}
    bool CanAutoSize(int& width, int& height) override;
    virtual void DoEnter();
    virtual void DoExit();
    virtual void KeyDown(std::uint16_t& key, TShiftState shift);
    virtual void KeyUp(std::uint16_t& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // The form's key preview, then KeyDown; true when the key was used up.
    bool DoKeyDown(TMessage& m);
    bool DoKeyUp(TMessage& m);
    bool DoKeyPress(TMessage& m);
    void UpdateShowing();
    // The bounds from the window (the desktop moved a top-level window).
    void UpdateBoundsFromWindow();
    // A shortcut of the popup menu of this control or of a parent: its item
    // was clicked.
    bool IsMenuKey(const TMessage& keyDown);

private:
    friend class TControl;
    friend class TCustomForm;
    LRESULT MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool ForwardMouseToControl(TMessage& m);
    void TrackMouse(TPoint clientPoint);
    void AlignChildren();
    void ApplyAnchors();
    void FixupTabList();

    HWND handle_ = 0;
    HWND parentWindow_ = 0;
    std::vector<TControl*> controls_;  // z-order, bottom first
    std::vector<TWinControl*> tabList_;
    int requestedTabOrder_ = -1;
    bool tabStop_ = false;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    std::unique_ptr<TBrush> brush_;
    int alignDisabled_ = 0;
    bool realignPending_ = false;
    int aligning_ = 0;
    bool settingBounds_ = false;
};

class TGraphicControl : public TControl {
    MENVARO_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return canvas_.get(); }
    void Dispatch(TMessage& message) override;

protected:
    virtual void Paint() {}

private:
    std::unique_ptr<TCanvas> canvas_;
};

class TCustomControl : public TWinControl {
    MENVARO_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    virtual void Paint();
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TCanvas> canvas_;
};

// Binds `canvas` to what `dc` paints on, with its origin and clip, and the
// control's font and colour.
void BindCanvasToDC(TCanvas& canvas, HDC dc, const TControl* control);
// BindCanvasToDC for one paint: the canvas is unbound again when this goes,
// also when the paint raises.
class TCanvasOnDC {
public:
    TCanvasOnDC(TCanvas& canvas, HDC dc, const TControl* control) : canvas_(canvas) {
        BindCanvasToDC(canvas, dc, control);
    }
    ~TCanvasOnDC() { canvas_.Unbind(); }
    TCanvasOnDC(const TCanvasOnDC&) = delete;
    TCanvasOnDC& operator=(const TCanvasOnDC&) = delete;

private:
    TCanvas& canvas_;
};

// The control behind a window, or nullptr.
TWinControl* FindControl(HWND hwnd);
// The form a control sits in (nullptr when none).
TCustomForm* GetParentForm(const TControl* control);

// The windowless control or window under the mouse (CM_MOUSEENTER and
// CM_MOUSELEAVE follow it) and the one holding the capture.
TControl* MouseControl();
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);

// A window of its own for a non-visual component (a timer); messages go to
// the callback.
HWND AllocateHWnd(std::function<void(TMessage&)> proc);
void DeallocateHWnd(HWND hwnd);

// The screen's cursor overrides every control's (crDefault: none).
TCursor ScreenCursor();
void SetScreenCursor(TCursor cursor);

// Whether `ch` is the accelerator ("&x") of `caption`, ignoring case.
bool IsAccel(char ch, const std::string& caption);

// A layout streamed from a form file as the class library's forms stream
// theirs: the screen resolution and the height of "0" in the font it was
// made with, and the client size it asks for (kept while it is read and
// applied afterwards). 0 is "not read".
struct TDesignScale {
    int PixelsPerInch = 0;
    int TextHeight = 0;
    int ClientWidth = 0;
    int ClientHeight = 0;
};
// The text height a layout is scaled by: the height of "0" in `font`.
int DesignTextHeight(const TFont& font);
// Scales a control after its layout was read (between the two, alignment
// suspended): when PixelsPerInch and TextHeight are known, a font the file
// set first follows the screen's resolution (height x screen / stored) and
// PixelsPerInch becomes the screen's; then, when the font's text height
// differs from TextHeight, the children (what the file set of each) and
// the stored client size are scaled by the new height / TextHeight. The
// client size is applied, every scaling flag cleared and the children told
// CM_PARENTBIDIMODECHANGED. Answers whether it scaled.
bool ApplyDesignScale(TWinControl& control, TDesignScale& scale);

}  // namespace menvaro
