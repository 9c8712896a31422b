// A program that saves reports to a crash log, for the tests of what more
// than one process or a process's end does to the log:
//
//   log_probe save LOG TAG COUNT SIZE   saves COUNT reports "TAG-i" of about
//                                       SIZE bytes, saying "saved i" after each
//   log_probe pause LOG                 saves one report, then stops for good
//                                       in the next save with its new file
//                                       written but not yet put in place
//   log_probe fsize LOG LIMIT SIZE      saves one report of SIZE bytes with
//                                       files limited to LIMIT bytes
#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ExceptionLog.h"

using namespace menvaro;

namespace {

bool g_pauseInRename = false;

std::string Report(const std::string& tag, std::size_t size) {
    std::string filler;
    while (filler.size() < size) filler += "|" + tag + " filler line of the report|\r\n";
    return "OstrelLog 4.5.4\r\n\r\nException:\r\n-\r\n  2.2 Address: " + tag + "\r\n\r\n" + filler;
}

bool Save(const std::string& log, const std::string& tag, std::size_t size) {
    TOwned<TOstrelModuleOptions> options(Create<TOstrelModuleOptions>("", false));
    options->SetLogPath(log);
    options->SetMaxLogReports(1000);
    TOstrelLogSave save;
    save.Options = options.get();
    save.Report = Report(tag, size);
    if (SaveLogFile(save)) return true;
    std::printf("failed %s\n", LastWarningMessage().c_str());
    std::fflush(stdout);
    return false;
}

}  // namespace

// The log's new file goes in place by rename: here the probe can stop
// between writing it and putting it in place.
extern "C" int rename(const char* from, const char* to) {
    if (g_pauseInRename) {
        std::printf("paused\n");
        std::fflush(stdout);
        for (;;) ::pause();
    }
    using TRename = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<TRename>(::dlsym(RTLD_NEXT, "rename"));
    return real(from, to);
}

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "save" && argc == 6) {
        const int count = std::atoi(argv[4]);
        for (int i = 1; i <= count; ++i) {
            if (!Save(argv[2], std::string(argv[3]) + "-" + std::to_string(i), std::strtoul(argv[5], nullptr, 10)))
                return 1;
            std::printf("saved %d\n", i);
            std::fflush(stdout);
        }
        return 0;
    }
    if (mode == "pause" && argc == 3) {
        if (!Save(argv[2], "before", 100)) return 1;
        g_pauseInRename = true;
        Save(argv[2], "lost", 100);
        return 1;
    }
    if (mode == "fsize" && argc == 5) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{std::strtoul(argv[3], nullptr, 10), RLIM_INFINITY};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        const bool saved = Save(argv[2], "big", std::strtoul(argv[4], nullptr, 10));
        if (saved) std::printf("saved\n");
        return saved ? 0 : 1;
    }
    std::fprintf(stderr, "usage: log_probe save|pause|fsize ...\n");
    return 2;
}
