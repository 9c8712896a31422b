// Temporary folders for tests, and copies of programs that must sit beside
// the files they write.
#pragma once

#include <string>

namespace menvaro::test {

// A new folder under the system's temporary folder; it goes, with all it
// holds, when the object does.
class TempDir {
public:
    explicit TempDir(const std::string& tag = "test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Ends in "/".
    const std::string& path() const { return path_; }
    // Writes `content` to the file `name` in the folder and answers its path.
    std::string Write(const std::string& name, const std::string& content = "x") const;

private:
    std::string path_;
};

// The names in `folder`, sorted, with one blank between them.
std::string Listing(const std::string& folder);

// Copies the program (or library) `from` into `folder`, under its own name
// unless `name` is given, with its permissions; answers the copy's path.
std::string CopyProgram(const std::string& from, const std::string& folder, const std::string& name = "");

}  // namespace menvaro::test
