// The mail client's Simple MAPI library: resolves plain e-mail addresses
// and hands each message, as a MIME mail, to a sendmail-compatible command
// ("sendmail -t -oi", or the command line in MENVARO_SENDMAIL), which reads
// the recipients from the headers. There is no compose window: a message
// goes as it is given.
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "ExceptionLogMime.h"
#include "SimpleMapi.h"
#include "base/Files.h"

extern char** environ;

#define MAPI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace menvaro;

constexpr const char* kDefaultSendmail = "sendmail -t -oi";
// An address as long as any system takes (RFC 5321: 64 + "@" + 255).
constexpr std::size_t kMaxAddressLength = 320;

struct TResolved {
    MapiRecipDesc Desc{};
    std::string Name, Address, EntryId;
};

struct TState {
    std::mutex lock;
    MAPI_LHANDLE nextSession = 1;
    std::set<MAPI_LHANDLE> sessions;
    std::map<const void*, std::unique_ptr<TResolved>> buffers;
};

// An object of the library, not of the heap: unloading the library frees
// whatever a caller left behind.
TState& State() {
    static TState state;
    return state;
}

// An address of the form local@domain, nothing that would end a header or
// a list in it.
bool PlainAddress(const std::string& text) {
    if (text.empty() || text.size() > kMaxAddressLength) return false;
    const std::size_t at = text.find('@');
    if (at == 0 || at == std::string::npos || at + 1 >= text.size() || text.find('@', at + 1) != std::string::npos)
        return false;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c == 0x7F || std::strchr("<>,;\"()[]\\:", ch)) return false;
    }
    return true;
}

bool LiveEntryId(const void* id, MAPI_ULONG size) {
    TState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    for (const auto& [key, r] : s.buffers)
        if (r->EntryId.data() == id && r->EntryId.size() == size) return true;
    return false;
}

std::string AddressOf(const MapiRecipDesc& r) {
    std::string a = r.lpszAddress && *r.lpszAddress ? r.lpszAddress : (r.lpszName ? r.lpszName : "");
    if (a.rfind("SMTP:", 0) == 0) a.erase(0, 5);
    return a;
}

// The message as the command reads it: lines ended by LF.
std::string ComposeMessage(const MapiMessage& m, const std::vector<std::string>& to, const std::vector<std::string>& cc,
                           const std::vector<std::string>& bcc, const std::vector<std::string>& files) {
    std::string headers;
    const auto list = [&](const char* name, const std::vector<std::string>& a) {
        if (a.empty()) return;
        headers += name;
        for (std::size_t i = 0; i < a.size(); ++i) headers += (i ? ", " : " ") + a[i];
        headers += "\r\n";
    };
    headers += "Date: " + MailDateText() + "\r\n";
    list("To:", to);
    list("Cc:", cc);
    list("Bcc:", bcc);
    headers += "Subject: " + EncodeHeaderText(m.lpszSubject ? m.lpszSubject : "") + "\r\n";
    const std::string text = headers + MimeContentTypeHeader() + "\r\n" + MimeBody(m.lpszNoteText ? m.lpszNoteText : "", files);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') continue;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

// Runs the command with the message on its standard input; its exit status.
MAPI_ULONG RunSendmail(const std::string& message) {
    const char* configured = std::getenv("MENVARO_SENDMAIL");
    const std::vector<std::string> words = SplitCommandWords(configured && *configured ? configured : kDefaultSendmail);
    if (words.empty()) return MAPI_E_FAILURE;
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    // A socket rather than a pipe: a command that ends early is a failed
    // send, never a signal to the program.
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return MAPI_E_FAILURE;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 0);
    pid_t pid = 0;
    const int r = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    if (r != 0) {
        ::close(pair[0]);
        return MAPI_E_FAILURE;
    }
    bool written = true;
    for (std::size_t done = 0; done < message.size();) {
        const ssize_t n = ::send(pair[0], message.data() + done, message.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            written = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(pair[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return MAPI_E_FAILURE;
    }
    return written && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}

}  // namespace

MAPI_EXPORT MAPI_ULONG MAPILogon(std::uintptr_t, char*, char*, MAPI_FLAGS, MAPI_ULONG, MAPI_LHANDLE* session) {
    if (!session) return MAPI_E_FAILURE;
    TState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    *session = s.nextSession++;
    s.sessions.insert(*session);
    return SUCCESS_SUCCESS;
}

MAPI_EXPORT MAPI_ULONG MAPILogoff(MAPI_LHANDLE session, std::uintptr_t, MAPI_FLAGS, MAPI_ULONG) {
    TState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.sessions.erase(session) ? SUCCESS_SUCCESS : MAPI_E_INVALID_SESSION;
}

MAPI_EXPORT MAPI_ULONG MAPIResolveName(MAPI_LHANDLE, std::uintptr_t, char* name, MAPI_FLAGS, MAPI_ULONG,
                                       MapiRecipDesc** recipient) {
    if (!recipient) return MAPI_E_FAILURE;
    *recipient = nullptr;
    std::string address = name ? name : "";
    if (address.rfind("SMTP:", 0) == 0) address.erase(0, 5);
    if (!PlainAddress(address)) return MAPI_E_UNKNOWN_RECIPIENT;
    try {
        auto r = std::make_unique<TResolved>();
        r->Name = address;
        r->Address = address;
        r->EntryId = "SMTP:" + address;
        r->Desc = MapiRecipDesc{0, MAPI_TO, r->Name.data(), r->Address.data(),
                                static_cast<MAPI_ULONG>(r->EntryId.size()), r->EntryId.data()};
        TState& s = State();
        std::lock_guard<std::mutex> guard(s.lock);
        MapiRecipDesc* desc = &r->Desc;
        s.buffers.emplace(desc, std::move(r));
        *recipient = desc;
        return SUCCESS_SUCCESS;
    } catch (...) {
        return MAPI_E_INSUFFICIENT_MEMORY;
    }
}

MAPI_EXPORT MAPI_ULONG MAPIFreeBuffer(void* buffer) {
    if (!buffer) return SUCCESS_SUCCESS;
    TState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.buffers.erase(buffer) ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}

MAPI_EXPORT MAPI_ULONG MAPISendMail(MAPI_LHANDLE, std::uintptr_t, MapiMessage* message, MAPI_FLAGS, MAPI_ULONG) {
    if (!message || message->nRecipCount == 0 || !message->lpRecips) return MAPI_E_INVALID_RECIPS;
    try {
        std::vector<std::string> to, cc, bcc, files;
        for (MAPI_ULONG i = 0; i < message->nRecipCount; ++i) {
            const MapiRecipDesc& r = message->lpRecips[i];
            // An entry identifier is one this library handed out and the
            // caller has not freed yet.
            if (r.ulEIDSize > 0 && !LiveEntryId(r.lpEntryID, r.ulEIDSize)) return MAPI_E_INVALID_RECIPS;
            const std::string a = AddressOf(r);
            if (!PlainAddress(a)) return MAPI_E_INVALID_RECIPS;
            if (r.ulRecipClass == MAPI_TO) to.push_back(a);
            else if (r.ulRecipClass == MAPI_CC) cc.push_back(a);
            else if (r.ulRecipClass == MAPI_BCC) bcc.push_back(a);
            else return MAPI_E_BAD_RECIPTYPE;
        }
        if (message->lpszSubject && HasLineBreak(message->lpszSubject)) return MAPI_E_INVALID_MESSAGE;
        if (message->nFileCount > 0 && !message->lpFiles) return MAPI_E_ATTACHMENT_NOT_FOUND;
        for (MAPI_ULONG i = 0; i < message->nFileCount; ++i) {
            const MapiFileDesc& f = message->lpFiles[i];
            if (!f.lpszPathName || !FileExists(f.lpszPathName)) return MAPI_E_ATTACHMENT_NOT_FOUND;
            if (::access(f.lpszPathName, R_OK) != 0) return MAPI_E_ATTACHMENT_OPEN_FAILURE;
            files.push_back(f.lpszPathName);
        }
        return RunSendmail(ComposeMessage(*message, to, cc, bcc, files));
    } catch (...) {
        return MAPI_E_FAILURE;
    }
}
