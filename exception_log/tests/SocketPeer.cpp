#include "SocketPeer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "base/Files.h"
#include "base/Strings.h"

extern char** environ;

namespace menvaro::test {

TSocketPeer::TSocketPeer(const std::string& kind, const std::string& setup) : TSocketPeer(PEER_SCRIPT, kind, setup) {}

TSocketPeer::TSocketPeer(const std::string& peerScript, const std::string& kind, const std::string& setup) {
    logPath_ = dir_.Write("peer.log", "");
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    std::string program = PEER_PYTHON, script = peerScript, k = kind, s = setup, log = logPath_;
    char* argv[] = {program.data(), script.data(), k.data(), s.data(), log.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const int r = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (r != 0) {
        close(out[0]);
        pid_ = -1;
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(r));
    }
    // The first line is the port; a peer that fails before it closes the pipe.
    std::string line;
    char c;
    ssize_t n;
    while ((n = read(out[0], &c, 1)) == 1 && c != '\n') line += c;
    close(out[0]);
    if (line.empty()) {
        Wait();
        throw std::runtime_error("the " + kind + " peer did not start");
    }
    port_ = static_cast<std::uint16_t>(std::stoi(line));
}

TSocketPeer::~TSocketPeer() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        Wait();
    }
}

int TSocketPeer::Wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string TSocketPeer::Log() const { return ReadFileBytes(logPath_); }

namespace {

std::string Unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

}  // namespace

std::vector<TReceived> ReceivedMail(const TSocketPeer& server) {
    std::vector<TReceived> messages;
    for (const std::string& line : SplitString(server.Log(), '\n')) {
        const std::vector<std::string> w = SplitString(line, ' ');
        if (w[0] == "message") messages.emplace_back();
        if (messages.empty() || w.size() < 2) continue;
        TReceived& m = messages.back();
        if (w[0] == "from") m.From = w[1];
        if (w[0] == "rcpt") m.Rcpt.push_back(w[1]);
        if (w[0] == "login") m.Login = w[1];
        if (w[0] == "defects") m.Defects = std::stoi(w[1]);
        if (w[0] == "header" && w.size() == 3) m.Headers[w[1]] = Unhex(w[2]);
        if (w[0] == "text") m.Text = Unhex(w[1]);
        if (w[0] == "attachment" && w.size() == 4) m.Attachments.push_back({Unhex(w[1]), w[2], Unhex(w[3])});
    }
    return messages;
}

}  // namespace menvaro::test
