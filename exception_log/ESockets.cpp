#include "ESockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "ETypes.h"
#include "base/NumberText.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"

namespace menvaro {

namespace {

using TClock = std::chrono::steady_clock;

// The entry line of an operation now, its exit line when it ends, also
// when it ends by an error (then without a result).
class TTraced {
public:
    TTraced(std::string name, std::initializer_list<TTraceArg> args) : name_(std::move(name)) {
        TraceCall(name_, args, 2);
    }
    ~TTraced() {
        if (open_) TraceCall(name_ + "=", {}, -2);
    }
    TTraced(const TTraced&) = delete;
    TTraced& operator=(const TTraced&) = delete;

    template <class T>
    T Result(T value) {
        open_ = false;
        TraceCall(name_ + "=", {TTraceArg(value)}, -2);
        return value;
    }

private:
    std::string name_;
    bool open_ = true;
};

std::int64_t MsSince(TClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count();
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

// ================================================================ socket

MENVARO_CLASS_INFO(TOstrelClientSocket) {}
MENVARO_CLASS_INFO(TOstrelClientSMTP) {}

TOstrelClientSocket::TOstrelClientSocket(std::string host, std::uint16_t port, bool stream, int timeoutMs)
    : host_(std::move(host)), port_(port), socketType_(stream ? SOCK_STREAM : SOCK_DGRAM), timeout_(timeoutMs) {
    TraceCall("TOstrelClientSocket.Create", {host_, port_, stream, timeout_});
    ResetAddress();
}

TOstrelClientSocket::~TOstrelClientSocket() {
    TraceCall("TOstrelClientSocket.Destroy", {host_, port_});
    if (handle_ >= 0) ::close(handle_);
}

void TOstrelClientSocket::ResetAddress() {
    address_ = sockaddr_in{};
    address_.sin_family = AF_INET;
}

void TOstrelClientSocket::RaiseError(const std::string& message) {
    TraceCall("TOstrelClientSocket.Error", {message});
    if (onError_) onError_(*this, -1, message);
    if (silent_) Abort();
    throw EOstrelSocketError(message);
}

void TOstrelClientSocket::Connect() {
    TTraced trace("TOstrelClientSocket.Connect", {host_, port_});
    if (connected_) {
        trace.Result(true);
        return;
    }
    const int fd = ::socket(AF_INET, socketType_ | SOCK_CLOEXEC, 0);
    if (fd < 0) RaiseError("Invalid socket: " + Quoted(SysErrorMessage(errno)) + ".");
    // A socket that never connected is not left open.
    ScopeGuard closeOnFailure([fd] { ::close(fd); });

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = socketType_;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(host_.c_str(), nullptr, &hints, &found);
    if (lookup != 0 || !found)
        RaiseError("Cannot resolve the host " + Quoted(host_) + ": " +
                   Quoted(lookup == EAI_SYSTEM ? SysErrorMessage(errno) : ::gai_strerror(lookup)));
    ResetAddress();
    address_.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    // 0.0.0.0 would reach this machine: the host named no server.
    if (address_.sin_addr.s_addr == INADDR_ANY) {
        ResetAddress();
        RaiseError("Cannot resolve the host " + Quoted(host_) + ": " + Quoted("it has the address 0.0.0.0"));
    }
    address_.sin_port = htons(port_);

    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0 && (flags & O_NONBLOCK)) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    int r = ::connect(fd, reinterpret_cast<const sockaddr*>(&address_), sizeof address_);
    int error = r == 0 ? 0 : errno;
    if (error == EINTR) {
        // The connection goes on by itself: wait for its outcome.
        pollfd p{fd, POLLOUT, 0};
        while ((r = ::poll(&p, 1, -1)) < 0 && errno == EINTR) {
        }
        socklen_t size = sizeof error;
        if (r < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
    }
    if (error != 0) {
        ResetAddress();
        RaiseError("Connection error: " + Quoted(SysErrorMessage(error)));
    }
    closeOnFailure.Dismiss();
    handle_ = fd;
    connected_ = true;
    peerClosed_ = false;
    const auto* a = reinterpret_cast<const unsigned char*>(&address_.sin_addr);
    char line[64];
    std::snprintf(line, sizeof line, "Connected to %d.%d.%d.%d port %d\r\n", a[0], a[1], a[2], a[3], port_);
    transcript_ = line;
    trace.Result(true);
}

void TOstrelClientSocket::Close() {
    TTraced trace("TOstrelClientSocket.Close", {host_, port_});
    const int r = ::close(handle_);
    const int error = errno;
    // Linux releases the descriptor whatever close answers.
    handle_ = -1;
    ResetAddress();
    connected_ = false;
    peerClosed_ = false;
    transcript_.clear();
    if (r != 0) RaiseError("Cannot close the socket: " + Quoted(SysErrorMessage(error)));
    trace.Result(true);
}

void TOstrelClientSocket::Fail(const char* call, int error) {
    Abandon();
    RaiseError("Error into \"" + std::string(call) + "\": " + Quoted(SysErrorMessage(error)));
}

void TOstrelClientSocket::Abandon() {
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
    ResetAddress();
    connected_ = false;
    peerClosed_ = false;
    transcript_.clear();
}

std::int64_t TOstrelClientSocket::SendBuffer(const void* data, std::size_t length) {
    TTraced trace("TOstrelClientSocket.SendBuffer", {length});
    if (!connected_) return trace.Result(std::int64_t{0});
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < length) {
        // A peer that has gone answers EPIPE rather than ending the program.
        const ssize_t n = ::send(handle_, bytes + done, length - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) break;
        const int error = errno;
        if (error == EINTR) continue;
        if (error == EAGAIN || error == EWOULDBLOCK) {
            if (done > 0) break;
            return trace.Result(std::int64_t{-1});
        }
        Fail("send", error);
    }
    return trace.Result(static_cast<std::int64_t>(done));
}

std::int64_t TOstrelClientSocket::SendText(std::string_view text) {
    TTraced trace("TOstrelClientSocket.SendText", {text.size()});
    const std::int64_t total = static_cast<std::int64_t>(text.size());
    std::int64_t sent = 0;
    for (std::size_t at = 0; at < text.size(); at += kSocketSendPieceSize) {
        const std::size_t piece = std::min(kSocketSendPieceSize, text.size() - at);
        const std::int64_t n = SendBuffer(text.data() + at, piece);
        if (n > 0) sent += n;
        if (onProgress_) onProgress_(*this, sent, total);
        if (n != static_cast<std::int64_t>(piece)) break;
    }
    return trace.Result(sent);
}

std::int64_t TOstrelClientSocket::ReceiveBuffer(void* buffer, std::int64_t size) {
    if (!connected_) return 0;
    if (size < 0) {
        int waiting = 0;
        if (::ioctl(handle_, FIONREAD, &waiting) != 0) Fail("ioctlsocket", errno);
        return waiting;
    }
    for (;;) {
        const ssize_t n = ::recv(handle_, buffer, static_cast<std::size_t>(size), 0);
        if (n >= 0) return n;
        const int error = errno;
        if (error == EINTR) continue;
        if (error == EAGAIN || error == EWOULDBLOCK) return -1;
        Fail("recv", error);
    }
}

bool TOstrelClientSocket::WaitReadable(std::int64_t ms) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(std::max<std::int64_t>(ms, 0));
    for (;;) {
        const std::int64_t left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
        pollfd p{connected_ ? handle_ : -1, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::clamp<std::int64_t>(left, 0, INT_MAX)));
        if (r > 0) return true;
        if (r == 0 || errno != EINTR) return false;
    }
}

std::int64_t TOstrelClientSocket::Waiting() {
    const std::int64_t waiting = ReceiveBuffer(nullptr, -1);
    if (waiting > 0 || !connected_ || peerClosed_ || !WaitReadable(0)) return waiting;
    if (socketType_ == SOCK_DGRAM) {
        // An empty datagram is taken so it does not stand in the way; a
        // pending error (an unreachable port) is raised.
        char none;
        ReceiveBuffer(&none, 0);
        return ReceiveBuffer(nullptr, -1);
    }
    // Readable with nothing to read: the end of the stream, or an error.
    char next;
    for (;;) {
        const ssize_t n = ::recv(handle_, &next, 1, MSG_PEEK);
        if (n > 0) return ReceiveBuffer(nullptr, -1);
        if (n == 0) {
            peerClosed_ = true;
            return 0;
        }
        const int error = errno;
        if (error == EINTR) continue;
        if (error == EAGAIN || error == EWOULDBLOCK) return 0;
        Fail("recv", error);
    }
}

std::string TOstrelClientSocket::ReceiveAvailable() {
    TTraced trace("TOstrelClientSocket.ReceiveAvailable", {});
    std::string result;
    std::int64_t waiting = Waiting();
    while (waiting > 0) {
        std::string piece(static_cast<std::size_t>(waiting), '\0');
        const std::int64_t n = ReceiveBuffer(piece.data(), waiting);
        if (n > 0) {
            piece.resize(static_cast<std::size_t>(n));
            result += piece;
            transcript_ += piece;
        }
        // The reply goes on as long as more comes within the quiet period.
        const auto quietSince = TClock::now();
        waiting = 0;
        for (;;) {
            waiting = Waiting();
            if (waiting > 0 || peerClosed_ || !connected_) break;
            const std::int64_t left = quietPeriod_ - MsSince(quietSince);
            if (left <= 0 || !WaitReadable(left)) break;
        }
    }
    return trace.Result(result);
}

std::string TOstrelClientSocket::ReceiveWithTimeout() {
    TTraced trace("TOstrelClientSocket.ReceiveWithTimeout", {timeout_});
    const auto start = TClock::now();
    for (;;) {
        std::string result = ReceiveAvailable();
        if (!result.empty()) return trace.Result(result);
        if (peerClosed_) RaiseError("The server closed the connection.");
        const std::int64_t left = std::int64_t{timeout_} - MsSince(start);
        if (left <= 0) break;
        WaitReadable(left);
    }
    RaiseError("Socket timeout.");
}

std::string TOstrelClientSocket::ReceiveDatagram(TClock::time_point deadline) {
    TTraced trace("TOstrelClientSocket.ReceiveDatagram", {});
    std::string datagram(65536, '\0');
    for (;;) {
        const std::int64_t left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
        if (left <= 0) RaiseError("Socket timeout.");
        if (!WaitReadable(left)) continue;
        const std::int64_t n = ReceiveBuffer(datagram.data(), static_cast<std::int64_t>(datagram.size()));
        if (n < 0) continue;
        datagram.resize(static_cast<std::size_t>(n));
        transcript_ += datagram;
        trace.Result(datagram.size());
        return datagram;
    }
}

// ================================================================== SMTP

void TOstrelClientSMTP::Connect() {
    TTraced trace("TOstrelClientSMTP.Connect", {Host(), Port()});
    TOstrelClientSocket::Connect();
    if (!ReadReply({220})) RaiseError(Transcript());
    trace.Result(true);
}

bool TOstrelClientSMTP::ReadReply(std::initializer_list<int> expected) {
    TTraced trace("TOstrelClientSMTP.ReadReply", {});
    const std::string reply = ReceiveWithTimeout();
    std::size_t digits = 0;
    while (digits < reply.size() && reply[digits] >= '0' && reply[digits] <= '9') ++digits;
    if (digits == 0) throw EConvertError("'" + reply.substr(0, reply.find("\r\n")) + "' is not a valid integer value");
    const int code = StrToInt(std::string_view(reply).substr(0, digits));
    return trace.Result(std::find(expected.begin(), expected.end(), code) != expected.end());
}

bool TOstrelClientSMTP::SendCommand(std::string_view line, std::initializer_list<int> expected, bool secret) {
    // The message itself goes as one command: its first line is enough.
    const std::string_view shown = line.substr(0, line.find("\r\n"));
    TTraced trace("TOstrelClientSMTP.SendCommand", {secret ? TTraceArg::Masked() : TTraceArg(shown), line.size()});
    if (line.empty()) return trace.Result(false);
    std::string text(line);
    if (!text.ends_with("\r\n")) text += "\r\n";
    const bool whole = SendText(text) == static_cast<std::int64_t>(text.size());
    bool accepted = false;
    if (whole) {
        AppendTranscript(secret ? std::string_view("***\r\n") : std::string_view(text));
        accepted = ReadReply(expected);
    }
    if (!whole || !accepted) RaiseError(Transcript());
    return trace.Result(true);
}

bool TOstrelClientSMTP::SendData(std::string_view message, std::initializer_list<int> expected) {
    TTraced trace("TOstrelClientSMTP.SendData", {message.size()});
    const std::string text = SmtpDataText(message) + ".\r\n";
    const bool whole = SendText(text) == static_cast<std::int64_t>(text.size());
    bool accepted = false;
    if (whole) {
        AppendTranscript("<message of " + std::to_string(text.size()) + " bytes>\r\n.\r\n");
        accepted = ReadReply(expected);
    }
    if (!whole || !accepted) RaiseError(Transcript());
    return trace.Result(true);
}

std::string SmtpDataText(std::string_view message) {
    std::string out;
    out.reserve(message.size() + message.size() / 32 + 2);
    bool lineStart = true;
    for (std::size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') ++i;
            out += "\r\n";
            lineStart = true;
            continue;
        }
        if (lineStart && c == '.') out += '.';
        out += c;
        lineStart = false;
    }
    if (!lineStart) out += "\r\n";
    return out;
}

std::string LocalHostName() {
    char name[250] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

// =================================================================== DNS

TMxLookupSettings& MxLookupSettings() {
    static TMxLookupSettings settings;
    return settings;
}

std::vector<std::string> GetDNSServers(const TMxLookupSettings& settings) {
    TTraced trace("GetDNSServers", {settings.ResolvConfPath, settings.UseFallbackServer});
    std::vector<std::string> servers;
    std::ifstream file(settings.ResolvConfPath);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string keyword, address;
        if (!(words >> keyword >> address) || keyword != "nameserver") continue;
        in_addr parsed{};
        // IPv6 servers and anything else are skipped; 0.0.0.0 names no server.
        if (::inet_pton(AF_INET, address.c_str(), &parsed) != 1 || parsed.s_addr == INADDR_ANY) continue;
        servers.push_back(address);
    }
    if (settings.UseFallbackServer) servers.emplace_back(kFallbackDnsServer);
    std::string shown;
    for (const std::string& s : servers) shown += (shown.empty() ? "" : ",") + s;
    trace.Result(shown);
    return servers;
}

std::string MailDomain(std::string_view address) {
    const std::size_t at = address.find('@');
    return std::string(at == std::string_view::npos ? address : address.substr(at + 1));
}

std::string EncodeDomainName(std::string_view domain) {
    std::string encoded;
    const auto refuse = [&](const std::string& why) {
        throw EOstrelSocketError("Invalid domain " + Quoted(std::string(domain)) + ": " + why + ".");
    };
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = domain.find('.', start);
        const std::string_view label = domain.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (label.empty()) refuse("a label is empty");
        if (label.size() > 63) refuse("a label is longer than 63 bytes");
        encoded += static_cast<char>(label.size());
        encoded += label;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    encoded += '\0';
    if (encoded.size() > 255) refuse("the name is longer than 255 bytes");
    return encoded;
}

std::string BuildMXQuery(std::string_view domain, std::uint16_t id) {
    std::string query;
    const auto put16 = [&](unsigned v) {
        query += static_cast<char>((v >> 8) & 0xFF);
        query += static_cast<char>(v & 0xFF);
    };
    put16(id);
    put16(0x0100);  // recursion desired
    put16(1);       // one question
    put16(0);
    put16(0);
    put16(0);
    query += EncodeDomainName(domain);
    put16(15);  // MX
    put16(1);   // IN
    return query;
}

namespace {

// Reads the name at `pos`, its labels lying before `limit`. Pointers must
// point before the start of the run of labels they end, so no name can
// contain itself. False for a damaged name.
bool ReadName(std::string_view m, std::size_t pos, std::size_t limit, std::string& name, std::size_t& next) {
    name.clear();
    std::size_t p = pos, runStart = pos, wire = 1;
    bool jumped = false;
    for (;;) {
        if (p >= limit) return false;
        const auto b = static_cast<unsigned char>(m[p]);
        if ((b & 0xC0) == 0xC0) {
            if (p + 1 >= limit) return false;
            const std::size_t target = (std::size_t{b & 0x3Fu} << 8) | static_cast<unsigned char>(m[p + 1]);
            if (target >= runStart) return false;
            if (!jumped) next = p + 2;
            jumped = true;
            p = runStart = target;
            continue;
        }
        if (b & 0xC0) return false;  // a label type of no use here
        if (b == 0) break;
        if (p + 1 + b > limit) return false;
        wire += 1 + b;
        if (wire > 255) return false;
        if (!name.empty()) name += '.';
        name.append(m.substr(p + 1, b));
        p += 1 + b;
    }
    if (!jumped) next = p + 1;
    return true;
}

unsigned Be16(std::string_view m, std::size_t at) {
    return (unsigned{static_cast<unsigned char>(m[at])} << 8) | static_cast<unsigned char>(m[at + 1]);
}

}  // namespace

TMXAnswer ParseMXAnswer(std::string_view m, std::uint16_t id) {
    TMXAnswer answer;
    if (m.size() < 12 || Be16(m, 0) != id) return answer;
    const unsigned flags = Be16(m, 2);
    if (!(flags & 0x8000)) return answer;  // a query, not its answer
    answer.Kind = TMXAnswer::NoExchanger;
    if ((flags & 0x0200) || (flags & 0x000F) != 0) return answer;  // truncated, or failed
    const unsigned questions = Be16(m, 4), records = Be16(m, 6);
    std::size_t p = 12;
    std::string name;
    for (unsigned i = 0; i < questions; ++i) {
        if (!ReadName(m, p, m.size(), name, p) || m.size() - p < 4) return answer;
        p += 4;
    }
    unsigned best = 0;
    for (unsigned i = 0; i < records; ++i) {
        if (!ReadName(m, p, m.size(), name, p) || m.size() - p < 10) break;
        const unsigned type = Be16(m, p), klass = Be16(m, p + 2), length = Be16(m, p + 8);
        const std::size_t data = p + 10;
        if (m.size() - data < length) break;
        const std::size_t end = data + length;
        if (type == 15 && klass == 1) {
            if (length < 3) break;
            const unsigned preference = Be16(m, data);
            std::size_t after = 0;
            // The exchanger lies within the record; its pointers may reach back.
            if (!ReadName(m, data + 2, end, name, after) || after != end) break;
            if (!name.empty() && (answer.Kind != TMXAnswer::Exchanger || preference < best)) {
                answer.Kind = TMXAnswer::Exchanger;
                answer.Host = name;
                best = preference;
            }
        }
        p = end;
    }
    return answer;
}

std::string ResolveMXRecord(std::string_view address, const TMxLookupSettings& settings) {
    TTraced trace("ResolveMXRecord", {address});
    const std::string domain = MailDomain(address);
    EncodeDomainName(domain);  // a name no server could be asked about fails here
    std::random_device random;
    std::string host;
    for (const std::string& server : GetDNSServers(settings)) {
        const auto id = static_cast<std::uint16_t>(random());
        const std::string query = BuildMXQuery(domain, id);
        TOwned<TOstrelClientSocket> socket(Create<TOstrelClientSocket>(server, settings.Port, false, settings.Timeout));
        socket->Connect();
        if (socket->SendBuffer(query.data(), query.size()) != static_cast<std::int64_t>(query.size())) continue;
        const auto deadline = TClock::now() + std::chrono::milliseconds(settings.Timeout);
        for (;;) {
            const TMXAnswer answer = ParseMXAnswer(socket->ReceiveDatagram(deadline), id);
            if (answer.Kind == TMXAnswer::NotOurs) {
                TraceCall("ResolveMXRecord: not the answer awaited", {server});
                continue;
            }
            host = answer.Host;
            break;
        }
        if (!host.empty()) break;
    }
    if (host.empty()) throw EOstrelSocketError("Cannot resolve the " + Quoted(domain) + " MX record.");
    return trace.Result(host);
}

}  // namespace menvaro
