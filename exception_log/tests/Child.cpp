#include "Child.h"

#include "testsupport/ChildProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace menvaro::test {

TChildResult RunChild(const std::string& program, const TChildRun& run) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    if (run.closedStdout) {
        // Closed before the child starts, so that even its first write finds no reader.
        close(out[0]);
        out[0] = -1;
    }
    TCommandLine line(program, run.args, run.env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    for (int fd : run.keep) posix_spawn_file_actions_adddup2(&actions, fd, fd);  // clears close-on-exec
    pid_t pid = 0;
    const int r = posix_spawn(&pid, program.c_str(), &actions, nullptr, line.Argv(), line.Envp());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    TChildResult result;
    if (r != 0) {
        if (out[0] >= 0) close(out[0]);
        close(err[0]);
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(r));
    }
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = (out[0] >= 0) + 1;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace menvaro::test
