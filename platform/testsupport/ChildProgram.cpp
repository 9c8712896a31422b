#include "testsupport/ChildProgram.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace menvaro::test {

const TEndCase kEndCases[4] = {{"headless", SIGTERM}, {"headless", SIGINT}, {"sdl", SIGTERM}, {"sdl", SIGINT}};

std::string EndCaseName(const TEndCase& c) {
    return std::string(c.backend) + (c.signal == SIGTERM ? "_SIGTERM" : c.signal == SIGINT ? "_SIGINT" : "_signal");
}

TCommandLine::TCommandLine(const std::string& program, std::vector<std::string> args,
                           const std::vector<std::string>& changes)
    : args_(std::move(args)) {
    for (char** e = environ; *e; ++e) env_.emplace_back(*e);
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('=')) + "=";
        std::erase_if(env_, [&](const std::string& v) { return v.compare(0, name.size(), name) == 0; });
        if (change.find('=') != std::string::npos) env_.push_back(change);
    }
    args_.insert(args_.begin(), program);
    for (std::string& a : args_) argv_.push_back(a.data());
    argv_.push_back(nullptr);
    for (std::string& e : env_) envp_.push_back(e.data());
    envp_.push_back(nullptr);
}

TChildProgram::TChildProgram(const std::string& program, const std::vector<std::string>& environment,
                             const std::string& output, const std::vector<std::string>& arguments) {
    TCommandLine line(program, arguments, environment);
    // Closed by the exec: the constructor returns once the program runs,
    // holding nothing of the test's.
    int started[2];
    if (pipe2(started, O_CLOEXEC) != 0) throw std::runtime_error("cannot start " + program);
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("cannot start " + program);
    if (pid_ == 0) {
        // What the test's own runner blocks or ignores is not the program's.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, SIG_DFL);
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        // Nothing the test holds open (a database it locks) goes with it.
        for (int open = 3; open < 1024; ++open)
            if (open != started[1]) ::close(open);
        execve(program.c_str(), line.Argv(), line.Envp());
        std::perror("execve");
        _exit(127);
    }
    ::close(started[1]);
    char byte;
    while (::read(started[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ::close(started[0]);
}

TChildProgram::~TChildProgram() {
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
}

bool TChildProgram::Running() {
    if (pid_ < 0 || status_ >= 0) return false;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    status_ = r == pid_ ? status : 0;
    return false;
}

bool TChildProgram::WaitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        if (!Running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

std::string TChildProgram::StatusLine(const char* field) const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
    return "";
}

namespace {

bool HasSignal(const std::string& mask, int signal) {
    const unsigned long long bits = std::strtoull(mask.c_str(), nullptr, 16);
    return (bits >> (signal - 1)) & 1;
}

}  // namespace

bool TChildProgram::Catches(int signal) const { return HasSignal(StatusLine("SigCgt"), signal); }

bool TChildProgram::Ignores(int signal) const { return HasSignal(StatusLine("SigIgn"), signal); }

bool TChildProgram::Pending(int signal) const {
    return HasSignal(StatusLine("ShdPnd"), signal) || HasSignal(StatusLine("SigPnd"), signal);
}

bool TChildProgram::HasOpen(const std::string& file) const {
    struct stat want {};
    if (::stat(file.c_str(), &want) != 0) return false;
    const std::string fds = "/proc/" + std::to_string(pid_) + "/fd";
    DIR* dir = opendir(fds.c_str());
    if (!dir) return false;
    bool found = false;
    while (dirent* e = readdir(dir)) {
        struct stat st {};
        if (e->d_name[0] != '.' && ::stat((fds + "/" + e->d_name).c_str(), &st) == 0 && st.st_dev == want.st_dev &&
            st.st_ino == want.st_ino)
            found = true;
    }
    closedir(dir);
    return found;
}

void TChildProgram::Send(int signal) const { kill(pid_, signal); }

int TChildProgram::Wait(std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= end) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status_)) return WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) return 128 + WTERMSIG(status_);
    return -1;
}

int TChildProgram::EndWhileItWaitsFor(const std::string& file, int signal, const std::function<void()>& release) {
    if (!WaitFor([&] { return HasOpen(file); })) return -2;
    Send(signal);
    if (!WaitFor([&] { return !Pending(signal); })) return -2;
    release();
    return Wait();
}

}  // namespace menvaro::test
