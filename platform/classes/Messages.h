// Window messages, virtual keys and the flags that travel with them.
//
// WM_* messages, VK_* keys and the style and flag values keep the numbers
// the programs' code and the controls' specifications use. The class
// library's own notices (CM_*) and reflected notifications (CN_*) are
// numbered here, once, and so are the ranges the other libraries number
// their own private messages in (see CM_EDIT_FIRST below).
#pragma once

#include <cstdint>

#include "classes/Sets.h"

namespace menvaro {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// A window of the window manager; 0 is none. Handles are never reused while
// the program runs, so a stale one names no window.
using HWND = std::uintptr_t;

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

inline std::uint16_t LoWord(std::uintptr_t v) { return static_cast<std::uint16_t>(v & 0xFFFF); }
inline std::uint16_t HiWord(std::uintptr_t v) { return static_cast<std::uint16_t>((v >> 16) & 0xFFFF); }
// Mouse positions travel as two signed 16-bit halves of lParam.
inline LPARAM MakeLParam(int lo, int hi) {
    return static_cast<LPARAM>(static_cast<std::int32_t>((static_cast<std::uint32_t>(hi & 0xFFFF) << 16) |
                                                         static_cast<std::uint32_t>(lo & 0xFFFF)));
}
inline WPARAM MakeWParam(int lo, int hi) {
    return static_cast<WPARAM>((static_cast<std::uint32_t>(hi & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(lo & 0xFFFF));
}
inline int GetXLParam(LPARAM l) { return static_cast<std::int16_t>(l & 0xFFFF); }
inline int GetYLParam(LPARAM l) { return static_cast<std::int16_t>((l >> 16) & 0xFFFF); }

enum : UINT {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SHOWWINDOW = 0x0018,
    WM_ACTIVATEAPP = 0x001C,
    WM_CANCELMODE = 0x001F,
    WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021,
    WM_GETMINMAXINFO = 0x0024,
    WM_PAINTICON = 0x0026,
    WM_ICONERASEBKGND = 0x0027,
    WM_DRAWITEM = 0x002B,
    WM_MEASUREITEM = 0x002C,
    WM_DELETEITEM = 0x002D,
    WM_VKEYTOITEM = 0x002E,
    WM_CHARTOITEM = 0x002F,
    WM_COMPAREITEM = 0x0039,
    WM_WINDOWPOSCHANGING = 0x0046,
    WM_WINDOWPOSCHANGED = 0x0047,
    WM_NOTIFY = 0x004E,
    WM_CONTEXTMENU = 0x007B,
    WM_DISPLAYCHANGE = 0x007E,
    WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082,
    WM_NCCALCSIZE = 0x0083,
    WM_NCHITTEST = 0x0084,
    WM_NCPAINT = 0x0085,
    WM_NCACTIVATE = 0x0086,
    WM_GETDLGCODE = 0x0087,
    WM_NCMOUSEMOVE = 0x00A0,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_NCLBUTTONUP = 0x00A2,
    WM_NCLBUTTONDBLCLK = 0x00A3,
    WM_NCRBUTTONDOWN = 0x00A4,
    WM_NCRBUTTONUP = 0x00A5,
    WM_NCRBUTTONDBLCLK = 0x00A6,
    WM_KEYFIRST = 0x0100,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_KEYLAST = 0x0108,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_INITMENUPOPUP = 0x0117,
    WM_MENUSELECT = 0x011F,
    WM_MENUCHAR = 0x0120,
    WM_ENTERIDLE = 0x0121,
    WM_MOUSEFIRST = 0x0200,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_MOUSELAST = 0x020A,
    WM_ENTERMENULOOP = 0x0211,
    WM_EXITMENULOOP = 0x0212,
    WM_CAPTURECHANGED = 0x0215,
    WM_MOUSELEAVE = 0x02A3,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_PRINT = 0x0317,
    WM_PRINTCLIENT = 0x0318,
    WM_USER = 0x0400,
};

// The class library's notices.
enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = 0xB000,
    CM_DEACTIVATE = 0xB001,
    CM_ENTER = 0xB002,
    CM_EXIT = 0xB003,
    CM_CANCELMODE = 0xB004,
    CM_DIALOGKEY = 0xB005,
    CM_DIALOGCHAR = 0xB006,
    CM_FOCUSCHANGED = 0xB007,  // the decorated buttons send this number
    CM_WANTSPECIALKEY = 0xB008,
    CM_MOUSEENTER = 0xB009,
    CM_MOUSELEAVE = 0xB00A,
    CM_MOUSEWHEEL = 0xB00B,
    CM_TEXTCHANGED = 0xB00C,
    CM_FONTCHANGED = 0xB00D,
    CM_PARENTFONTCHANGED = 0xB00E,
    CM_COLORCHANGED = 0xB00F,
    CM_PARENTCOLORCHANGED = 0xB010,
    CM_ENABLEDCHANGED = 0xB011,
    CM_VISIBLECHANGED = 0xB012,
    CM_SHOWINGCHANGED = 0xB013,
    CM_CURSORCHANGED = 0xB014,
    CM_CTL3DCHANGED = 0xB015,
    CM_PARENTCTL3DCHANGED = 0xB016,
    CM_HITTEST = 0xB017,
    CM_BUTTONPRESSED = 0xB018,  // the decorated buttons send this number
    CM_SHOWHINTCHANGED = 0xB019,
    CM_PARENTSHOWHINTCHANGED = 0xB01A,
    CM_BIDIMODECHANGED = 0xB01B,
    CM_PARENTBIDIMODECHANGED = 0xB01C,
    CM_RECREATEWND = 0xB01D,
    CM_INVALIDATE = 0xB01E,
    CM_CHANGED = 0xB01F,
    CM_CONTROLLISTCHANGE = 0xB020,
    CM_CONTROLCHANGE = 0xB021,
    CM_TABSTOPCHANGED = 0xB022,
    CM_CHILDKEY = 0xB023,
    CM_SYSCOLORCHANGE = 0xB024,
    CM_SYSFONTCHANGED = 0xB025,
    CM_GETDATALINK = 0xB026,
    CM_RELEASE = 0xB027,
    CM_HINTSHOW = 0xB028,
    CM_ICONCHANGED = 0xB029,
    CM_INVOKEHELP = 0xB02A,
    CM_APPKEYDOWN = 0xB02B,
    CM_APPSYSCOMMAND = 0xB02C,
    CM_DESIGNHITTEST = 0xB02D,
    CM_FORMSHOWN = 0xB02E,
    CM_LAST = 0xB0FF,
};

// Reflected notifications: a window's notice handed back to its control.
enum : UINT {
    CN_BASE = 0xBC00,
    CN_CHAR = CN_BASE + WM_CHAR,
    CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
    CN_KEYUP = CN_BASE + WM_KEYUP,
    CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
    CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
    CN_COMMAND = CN_BASE + WM_COMMAND,
    CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
    CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
    CN_NOTIFY = CN_BASE + WM_NOTIFY,
    CN_HSCROLL = CN_BASE + WM_HSCROLL,
    CN_VSCROLL = CN_BASE + WM_VSCROLL,
};

// Private messages of the libraries above this one, a range each, so that no
// two of them and none of the numbers above can meet:
//
//   first   last    library
//   0x0464  0x046F  the edit controls; their drop-downs' MSG_POPUP_LIST,
//                   MSG_EDIT_POPUP and MSG_RELEASE_BUTTON are 0x0464, 0x0465
//                   and 0x0466 (WM_USER + 0x64 .. 0x66)
//   0x08D0  0x08DF  the exception logger; WM_USER + 1234 (0x08D2) closes its
//                   sending progress window
//   0xB100  0xB1FF  the decorated controls, right after the CM_ notices
//
// A library numbers its messages from its FIRST and never past its LAST.
enum : UINT {
    CM_EDIT_FIRST = WM_USER + 0x64,
    CM_EDIT_LAST = WM_USER + 0x6F,
    CM_LOGGER_FIRST = WM_USER + 0x4D0,
    CM_LOGGER_LAST = WM_USER + 0x4DF,
    CM_DECORATED_FIRST = CM_LAST + 1,
    CM_DECORATED_LAST = CM_LAST + 0x100,
};

namespace messages_detail {

struct TMessageRange {
    UINT First, Last;
};

inline constexpr TMessageRange kMessageRanges[] = {
    {0, WM_USER - 1},                        // the system's WM_ messages
    {CM_BASE, CM_LAST},                      // the class library's notices
    {CN_BASE, UINT{CN_BASE} + WM_USER - 1},  // a reflected WM_ message is CN_BASE + its number
    {CM_EDIT_FIRST, CM_EDIT_LAST},
    {CM_LOGGER_FIRST, CM_LOGGER_LAST},
    {CM_DECORATED_FIRST, CM_DECORATED_LAST},
};

constexpr bool MessageRangesApart() {
    for (const TMessageRange& a : kMessageRanges) {
        if (a.First > a.Last) return false;
        for (const TMessageRange& b : kMessageRanges)
            if (&a != &b && a.First <= b.Last && b.First <= a.Last) return false;
    }
    return true;
}

}  // namespace messages_detail

static_assert(messages_detail::MessageRangesApart(), "two message ranges overlap");
static_assert(CM_EDIT_FIRST == 0x0464 && CM_EDIT_LAST >= 0x0466, "the edit controls' fixed numbers");
static_assert(CM_LOGGER_FIRST <= UINT{WM_USER} + 1234 && UINT{WM_USER} + 1234 <= CM_LOGGER_LAST,
              "the logger's fixed number");

// Virtual keys.
enum : std::uint16_t {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_EXECUTE = 0x2B,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F12 = 0x7B,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
};

// Key flags of mouse messages (wParam).
enum : WPARAM { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10 };
// Bit 29 of a key message's lParam: Alt was down.
inline constexpr LPARAM KF_ALTDOWN_BIT = LPARAM{1} << 29;

enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;

enum : WPARAM { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
enum : LRESULT { MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4 };
enum : LRESULT {
    HTERROR = -2,
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTHSCROLL = 6,
    HTVSCROLL = 7,
    HTBORDER = 18
};

// WM_GETDLGCODE answers.
enum : LRESULT {
    DLGC_WANTARROWS = 0x0001,
    DLGC_WANTTAB = 0x0002,
    DLGC_WANTALLKEYS = 0x0004,
    DLGC_HASSETSEL = 0x0008,
    DLGC_DEFPUSHBUTTON = 0x0010,
    DLGC_UNDEFPUSHBUTTON = 0x0020,
    DLGC_RADIOBUTTON = 0x0040,
    DLGC_WANTCHARS = 0x0080,
    DLGC_STATIC = 0x0100,
    DLGC_BUTTON = 0x2000,
};

// List boxes: messages, answers, notifications (the high word of
// WM_COMMAND's wParam) and styles.
enum : UINT {
    LB_ADDSTRING = 0x0180,
    LB_INSERTSTRING = 0x0181,
    LB_DELETESTRING = 0x0182,
    LB_RESETCONTENT = 0x0184,
    LB_SETSEL = 0x0185,
    LB_SETCURSEL = 0x0186,
    LB_GETSEL = 0x0187,
    LB_GETCURSEL = 0x0188,
    LB_GETTEXT = 0x0189,
    LB_GETTEXTLEN = 0x018A,
    LB_GETCOUNT = 0x018B,
    LB_SELECTSTRING = 0x018C,
    LB_GETTOPINDEX = 0x018E,
    LB_FINDSTRING = 0x018F,
    LB_SETTOPINDEX = 0x0197,
    LB_GETITEMRECT = 0x0198,
    LB_GETITEMDATA = 0x0199,
    LB_SETITEMDATA = 0x019A,
    LB_SETCARETINDEX = 0x019E,
    LB_GETCARETINDEX = 0x019F,
    LB_SETITEMHEIGHT = 0x01A0,
    LB_GETITEMHEIGHT = 0x01A1,
    LB_FINDSTRINGEXACT = 0x01A2,
    LB_ITEMFROMPOINT = 0x01A9,
};
enum : LRESULT { LB_OKAY = 0, LB_ERR = -1, LB_ERRSPACE = -2 };
enum : std::uint16_t { LBN_ERRSPACE = 0xFFFE, LBN_SELCHANGE = 1, LBN_DBLCLK = 2, LBN_SELCANCEL = 3 };
enum : std::uint32_t {
    LBS_NOTIFY = 0x0001,
    LBS_SORT = 0x0002,
    LBS_NOREDRAW = 0x0004,
    LBS_MULTIPLESEL = 0x0008,
    LBS_OWNERDRAWFIXED = 0x0010,
    LBS_OWNERDRAWVARIABLE = 0x0020,
    LBS_HASSTRINGS = 0x0040,
    LBS_USETABSTOPS = 0x0080,
    LBS_NOINTEGRALHEIGHT = 0x0100,
    LBS_MULTICOLUMN = 0x0200,
    LBS_WANTKEYBOARDINPUT = 0x0400,
    LBS_EXTENDEDSEL = 0x0800,
    LBS_DISABLENOSCROLL = 0x1000,
};

// Scroll bars: the codes of WM_HSCROLL and WM_VSCROLL (low word of
// wParam), which bar a call means, the scroll-bar control's messages and
// styles, and the parts of a scroll-info record.
enum : int {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};
enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
enum : UINT {
    SBM_SETPOS = 0x00E0,
    SBM_GETPOS = 0x00E1,
    SBM_SETRANGE = 0x00E2,
    SBM_GETRANGE = 0x00E3,
    SBM_ENABLE_ARROWS = 0x00E4,
    SBM_SETRANGEREDRAW = 0x00E6,
    SBM_SETSCROLLINFO = 0x00E9,
    SBM_GETSCROLLINFO = 0x00EA,
};
enum : std::uint32_t { SBS_HORZ = 0x0000, SBS_VERT = 0x0001 };
enum : UINT {
    SIF_RANGE = 0x0001,
    SIF_PAGE = 0x0002,
    SIF_POS = 0x0004,
    SIF_DISABLENOSCROLL = 0x0008,
    SIF_TRACKPOS = 0x0010,
    SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};
enum : UINT {
    ESB_ENABLE_BOTH = 0x0000,
    ESB_DISABLE_LTUP = 0x0001,
    ESB_DISABLE_RTDN = 0x0002,
    ESB_DISABLE_BOTH = 0x0003
};

// Window styles.
enum : std::uint32_t {
    WS_OVERLAPPED = 0x00000000,
    WS_POPUP = 0x80000000,
    WS_CHILD = 0x40000000,
    WS_MINIMIZE = 0x20000000,
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_MAXIMIZE = 0x01000000,
    WS_CAPTION = 0x00C00000,
    WS_BORDER = 0x00800000,
    WS_DLGFRAME = 0x00400000,
    WS_VSCROLL = 0x00200000,
    WS_HSCROLL = 0x00100000,
    WS_SYSMENU = 0x00080000,
    WS_THICKFRAME = 0x00040000,
    WS_GROUP = 0x00020000,
    WS_TABSTOP = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_MAXIMIZEBOX = 0x00010000,
};
enum : std::uint32_t {
    WS_EX_DLGMODALFRAME = 0x00000001,
    WS_EX_TOPMOST = 0x00000008,
    WS_EX_TRANSPARENT = 0x00000020,
    WS_EX_TOOLWINDOW = 0x00000080,
    WS_EX_WINDOWEDGE = 0x00000100,
    WS_EX_CLIENTEDGE = 0x00000200,
    WS_EX_RIGHT = 0x00001000,
    WS_EX_RTLREADING = 0x00002000,
    WS_EX_LEFTSCROLLBAR = 0x00004000,
    WS_EX_STATICEDGE = 0x00020000,
    WS_EX_APPWINDOW = 0x00040000,
    WS_EX_NOACTIVATE = 0x08000000,  // a click or a show never activates it
};
enum : std::uint32_t { CS_DBLCLKS = 0x0008, CS_SAVEBITS = 0x0800 };

enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
};
enum : UINT {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
};
enum : WPARAM { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
enum : WPARAM { SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120 };
enum : UINT { PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001 };

// Message boxes: buttons, icons and answers.
enum : UINT {
    MB_OK = 0x0000,
    MB_OKCANCEL = 0x0001,
    MB_ABORTRETRYIGNORE = 0x0002,
    MB_YESNOCANCEL = 0x0003,
    MB_YESNO = 0x0004,
    MB_RETRYCANCEL = 0x0005,
    MB_ICONERROR = 0x0010,
    MB_ICONHAND = 0x0010,
    MB_ICONQUESTION = 0x0020,
    MB_ICONWARNING = 0x0030,
    MB_ICONEXCLAMATION = 0x0030,
    MB_ICONINFORMATION = 0x0040,
    MB_ICONASTERISK = 0x0040,
    MB_DEFBUTTON2 = 0x0100,
    MB_DEFBUTTON3 = 0x0200,
    MB_SYSTEMMODAL = 0x1000,
    MB_TASKMODAL = 0x2000,
    MB_TOPMOST = 0x00040000,
    MB_SERVICE_NOTIFICATION = 0x00200000,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

}  // namespace menvaro
