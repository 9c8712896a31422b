// Runs a test program as a child and collects what it says.
#pragma once

#include <string>
#include <vector>

namespace menvaro::test {

struct TChildRun {
    std::vector<std::string> args;  // argv[1] ...
    std::vector<std::string> env;   // "NAME=value" put over this process's environment; "NAME" unsets
    std::vector<int> keep;          // descriptors the child inherits as they are
    bool closedStdout = false;      // standard output is a pipe no one reads
};

struct TChildResult {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out, err;
};

// Waits for the child and for everything its descendants still write to
// the same standard output and error.
TChildResult RunChild(const std::string& program, const TChildRun& run);

}  // namespace menvaro::test
