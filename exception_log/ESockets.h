// The logger's own network layer, used only to mail crash reports: a
// blocking IPv4 client socket with a receive time-out and a session
// transcript, the SMTP client on top of it, the computer's DNS servers and
// the lookup of a domain's mail exchanger over UDP.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"
#include "classes/Classes.h"

namespace menvaro {

// What the sockets and the lookup raise; carries only its message.
MENVARO_EXCEPTION(EOstrelSocketError, Exception)

// A timed receive gives up after this long without an answer.
inline constexpr int kSocketTimeoutMs = 30000;
// A reply is complete when nothing more arrives for this long.
inline constexpr int kSocketQuietPeriodMs = 1000;
// Text goes out in pieces of this size, so that progress can be shown.
inline constexpr std::size_t kSocketSendPieceSize = 1024;

// One connection to one server. Errors go through one routine: OnError
// (code -1, the message) when set, then the silent abort when Silent is
// set, else EOstrelSocketError with the message. Linux sockets need no
// start-up or clean-up of their own, so creating and destroying never fail.
class TOstrelClientSocket : public TObject {
    MENVARO_CLASS(TOstrelClientSocket, TObject)
public:
    using TErrorEvent = std::function<void(TOstrelClientSocket& sender, int code, const std::string& message)>;
    // Bytes of the text sent so far and the text's length.
    using TProgressEvent = std::function<void(TOstrelClientSocket& sender, std::int64_t position, std::int64_t total)>;

    // `stream`: TCP, else UDP. `timeoutMs`: of ReceiveWithTimeout.
    TOstrelClientSocket(std::string host, std::uint16_t port, bool stream, int timeoutMs = kSocketTimeoutMs);
    // Closes the connection when there is one.
    ~TOstrelClientSocket() override;

    // Nothing when connected. Looks the host up (its first IPv4 address; a
    // failed lookup or the address 0.0.0.0 is an error) and connects; the
    // transcript becomes "Connected to a.b.c.d port n".
    virtual void Connect();
    // Closes the handle and forgets the peer and the transcript.
    virtual void Close();

    // One send of the whole buffer, going on after a short send: the count
    // that went out; 0 when not connected, -1 when the socket would block
    // before anything went. Another error closes the socket and raises.
    std::int64_t SendBuffer(const void* data, std::size_t length);
    // The text in pieces of kSocketSendPieceSize, OnProgress after each;
    // stops at a piece that did not go out whole. The count that went out.
    std::int64_t SendText(std::string_view text);
    // With a negative size the bytes waiting; else one receive: the count,
    // 0 when not connected or at the end of a stream, -1 when it would
    // block. Another error closes the socket and raises.
    std::int64_t ReceiveBuffer(void* buffer, std::int64_t size);
    // What is waiting now, and whatever follows until the quiet period
    // passes without more; "" when nothing is waiting. Added to the
    // transcript.
    std::string ReceiveAvailable();
    // ReceiveAvailable, waiting up to the time-out for the first bytes:
    // "Socket timeout." when none came, and an error as well when the
    // server closed the connection without a word.
    std::string ReceiveWithTimeout();
    // One datagram, added to the transcript; "Socket timeout." at the
    // deadline.
    std::string ReceiveDatagram(std::chrono::steady_clock::time_point deadline);

    const sockaddr_in& Address() const { return address_; }
    const std::string& Host() const { return host_; }
    std::uint16_t Port() const { return port_; }
    // SOCK_STREAM (1) or SOCK_DGRAM (2).
    int SocketType() const { return socketType_; }
    int Timeout() const { return timeout_; }
    void SetTimeout(int ms) { timeout_ = ms; }
    int QuietPeriod() const { return quietPeriod_; }
    void SetQuietPeriod(int ms) { quietPeriod_ = ms; }
    bool Connected() const { return connected_; }
    // -1 when closed.
    int Handle() const { return handle_; }
    // The connection line, then every command sent and every reply.
    const std::string& Transcript() const { return transcript_; }
    const TErrorEvent& OnError() const { return onError_; }
    void SetOnError(TErrorEvent handler) { onError_ = std::move(handler); }
    const TProgressEvent& OnProgress() const { return onProgress_; }
    void SetOnProgress(TProgressEvent handler) { onProgress_ = std::move(handler); }
    bool Silent() const { return silent_; }
    void SetSilent(bool v) { silent_ = v; }

protected:
    [[noreturn]] void RaiseError(const std::string& message);
    void AppendTranscript(std::string_view text) { transcript_.append(text); }

private:
    void ResetAddress();
    // Closes without raising, for the errors that close the socket.
    void Abandon();
    // Abandon, then the error of a failed call.
    [[noreturn]] void Fail(const char* call, int error);
    // Waits up to `ms` until the socket is readable (or in error).
    bool WaitReadable(std::int64_t ms);
    // The count waiting; when none is though the socket is readable, an
    // empty datagram is taken, an error raised or the end of the stream
    // noted (0).
    std::int64_t Waiting();

    sockaddr_in address_{};
    std::string host_;
    std::uint16_t port_;
    int socketType_;
    int timeout_;
    int quietPeriod_ = kSocketQuietPeriodMs;
    bool connected_ = false;
    bool peerClosed_ = false;
    int handle_ = -1;
    std::string transcript_;
    TErrorEvent onError_;
    TProgressEvent onProgress_;
    bool silent_ = false;
};

// A client of one SMTP server: one command line at a time, each reply
// checked against the codes the command accepts.
class TOstrelClientSMTP : public TOstrelClientSocket {
    MENVARO_CLASS(TOstrelClientSMTP, TOstrelClientSocket)
public:
    using TOstrelClientSocket::TOstrelClientSocket;

    // Connects and reads the greeting, which must be 220; else the error's
    // message is the transcript.
    void Connect() override;
    // A timed receive; whether the code its text begins with (the first
    // line's, for a reply of several lines) is one of `expected`. A reply
    // that does not begin with a digit raises EConvertError.
    bool ReadReply(std::initializer_list<int> expected);
    // False for an empty line, and nothing is sent. Otherwise the line,
    // ended by CR LF, then its reply; a line that did not go out whole or a
    // reply not expected raises with the transcript as the message. A
    // `secret` line (the login and the password) is neither traced nor
    // written to the transcript as it is.
    bool SendCommand(std::string_view line, std::initializer_list<int> expected, bool secret = false);
    // The message after DATA was accepted: every line end made CR LF, a
    // line that begins with "." given another, then the line holding only
    // "."; the reply must be one of `expected`. The transcript and the
    // trace show only the message's size, never its text.
    bool SendData(std::string_view message, std::initializer_list<int> expected);
};

// The message as it travels after DATA (RFC 5321 transparency): CR, LF and
// CR LF each become CR LF, a line that begins with "." gets another one in
// front, and the text ends with a line end; the closing "." is not added.
std::string SmtpDataText(std::string_view message);

// The computer's host name (as HELO and EHLO name it); "localhost" when the
// system has none.
std::string LocalHostName();

// =================================================================== DNS

// The public resolver asked after the computer's own DNS servers.
inline constexpr const char* kFallbackDnsServer = "9.9.9.9";

// Where the mail exchanger of a domain is looked up.
struct TMxLookupSettings {
    // Its "nameserver" lines with an IPv4 address name the DNS servers.
    std::string ResolvConfPath = "/etc/resolv.conf";
    // Off: only the computer's own servers are asked.
    bool UseFallbackServer = true;
    std::uint16_t Port = 53;
    // Of each server's answer.
    int Timeout = kSocketTimeoutMs;
};
// The settings of the logger's own lookups; set them at start-up only.
TMxLookupSettings& MxLookupSettings();

// The DNS servers (dotted IPv4 text) in the order of the configuration,
// "0.0.0.0" left out, then the fallback server when it is on.
std::vector<std::string> GetDNSServers(const TMxLookupSettings& settings = MxLookupSettings());

// The text after the first "@" of an address; the whole text without one.
std::string MailDomain(std::string_view address);
// The domain as the labels of a question, with the closing zero byte.
// An empty label, a label over 63 bytes or a name over 255 raises
// EOstrelSocketError.
std::string EncodeDomainName(std::string_view domain);
// The question for the domain's MX records (class IN, recursion desired).
std::string BuildMXQuery(std::string_view domain, std::uint16_t id);

// What an answer to the question `id` says.
struct TMXAnswer {
    enum TKind {
        NotOurs,      // too short, another id or no response: not the answer awaited
        NoExchanger,  // failed, truncated or without a usable MX record
        Exchanger,    // Host holds the exchanger of the lowest preference
    };
    TKind Kind = NotOurs;
    std::string Host;
};
// Reads the counted answer records of type MX and class IN; every index is
// checked and compression pointers may only point backwards. A damaged
// record ends the walk; the records before it count.
TMXAnswer ParseMXAnswer(std::string_view answer, std::uint16_t id);

// The mail exchanger of the address's domain: the servers are asked in
// order, each once, until one names an exchanger; a socket error (the
// time-out too) ends the lookup at once. None found raises "Cannot resolve
// the "<domain>" MX record.".
std::string ResolveMXRecord(std::string_view address, const TMxLookupSettings& settings = MxLookupSettings());

}  // namespace menvaro
