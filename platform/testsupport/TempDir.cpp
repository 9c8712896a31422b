#include "testsupport/TempDir.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace menvaro::test {

TempDir::TempDir(const std::string& tag) {
    std::string tmpl = (fs::temp_directory_path() / ("menvaro-" + tag + "-XXXXXX")).string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("cannot make a temporary folder " + tmpl + ": " + std::strerror(errno));
    path_ = tmpl + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
    if (ec) std::fprintf(stderr, "cannot remove the temporary folder %s: %s\n", path_.c_str(), ec.message().c_str());
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
    const std::string file = path_ + name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write the test file " + file);
    return file;
}

std::string Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names) out += (out.empty() ? "" : " ") + n;
    return out;
}

std::string CopyProgram(const std::string& from, const std::string& folder, const std::string& name) {
    const fs::path to = fs::path(folder) / (name.empty() ? fs::path(from).filename() : fs::path(name));
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::status(from).permissions());
    return to.string();
}

}  // namespace menvaro::test
