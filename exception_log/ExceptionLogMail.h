// ExceptionLog, the mail: a report mailed by SMTP (through a configured
// server or straight to each recipient's mail exchanger) or by the
// computer's mail client (its Simple MAPI library, else the mailto
// handler); the attachments and body of a sending, the send events, and the
// PNG screenshot that goes with a report.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ETypes.h"
#include "EZLib.h"
#include "ExceptionLogMime.h"
#include "classes/Messages.h"

namespace menvaro {

class TBitmap;

// ===================================================================== SMTP

// Texts of the options that the progress window shows while sending.
inline constexpr int kSmtpResolvingText = 55;
inline constexpr int kSmtpConnectingText = 56;
inline constexpr int kSmtpConnectedText = 57;
inline constexpr int kSmtpSendingText = 58;
// Sent to the progress window when the sending ends.
inline constexpr UINT kSmtpProgressCloseMessage = WM_USER + 1234;

// What an SMTP sending tells the progress window while it runs. The window
// (its own thread) implements it and is reached only through it; passing
// none means there is no window.
class TSmtpProgress {
public:
    virtual ~TSmtpProgress() = default;
    virtual void SetRecipientCount(int count) = 0;
    // Counting from 1.
    virtual void SetRecipientNumber(int number) = 0;
    // The status line: one of the texts above, by its index in the options.
    virtual void SetStatus(int textIndex) = 0;
    // 0 .. 100: how much of the message has gone out.
    virtual void SetPosition(int percent) = 0;
    // The sending has ended: the window closes (message 2258).
    virtual void Close() = 0;
};

// How long a session waits; set them at start-up only (tests shorten them).
struct TSmtpSessionSettings {
    int Timeout = 30000;       // for the greeting and each reply
    int QuietPeriod = 1000;    // a reply is complete after this long without more
};
TSmtpSessionSettings& SmtpSessionSettings();

// The message of one session as it goes after DATA, before transparency:
// the headers and the multipart body. Raises EOstrelSocketError when the
// sender, the recipient or the subject holds a line break.
std::string BuildSmtpMessage(std::string_view sender, std::string_view recipient, std::string_view subject,
                             std::string_view body, const std::vector<std::string>& attachments);

// A failed session's text as the warning shows it: the login and the
// password (as they are and in base64) replaced by "***". Commands that
// carried them are masked by the client already; this catches replies that
// echo them.
std::string MaskSmtpSecrets(std::string_view text, std::string_view user, std::string_view password);

// One session for one recipient; true when every command was accepted.
// A failure records the warning eeEmailSMTPError ("[SMTP] " + the masked
// transcript) and answers false.
bool SendSmtpMessage(bool useMX, const std::string& sender, const std::string& host, std::uint16_t port,
                     const std::string& user, const std::string& password, const std::string& recipient,
                     const std::string& subject, const std::string& body,
                     const std::vector<std::string>& attachments, TSmtpProgress* progress = nullptr);

// A session per recipient of the list; true when at least one succeeded.
// With `useMX` each recipient's mail exchanger is the host (the port stays
// `port`). A failure outside a session (the lookup) ends the sending.
bool SendEmailBySmtp(bool useMX, const std::string& sender, const std::string& host, std::uint16_t port,
                     const std::string& user, const std::string& password, const std::string& recipients,
                     const std::string& subject, const std::string& body,
                     const std::vector<std::string>& attachments, TSmtpProgress* progress = nullptr);

// =========================================================== mail client

// The mail client's library when the registry names none.
inline constexpr const char* kDefaultMapiLibrary = "libmapi32.so";
// The mailto handler when the registry names none: "%1" is the address.
inline constexpr const char* kDefaultMailtoCommand = "xdg-open %1";
// One argument may be this long (the system's limit for one argument, less
// its NUL): the mailto address is cut to fit.
inline constexpr std::size_t kMaxArgumentLength = 131071;

// %NAME% replaced by the environment's value (unknown names stay); the
// result at most 2048 characters.
std::string ExpandEnvironmentStrings(std::string_view text);

// The mail client's library: the registry's "DLLPath" of the default mail
// client (HKEY_LOCAL_MACHINE "SOFTWARE\Clients\Mail"), else the default.
// True when the message was handed over; failures are the warnings
// eeEmailMAPIError with the texts of the Simple MAPI sender. A recipient
// the library cannot resolve stops it without a warning.
bool SendEmailByMapi(const std::string& recipients, const std::string& subject, const std::string& body,
                     const std::vector<std::string>& attachments);

// The "mailto:" address: the recipients (split and joined by ","), then
// "?Subject=" and "&Body=" with the body (its "&" removed) and the extra
// text, all percent-encoded (RFC 6068); the body is cut between characters
// so that the address is at most `limit` bytes. Raises EConvertError when
// the recipients and the subject alone do not fit.
std::string MailtoAddress(const std::string& recipients, const std::string& subject, const std::string& body,
                          const std::string& extra, std::size_t limit = kMaxArgumentLength);
// The handler's argument list: the command template split into words
// (double quotes group), each "%1" replaced by the address.
std::vector<std::string> MailtoCommandLine(std::string_view commandTemplate, std::string_view address);

// Starts the registered mailto handler (HKEY_CLASSES_ROOT
// "\mailto\shell\open\command", else the default) with the address of the
// recipients, the subject and the body, followed by three line breaks and
// the report text and, when there is one, three more and the request text.
// No shell is involved; the handler is reaped. True when it was started; a
// failure is the warning eeEmailShellError with the system's text.
bool SendEmailByShell(const std::string& recipients, const std::string& subject, const std::string& body,
                      const std::string& reportText = "", const std::string& requestText = "");

// ======================================================= a sending's parts

// Three line breaks and the mail copy of the report with LogInBody, else "".
std::string BodyAddition(const TOstrelModuleOptions& options, std::string_view mailCopy);
// SendMode 2 or 3.
bool IsSmtpSendMode(const TOstrelModuleOptions& options);

// The send events of a report: before it (action 4; a handler may cancel,
// answering false), after it (action 5 with the result), and after a failed
// attempt (the error event, action 5; true when a handler asks to retry).
bool SendingMailEvent(const TOstrelExceptionRecord& record);
void SentMailEvent(const TOstrelExceptionRecord& record, bool result);
bool RetrySendEvent(const TOstrelExceptionRecord& record);

// ================================================================ screenshot

// Captures the screen the program shows, mouse cursor included, and writes
// it as an 8-bit palette PNG file (replaced whole); nothing for an empty
// name. False, and no file, when the screen has no pixels. Raises on a
// failure of the file.
bool SaveScreenshotPng(const std::string& fileName);

// The fixed palette of the screenshot: the 6 x 6 x 6 colour cube, then 40
// greys between its own.
const std::array<std::uint32_t, 256>& ScreenshotPalette();
// The entry nearest to a colour (0x00RRGGBB) in RGB space; of equally near
// ones the first.
std::uint8_t NearestPaletteIndex(std::uint32_t rgb);
// A 32-bit picture mapped to the palette, as a bottom-up 8-bit bitmap.
TPaletteImage PaletteImageOf(const TBitmap& picture);

}  // namespace menvaro
