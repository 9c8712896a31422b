// A peer process of the socket tests (socket_peers.py): a TCP server or a
// DNS stub on loopback, listening on the port it announces.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "testsupport/TempDir.h"

namespace menvaro::test {

class TSocketPeer {
public:
    // `kind` "tcp" or "dns"; `setup` the JSON of the script or the stub's
    // behaviours. Waits until the peer listens.
    TSocketPeer(const std::string& kind, const std::string& setup);
    // The same with a peer script of another kind (smtp_peer.py).
    TSocketPeer(const std::string& script, const std::string& kind, const std::string& setup);
    // Ends the peer if it still runs.
    ~TSocketPeer();
    TSocketPeer(const TSocketPeer&) = delete;
    TSocketPeer& operator=(const TSocketPeer&) = delete;

    std::uint16_t Port() const { return port_; }
    // Waits until the peer has ended by itself (a TCP server once its
    // client has gone); its exit status.
    int Wait();
    // What the peer received so far (see socket_peers.py).
    std::string Log() const;

private:
    TempDir dir_{"socket-peer"};
    std::string logPath_;
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
};

struct TMailAttachment {
    std::string Name, Type, Data;
};

// One message as the mail server (smtp_peer.py) and its parser read it.
struct TReceived {
    std::string From, Login;
    std::vector<std::string> Rcpt;
    int Defects = -1;
    std::map<std::string, std::string> Headers;
    std::string Text;
    std::vector<TMailAttachment> Attachments;
};

// The messages the mail server has received so far.
std::vector<TReceived> ReceivedMail(const TSocketPeer& server);

}  // namespace menvaro::test
