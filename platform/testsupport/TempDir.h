// A temporary folder for a test, removed with everything in it at the end.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace menvaro::test {

class TempDir {
public:
    explicit TempDir(const char* tag = "test") {
        std::string tmpl = std::string("/tmp/menvaro-") + tag + "-XXXXXX";
        const char* made = mkdtemp(tmpl.data());
        if (!made) throw std::runtime_error("mkdtemp failed");
        path_ = std::string(made) + "/";
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Ends in "/".
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace menvaro::test
