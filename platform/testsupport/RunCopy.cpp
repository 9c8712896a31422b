// Runs a program from a copy of it in a temporary folder, with the files it
// looks for beside it, and removes the folder afterwards: for the tests
// whose program writes into its own folder.
//
//   menvaro_run_copy [--with FILE]... PROGRAM [ARGUMENTS...]
//
// Exits with the program's status (128 + the signal that ended it).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "testsupport/TempDir.h"

namespace {

volatile sig_atomic_t g_child = 0;

// A run stopped from outside (a test's time ran out) stops the copy too, so
// that the folder can go.
void Forward(int signal) {
    if (g_child > 0) kill(g_child, signal);
}

int Run(const std::vector<std::string>& with, const std::string& program, char** args) {
    menvaro::test::TempDir dir("run");
    for (const std::string& file : with) menvaro::test::CopyProgram(file, dir.path());
    const std::string copy = menvaro::test::CopyProgram(program, dir.path());
    std::vector<char*> argv{const_cast<char*>(copy.c_str())};
    for (char** a = args; *a; ++a) argv.push_back(*a);
    argv.push_back(nullptr);
    struct sigaction forward {};
    forward.sa_handler = Forward;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &forward, nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        std::fprintf(stderr, "menvaro_run_copy: cannot start %s: %s\n", copy.c_str(), std::strerror(errno));
        return 127;
    }
    if (pid == 0) {
        execv(copy.c_str(), argv.data());
        std::fprintf(stderr, "menvaro_run_copy: cannot run %s: %s\n", copy.c_str(), std::strerror(errno));
        _exit(127);
    }
    g_child = pid;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return 127;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> with;
    int i = 1;
    for (; i + 1 < argc && std::strcmp(argv[i], "--with") == 0; i += 2) with.push_back(argv[i + 1]);
    if (i >= argc) {
        std::fprintf(stderr, "usage: menvaro_run_copy [--with FILE]... PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    try {
        return Run(with, argv[i], argv + i + 1);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "menvaro_run_copy: %s\n", e.what());
        return 127;
    }
}
