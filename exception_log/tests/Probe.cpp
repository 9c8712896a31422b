// A small program that links the logger and does what PROBE_MODE says, for
// the tests of what depends on the process: the trace's switches and file,
// the host kind, the CGI output and restart. Built twice: as a program with
// windows and, linked with the console flag, as a console program.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ExceptionLog.h"
#include "base/Files.h"

using namespace menvaro;

namespace {

// The lines the trace file holds now, and its inode (0 when missing).
std::size_t LinesInFile(ino_t& inode) {
    struct stat st;
    inode = ::stat(TraceFileName().c_str(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_ino : 0;
    if (!inode) return 0;
    const std::string text = ReadFileBytes(TraceFileName());
    std::size_t n = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
    return n;
}

int Trace() {
    ino_t first = 0, inode = 0;
    std::string counts;
    TraceCall("Probe.Run", {std::string("x")}, 2);
    counts += std::to_string(LinesInFile(first));
    TraceCall("Probe.Step", {1, true});
    counts += " " + std::to_string(LinesInFile(inode));
    const bool same = inode == first;
    TraceCall("Probe.Run=", {false}, -2);
    counts += " " + std::to_string(LinesInFile(inode));
    std::printf("lines in file: %s\nsame file: %s\n", counts.c_str(), same && inode == first ? "yes" : "no");
    return 0;  // the file is written at exit
}

int Enable() {
    EnableTrace();
    TraceCall("Probe.Enabled");
    SaveTrace();
    std::printf("after SaveTrace: %s\n", FileExists(TraceFileName()) ? "file" : "none");
    SaveTraceNow();
    std::printf("after SaveTraceNow: %s\n", FileExists(TraceFileName()) ? "file" : "none");
    return 0;
}

int Host() {
    std::printf("console=%d cgi=%d wincgi=%d isapi=%d intraweb=%d web=%d gui=%d\n", IsConsoleApplication(),
                IsCGIApplication(), IsWinCGIApplication(), IsISAPIApplication(), IsIntraWebApplication(),
                IsWebApplication(), IsGUIApplication());
    return 0;
}

int Web() {
    const bool ok = WriteWebResponse(WebErrorPage("Error.", "a b\r\n<c>"));
    std::fprintf(stderr, "result=%d warning=%s %s\n", ok, ErrorCodeName(LastWarningCode()),
                 LastWarningMessage().c_str());
    return 0;
}

// Its open descriptors but the one that lists them.
std::string OpenDescriptors() {
    std::string fds;
    if (DIR* d = opendir("/proc/self/fd")) {
        const int own = dirfd(d);
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.' && std::atoi(e->d_name) != own) fds += std::string(e->d_name) + " ";
        closedir(d);
    }
    return fds;
}

bool Tell(const std::string& text) {
    const int fd = std::atoi(std::getenv("PROBE_REPORT_FD"));
    return write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// The first run tells its descriptors, moves away from its folder and
// restarts; the second tells, through the descriptor it was given, how it
// was started.
int Restart() {
    if (!std::getenv("PROBE_RESTARTED")) {
        setenv("PROBE_RESTARTED", "1", 1);
        if (!Tell("before=" + OpenDescriptors() + "\n") || chdir("/") != 0) return 3;
        RestartApplication(true);
    }
    char folder[4096];
    std::string report = "folder=" + IncludeTrailingPathDelimiter(getcwd(folder, sizeof folder) ? folder : "?") + "\n";
    report += "program=" + ProgramPath() + "\nparameters=";
    for (const std::string& p : CommandLineParameters()) report += "[" + p + "]";
    report += "\nown group=" + std::string(getpgid(0) == getpid() ? "yes" : "no");
    report += "\nafter=" + OpenDescriptors() + "\n";
    return Tell(report) ? 0 : 4;
}

}  // namespace

int main() {
    const char* mode = std::getenv("PROBE_MODE");
    const std::string m = mode ? mode : "";
    if (m == "trace") return Trace();
    if (m == "enable") return Enable();
    if (m == "host") return Host();
    if (m == "web") return Web();
    if (m == "restart") return Restart();
    std::fprintf(stderr, "PROBE_MODE: trace, enable, host, web or restart\n");
    return 2;
}
