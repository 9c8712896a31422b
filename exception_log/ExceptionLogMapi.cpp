// The report mail by the computer's mail client: its Simple MAPI library,
// else the mailto handler; the parts and the events of a sending.
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "ExceptionLog.h"
#include "ExceptionLogMail.h"
#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "mapi/SimpleMapi.h"

namespace menvaro {

namespace {

// The buffers of one recipient's name and address: 256 characters and NUL.
constexpr std::size_t kMapiTextBuffer = 257;
constexpr std::size_t kMaxMapiAttachments = 32;
constexpr std::size_t kMaxExpandedLength = 2048;
// How long a started mailto handler is waited for before it is left to
// end by itself.
constexpr int kMailtoWaitMs = 10000;

// Copies `text` into a fixed buffer; false (the buffer untouched) when it
// does not fit.
bool CopyBounded(char (&buffer)[kMapiTextBuffer], const char* text) {
    const std::size_t n = std::strlen(text);
    if (n >= kMapiTextBuffer) return false;
    std::memcpy(buffer, text, n + 1);
    return true;
}

struct TMapiLibrary {
    void* handle = nullptr;
    LPMAPILOGON Logon = nullptr;
    LPMAPILOGOFF Logoff = nullptr;
    LPMAPISENDMAIL SendMail = nullptr;
    LPMAPIRESOLVENAME ResolveName = nullptr;
    LPMAPIFREEBUFFER FreeBuffer = nullptr;

    ~TMapiLibrary() {
        if (handle) ::dlclose(handle);
    }
    bool Bind() {
        Logon = reinterpret_cast<LPMAPILOGON>(::dlsym(handle, "MAPILogon"));
        Logoff = reinterpret_cast<LPMAPILOGOFF>(::dlsym(handle, "MAPILogoff"));
        SendMail = reinterpret_cast<LPMAPISENDMAIL>(::dlsym(handle, "MAPISendMail"));
        ResolveName = reinterpret_cast<LPMAPIRESOLVENAME>(::dlsym(handle, "MAPIResolveName"));
        FreeBuffer = reinterpret_cast<LPMAPIFREEBUFFER>(::dlsym(handle, "MAPIFreeBuffer"));
        return Logon && Logoff && SendMail && ResolveName && FreeBuffer;
    }
};

// The default mail client's library as the registry names it, else the
// system's default name.
void* LoadMapiLibrary() {
    const std::string client = ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail", "");
    const std::string path = ExpandEnvironmentStrings(
        ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail\\" + client, "DLLPath"));
    void* handle = nullptr;
    if (!client.empty() && !path.empty()) handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) handle = ::dlopen(kDefaultMapiLibrary, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

struct TRecipientBuffers {
    char Name[kMapiTextBuffer] = {};
    char Address[kMapiTextBuffer] = {};
};

bool MapiSend(TMapiLibrary& mapi, const std::vector<std::string>& recipients, const std::string& subject,
              const std::string& body, const std::vector<std::string>& attachments) {
    MAPI_LHANDLE session = 0;
    if (mapi.Logon(0, nullptr, nullptr, MAPI_LOGON_UI, 0, &session) != SUCCESS_SUCCESS) {
        ReportWarning(eeEmailMAPIError, "Cannot LogOn into the MAPI service.");
        return false;
    }
    // The resolved recipients hold the entry identifiers the message points
    // at: they are freed after the sending, with the session.
    std::vector<MapiRecipDesc*> resolved;
    ScopeGuard logoff([&] {
        for (MapiRecipDesc* r : resolved) mapi.FreeBuffer(r);
        mapi.Logoff(session, 0, 0, 0);
    });

    std::vector<std::string> paths, names;
    for (const std::string& a : attachments) {
        if (a.empty() || !FileExists(a)) continue;
        paths.push_back(a);
        names.push_back(ExtractFileName(a));
    }
    if (paths.size() > kMaxMapiAttachments) {
        TraceCall("SendEmailByMapi: too many attachments", {paths.size()});
        ReportWarning(eeEmailMAPIError, "Cannot send the MAPI message.");
        return false;
    }
    std::vector<MapiFileDesc> files(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        files[i] = MapiFileDesc{0, 0, 0xFFFFFFFFu, paths[i].data(), names[i].data(), nullptr};
    }

    std::vector<TRecipientBuffers> buffers(recipients.size());
    std::vector<MapiRecipDesc> recips(recipients.size());
    for (std::size_t i = 0; i < recipients.size(); ++i) {
        std::string text = recipients[i];
        MapiRecipDesc* r = nullptr;
        if (mapi.ResolveName(session, 0, text.data(), 0, 0, &r) != SUCCESS_SUCCESS || !r) {
            TraceCall("SendEmailByMapi: not resolved", {recipients[i]});
            return false;
        }
        resolved.push_back(r);
        const char* address = r->lpszAddress && *r->lpszAddress ? r->lpszAddress : r->lpszName;
        // Neither a name nor an address: nobody to send to.
        if (!address || !*address) return false;
        if ((r->lpszName && !CopyBounded(buffers[i].Name, r->lpszName)) ||
            !CopyBounded(buffers[i].Address, address)) {
            TraceCall("SendEmailByMapi: the resolved recipient is too long", {recipients[i]});
            return false;
        }
        recips[i] = MapiRecipDesc{0, MAPI_TO, buffers[i].Name, buffers[i].Address, r->ulEIDSize, r->lpEntryID};
    }

    std::string subjectText = subject, noteText = body;
    MapiMessage message{};
    message.lpszSubject = subjectText.data();
    message.lpszNoteText = noteText.data();
    message.nRecipCount = static_cast<MAPI_ULONG>(recips.size());
    message.lpRecips = recips.empty() ? nullptr : recips.data();
    message.nFileCount = static_cast<MAPI_ULONG>(files.size());
    message.lpFiles = files.empty() ? nullptr : files.data();
    if (mapi.SendMail(0, 0, &message, MAPI_LOGON_UI, 0) != SUCCESS_SUCCESS) {
        ReportWarning(eeEmailMAPIError, "Cannot send the MAPI message.");
        return false;
    }
    return true;
}

// Percent-encoding of RFC 3986: the unreserved characters stay, and in an
// address "@" too.
void PercentEncode(std::string_view text, std::string& out, bool address) {
    static const char hex[] = "0123456789ABCDEF";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~' || (address && c == '@')) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
}

// Waits a while for the handler to end; one that goes on is reaped when it
// ends, by a thread of its own.
void ReapHandler(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMailtoWaitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace

std::string ExpandEnvironmentStrings(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        const std::string name(text.substr(open + 1, close - open - 1));
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value) {
            out += value;
            at = close + 1;
        } else {
            // Not a known name: the first "%" stays, the second may open one.
            out += '%';
            at = open + 1;
        }
    }
    if (out.size() > kMaxExpandedLength) out.resize(kMaxExpandedLength);
    return out;
}

bool SendEmailByMapi(const std::string& recipients, const std::string& subject, const std::string& body,
                     const std::vector<std::string>& attachments) {
    TraceCall("SendEmailByMapi", {recipients, subject}, 2);
    bool result = false;
    try {
        std::vector<std::string> list;
        SplitAddressList(recipients, list);
        TMapiLibrary mapi;
        mapi.handle = LoadMapiLibrary();
        if (!mapi.handle)
            ReportWarning(eeEmailMAPIError, "Cannot open the MAPI dll.");
        else if (!mapi.Bind())
            ReportWarning(eeEmailMAPIError, "Cannot found the MAPI functions.");
        else
            result = MapiSend(mapi, list, subject, body, attachments);
    } catch (...) {
        result = false;
        ReportWarningFromException(eeEmailMAPIError, "MAPI");
    }
    TraceCall("SendEmailByMapi=", {result}, -2);
    return result;
}

std::string MailtoAddress(const std::string& recipients, const std::string& subject, const std::string& body,
                          const std::string& extra, std::size_t limit) {
    std::vector<std::string> list;
    SplitAddressList(recipients, list);
    std::string address = "mailto:";
    bool first = true;
    for (const std::string& r : list) {
        if (r.empty()) continue;
        if (!first) address += ',';
        PercentEncode(r, address, true);
        first = false;
    }
    address += "?Subject=";
    PercentEncode(subject, address, false);
    address += "&Body=";
    if (address.size() > limit) throw EConvertError("The mailto address is longer than a command line can carry.");
    std::string text = body;
    std::erase(text, '&');
    text += extra;
    std::string piece;
    for (std::size_t at = 0; at < text.size();) {
        // Whole characters only: a cut never splits a UTF-8 sequence.
        std::size_t n = 1;
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead >= 0xF0) n = 4;
        else if (lead >= 0xE0) n = 3;
        else if (lead >= 0xC0) n = 2;
        n = std::min(n, text.size() - at);
        piece.clear();
        PercentEncode(std::string_view(text).substr(at, n), piece, false);
        if (address.size() + piece.size() > limit) break;
        address += piece;
        at += n;
    }
    return address;
}

std::vector<std::string> MailtoCommandLine(std::string_view commandTemplate, std::string_view address) {
    std::vector<std::string> words = SplitCommandWords(commandTemplate);
    for (std::string& w : words) w = ReplaceAll(w, "%1", address);
    return words;
}

bool SendEmailByShell(const std::string& recipients, const std::string& subject, const std::string& body,
                      const std::string& reportText, const std::string& requestText) {
    TraceCall("SendEmailByShell", {recipients, subject}, 2);
    bool result = false;
    try {
        std::string command =
            ExpandEnvironmentStrings(ReadRegistryString(HKEY::HKEY_CLASSES_ROOT, "\\mailto\\shell\\open\\command", ""));
        if (Trim(command).empty()) command = kDefaultMailtoCommand;
        std::string extra = "\r\n\r\n\r\n" + reportText;
        if (!requestText.empty()) extra += "\r\n\r\n\r\n" + requestText;
        // The address must fit the longest argument it goes into.
        std::size_t limit = kMaxArgumentLength;
        for (const std::string& w : SplitCommandWords(command)) {
            std::size_t uses = 0;
            for (std::size_t at = w.find("%1"); at != std::string::npos; at = w.find("%1", at + 2)) ++uses;
            if (uses == 0) continue;
            const std::size_t rest = w.size() - 2 * uses;
            limit = std::min(limit, rest >= kMaxArgumentLength ? 0 : (kMaxArgumentLength - rest) / uses);
        }
        const std::vector<std::string> words =
            MailtoCommandLine(command, MailtoAddress(recipients, subject, body, extra, limit));
        if (words.empty()) throw EConvertError("The mailto handler's command line is empty.");
        int pid = 0;
        const int r = SpawnProcess(words, "", true, pid);
        if (r != 0) {
            ReportWarning(eeEmailShellError, SysErrorMessage(r));
        } else {
            ReapHandler(pid);
            result = true;
        }
    } catch (...) {
        result = false;
        ReportWarningFromException(eeEmailShellError, "Shell");
    }
    TraceCall("SendEmailByShell=", {result}, -2);
    return result;
}

// ---- a sending's parts

std::string BodyAddition(const TOstrelModuleOptions& options, std::string_view mailCopy) {
    return options.LogInBody() ? "\r\n\r\n\r\n" + std::string(mailCopy) : std::string();
}

bool IsSmtpSendMode(const TOstrelModuleOptions& options) { return options.SendMode() == 2 || options.SendMode() == 3; }

bool SendingMailEvent(const TOstrelExceptionRecord& record) {
    bool send = true;
    CallCustomAction(record, atSendingMail, send);
    return send;
}

void SentMailEvent(const TOstrelExceptionRecord& record, bool result) { CallCustomAction(record, atSentMail, result); }

bool RetrySendEvent(const TOstrelExceptionRecord& record) {
    bool retry = false;
    CallErrorNotify(record, atSentMail, retry);
    return retry;
}

}  // namespace menvaro
