// The logger's dialogs: the exception dialog with its four pages, the
// request dialog, the SMTP progress window, and the record handed to a
// source viewer. (A section of ExceptionLog kept in a header of its own.)
//
// The dialogs are built from the platform's controls in top-level windows
// of their own and run their own modal loops, so they work from the report
// thread while the program's main thread only pumps paint messages.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ESockets.h"
#include "ExceptionLog.h"
#include "ExceptionLogMail.h"
#include "EConsts.h"
#include "gfx/Color.h"
#include "gfx/Types.h"

namespace menvaro {

class TBitmap;
class TCanvas;

// ===================================================== process-wide state

inline constexpr int kStackColumns = 6;
inline constexpr int kModuleColumns = 6;
inline constexpr std::array<int, kStackColumns> kDefaultStackColumns{80, 102, 105, 118, 137, 48};
inline constexpr std::array<int, kModuleColumns> kDefaultModuleColumns{80, 100, 130, 65, 65, 150};

// Where the dialog stands; WindowsState 1 normal, 3 maximised, 6 minimised.
struct TDialogPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 640;
    int Height = 385;
    int WindowsState = 1;
    friend bool operator==(const TDialogPlacement&, const TDialogPlacement&) = default;
};

// One set for the whole process: the report in progress fills it before
// the dialog opens and reads the check states after it closed.
struct TOstrelDialogState {
    bool SendChecked = false;
    bool ScreenshotChecked = false;
    bool ClipboardChecked = false;
    bool AlreadyReported = false;
    bool TerminateRequested = false;
    bool Painted = false;
    bool DetailsShown = false;
    std::string DialogMessage;
    std::string GeneralText;
    std::string CPUText;
    int ErrorCount = 0;
    int ExtraHeight = 20;
    TDialogPlacement Placement;
    int NormalWidth = 0;  // 0: no normal size recorded yet
    int NormalHeight = 0;
    std::array<int, kStackColumns> StackColumns = kDefaultStackColumns;
    std::array<int, kModuleColumns> ModuleColumns = kDefaultModuleColumns;
    // What the lists show: the report's call stack and the modules list.
    std::vector<TOstrelDebugInfo> CallStack;
    std::vector<std::shared_ptr<const TOstrelModuleInfo>> Modules;
    // The steps the user described (the request dialog); cleared at the
    // start of each report.
    std::string RequestText;
};
TOstrelDialogState& DialogState();

// ============================================================ state file

// "OstrelLog.ini" in the user's configuration folder ($XDG_CONFIG_HOME,
// else ~/.config).
std::string DialogStateFileName();
inline constexpr const char* kDialogStateSection = "Coordinates";

// The placement from the state file: missing or damaged values (not a
// decimal number, or a width or height of 0 or less) take their defaults;
// width and height are cut to the screen; then Top and Left are pulled
// back so that the window lies on the screen, and never above or left of it.
TDialogPlacement LoadPlacement(const std::string& file, const TRect& screen, int extraHeight);
// Writes the placement: Width the last normal width, Height the last
// normal height less the extra height; nothing when no normal width was
// recorded. False when the file could not be written.
bool SavePlacement(const std::string& file, const TOstrelDialogState& state);
// The column widths "<prefix>0" .. "<prefix>5" ("Col", "ColMod").
std::array<int, 6> LoadColumnWidths(const std::string& file, const std::string& prefix,
                                    const std::array<int, 6>& defaults);
bool SaveColumnWidths(const std::string& file, const std::string& prefix, const std::array<int, 6>& widths);

// =========================================================== layout rules

// What shows, from the options and the report.
struct TDialogVisibility {
    bool SendVisible = false;
    bool ScreenshotVisible = false;  // check box 4000 (it hides with 3000)
    bool ScreenshotEnabled = false;
    bool TerminateVisible = false;
    int ExtraHeight = 20;
    int TerminateText = 13;  // 14: restart
};
TDialogVisibility DialogVisibility(const TOstrelModuleOptions& options, bool alreadyReported, int errorCount);

// The collapsed dialog: the size and the message control's rectangle.
struct TCollapsedLayout {
    int Width = 0;
    int Height = 0;
    TRect Message;  // control 101
};
struct TDialogMetrics {
    int FrameWidth = 3;    // SM_CXDLGFRAME (the frame of a thick frame when resizable)
    int FrameHeight = 3;   // SM_CYDLGFRAME
    int SmallCaption = 15; // SM_CYSMCAPTION
    int LineHeight = 13;   // of the message font
};
// `lines` are the message's lines and the check boxes' line; `width`
// measures a line in the message font.
TCollapsedLayout CollapsedLayout(const std::vector<std::string>& lines, const std::function<int(const std::string&)>& width,
                                 const TDialogMetrics& metrics);

// Where the controls go for a client area of cx x cy.
struct TDialogControlsLayout {
    TRect Tab, Message;  // Message: only while details show
    TRect Ok, Terminate, Details;
    TRect Send, Screenshot, Clipboard;
};
TDialogControlsLayout SizeLayout(int cx, int cy, int extraHeight);
// A page in the tab control's display rectangle, and its control 103 in the page.
TRect PageRect(const TRect& display);
TRect PageControlRect(const TRect& display, const TRect& page);

// ============================================================ list rows

struct TDialogListRow {
    int Image = 0;  // 0 "DLL", 1 "BPL", 2 "VCL", 3 "PAS"
    std::array<std::string, 6> Columns;
    friend bool operator==(const TDialogListRow&, const TDialogListRow&) = default;
};
enum : int { kImageDLL = 0, kImageBPL = 1, kImageVCL = 2, kImagePAS = 3 };
// An address as 8 hexadecimal digits (more when it needs them).
std::string DialogAddressText(std::uintptr_t address);
std::vector<TDialogListRow> CallStackRows(const std::vector<TOstrelDebugInfo>& stack);
std::vector<TDialogListRow> ModuleRows(const std::vector<std::shared_ptr<const TOstrelModuleInfo>>& modules);
// "6.0.2600.0" shows as "6.0.x".
std::string ShortVersion(const std::string& version);

// ============================================================ painting

// The caption band's colours from the top down: (bottom - top) / 5 fills,
// each darkened to 96 % of the one before, from RGB(130, 155, 194) (active)
// or RGB(151, 151, 151).
std::vector<TColor> SkinCaptionColors(int bandHeight, bool active);
// Paints caption and frame of a window `size` big with a frame of `frame`
// pixels and a caption `captionHeight` high, on a window context.
void PaintSkinnedFrame(TCanvas& canvas, TSize size, int frame, int captionHeight, bool active,
                       const std::string& caption);
// The dialog's pictures, drawn for this project: 16 x 16 list images by
// index (0 to 3) and the large "MONITOR" picture.
TBitmap DialogListImage(int index);
TBitmap MonitorPicture();
// Draws `picture` at (x, y), leaving out every pixel of the colour of its
// bottom-left pixel.
void DrawTransparentPicture(TCanvas& canvas, const TBitmap& picture, int x, int y);

// ================================================================ dialogs

// Shows the exception dialog modally (the report thread); afterwards the
// state's check states and Terminate requested tell the answer. With a
// record, the terminate button runs the custom action kTerminateAction
// (its flag Terminate requested) in the report's context; a handler that
// clears the flag brings the dialog back.
inline constexpr TOstrelAction kTerminateAction = static_cast<TOstrelAction>(6);
void ShowDialog(const TOstrelModuleOptions& options, const TOstrelExceptionRecord* record = nullptr);
// Bit 0 of DialogFlags: asks the log whether a stored report has the same
// address, module, type and message (`isDuplicate` stands for the log's
// answer); stores and answers Already reported.
bool IsDuplicateReport(const TOstrelModuleOptions& options, const std::function<bool()>& isDuplicate);

// The request dialog: shown when it is asked for (bit 1 of DialogFlags, a
// windowed program, not already reported, and mail or the log on). The
// answer, trimmed, becomes the request text.
bool RequestDialogWanted(const TOstrelModuleOptions& options);
void ShowRequestDialog(const TOstrelModuleOptions& options);
// Leading and trailing blanks and control characters go.
std::string TrimRequestText(std::string_view text);

// What the SMTP sender tells of its progress. Every call is harmless when
// no progress window shows.
class TOstrelSendProgress {
public:
    virtual ~TOstrelSendProgress() = default;
    // The recipient being served (from 1) and how many there are.
    virtual void SetRecipient(int number, int count) = 0;
    virtual void Status(const std::string& text) = 0;
    virtual void Position(int percent) = 0;
    // The socket's send-progress callback for the progress bar (empty when
    // no window shows).
    virtual TOstrelClientSocket::TProgressEvent ProgressHook() = 0;
    // Closes the window and waits until its thread has ended.
    virtual void Finished() = 0;
    // A window shows (or showed).
    virtual bool Shown() const = 0;
};
// Starts the progress window in a thread of its own when ShowSendProgress
// is on, SendMode is not 0 and the program is a windowed one; otherwise (or
// when the window does not come up within `startLimitMs`) the answer does
// nothing.
std::unique_ptr<TOstrelSendProgress> StartSmtpProgress(const TOstrelModuleOptions& options, unsigned startLimitMs = 5000);
// The progress window's close message (WM_USER + 1234).
inline constexpr UINT kSmtpCloseMessage = kSmtpProgressCloseMessage;
// The progress window as the SMTP sender drives it (TSmtpProgress), or
// nullptr when no window shows (the sending then runs without one).
std::unique_ptr<TSmtpProgress> CreateSmtpProgressWindow(const TOstrelModuleOptions& options);
// The status line: text 54, recipient number and count, and the text.
std::string SmtpStatusLine(const TOstrelModuleOptions& options, int number, int count, const std::string& text);

// ========================================================= source viewer

inline constexpr std::size_t kSourceViewerRecordSize = 2052;
inline constexpr std::size_t kSourceViewerUnitField = 2048;
// The record: the unit name (cut to 2047 bytes on a character boundary),
// zeros, then the line as signed 32-bit little-endian.
std::string SourceViewerRecord(std::string_view unit, std::int32_t line);
// The viewer's datagram socket: "OstrelLog" in $XDG_RUNTIME_DIR (else the
// temporary folder as "OstrelLog-<uid>").
std::string SourceViewerSocketName();
// Sends one record without waiting; false (silently) when no viewer listens
// or the record did not go whole.
bool SendToSourceViewer(std::string_view unit, std::int32_t line);

}  // namespace menvaro
