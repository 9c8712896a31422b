// Paired, interleaved repetitions for the benchmarks that compare a whole
// program or a routine with its peers in one run: every repetition runs each
// contender once, the order turning with the repetition, so that a machine
// busy for a moment weighs on all of them alike. Ratios are taken within a
// repetition and summed up by their median and spread.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace menvaro::bench {

struct Summary {
    double median = 0, low = 0, high = 0;
};

inline Summary Summarise(std::vector<double> v) {
    Summary s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    s.low = v.front();
    s.high = v.back();
    return s;
}

// "1.23 (1.20-1.31)": the median and the range of the repetitions.
inline std::string Shown(const Summary& s, const char* format = "%.2f") {
    char a[32], b[32], c[32];
    std::snprintf(a, sizeof a, format, s.median);
    std::snprintf(b, sizeof b, format, s.low);
    std::snprintf(c, sizeof c, format, s.high);
    return std::string(a) + " (" + b + "-" + c + ")";
}

struct ProcessRun {
    double seconds = 0;
    double peakMiB = 0;  // the peak resident memory of the whole process
    bool ok = false;
};

// Runs `argv` (argv[0] a path, or a name looked up in PATH) with `env` added
// to this process's environment, its output to /dev/null. By fork, not
// posix_spawn: a spawned child shares its parent's memory until it execs,
// and the kernel counts the parent's peak as the child's. After a fork it
// counts what the parent held at that moment, so keep the caller small.
inline ProcessRun RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {}) {
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) envText.emplace_back(*e);
    envText.insert(envText.end(), env.begin(), env.end());
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    ProcessRun r;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) return r;
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 1);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid) return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.peakMiB = static_cast<double>(ru.ru_maxrss) / 1024.0;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

// Runs `pairs` repetitions of all `contenders` (each answers its seconds, or
// a negative number on failure) and answers their times by contender.
inline std::vector<std::vector<double>> Interleave(int pairs, const std::vector<std::function<double()>>& contenders) {
    std::vector<std::vector<double>> seconds(contenders.size());
    for (int rep = 0; rep < pairs; ++rep)
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const std::size_t which = (k + static_cast<std::size_t>(rep)) % contenders.size();
            seconds[which].push_back(contenders[which]());
        }
    return seconds;
}

// Per repetition: a[i] / b[i].
inline std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> r;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(b[i] > 0 ? a[i] / b[i] : 0);
    return r;
}

}  // namespace menvaro::bench
