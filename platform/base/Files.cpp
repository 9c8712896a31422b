#include "base/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <random>

#include "base/CodePage.h"
#include "base/Exceptions.h"
#include "base/Strings.h"

namespace menvaro {

std::string ExeName() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n < 0) RaiseLastOSError("cannot find the program's own file");
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string ExeFolder() { return ExtractFilePath(ExeName()); }

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string r(path);
    if (r.empty() || r.back() != PathDelim) r += PathDelim;
    return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
    std::string r(path);
    if (r.size() > 1 && r.back() == PathDelim) r.pop_back();
    return r;
}

std::string ExtractFilePath(std::string_view path) {
    const std::size_t at = path.rfind(PathDelim);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string ExtractFileDir(std::string_view path) {
    const std::size_t at = path.rfind(PathDelim);
    if (at == std::string_view::npos) return std::string();
    return std::string(path.substr(0, at == 0 ? 1 : at));
}

std::string ExtractFileName(std::string_view path) {
    const std::size_t at = path.rfind(PathDelim);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string ExtractFileExt(std::string_view path) {
    const std::string name = ExtractFileName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::string name = ExtractFileName(path);
    const std::size_t dot = name.rfind('.');
    const std::size_t keep = path.size() - (dot == std::string::npos ? 0 : name.size() - dot);
    return std::string(path.substr(0, keep)) + std::string(ext);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& path) {
    return !path.empty() && ::mkdir(ExcludeTrailingPathDelimiter(path).c_str(), 0777) == 0;
}

bool ForceDirectories(const std::string& path) {
    const std::string dir = ExcludeTrailingPathDelimiter(path);
    if (dir.empty()) return false;
    if (DirectoryExists(dir)) return true;
    const std::string parent = ExtractFileDir(dir);
    if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
    return CreateDir(dir) || DirectoryExists(dir);
}

bool RemoveDir(const std::string& path) {
    return ::rmdir(ExcludeTrailingPathDelimiter(path).c_str()) == 0;
}

bool DeleteFile(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::int64_t FileSize(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return -1;
    return st.st_size;
}

namespace {

std::string ReadOpenFile(int fd, const std::string& path) {
    // Straight into a buffer of the file's size; a file that grows meanwhile
    // is read on to its end.
    struct stat st;
    std::string data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    char more[65536];  // past the size: the end, or what the file grew by
    for (;;) {
        const bool full = done == data.size();
        char* into = full ? more : data.data() + done;
        const ssize_t n = ::read(fd, into, full ? sizeof more : data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw EReadError("Cannot read file \"" + path + "\". " + SysErrorMessage(err));
        }
        if (n == 0) break;
        if (full) data.append(more, static_cast<std::size_t>(n));
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    data.resize(done);
    return data;
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFOpenError("Cannot open file \"" + path + "\". " + SysErrorMessage(errno));
    return ReadOpenFile(fd, path);
}

std::string ReadRegularFileBytes(const std::string& path) {
    auto refuse = [&] { return EFOpenError("Cannot open file \"" + path + "\". It is not a regular file."); };
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) throw refuse();
    // Without waiting, should a FIFO have taken its place since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw EFOpenError("Cannot open file \"" + path + "\". " + SysErrorMessage(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw refuse();
    }
    return ReadOpenFile(fd, path);
}

namespace {

constexpr std::string_view kTempSuffix = ".tmp";

bool IsAtomicWriteTemporary(std::string_view name) { return !TemporaryFileOwner(name).empty(); }

// One of `fileName`.
bool IsAtomicWriteTemporaryOf(std::string_view name, std::string_view fileName) {
    return TemporaryFileOwner(name) == fileName;
}

int DeleteLeftovers(const std::string& folder, std::string_view fileName) {
    const std::string dir = folder.empty() ? std::string("./") : IncludeTrailingPathDelimiter(folder);
    int deleted = 0;
    TSearchRec rec;
    for (int r = FindFirst(dir + ".*", faHidden, rec); r == 0; r = FindNext(rec))
        if (!(rec.Attr & faDirectory) &&
            (fileName.empty() ? IsAtomicWriteTemporary(rec.Name) : IsAtomicWriteTemporaryOf(rec.Name, fileName)) &&
            DeleteFile(dir + rec.Name))
            ++deleted;
    FindClose(rec);
    return deleted;
}

}  // namespace

std::string TemporaryFileName(const std::string& path) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    return ExtractFilePath(path) + "." + ExtractFileName(path) + "." + std::to_string(rng() % 1000000000) +
           std::string(kTempSuffix);
}

std::string TemporaryFileOwner(std::string_view name) {
    if (name.size() < 1 + 1 + 1 + 1 + kTempSuffix.size() || name.front() != '.' || !name.ends_with(kTempSuffix))
        return {};
    name.remove_suffix(kTempSuffix.size());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < 2 || dot + 1 == name.size()) return {};
    if (!std::all_of(name.begin() + std::ptrdiff_t(dot) + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    return std::string(name.substr(1, dot - 1));
}

int DeleteAtomicWriteLeftovers(const std::string& folder) { return DeleteLeftovers(folder, {}); }

int DeleteAtomicWriteLeftovers(const std::string& folder, std::string_view fileName) {
    return fileName.empty() ? 0 : DeleteLeftovers(folder, fileName);
}

void WriteFileAtomic(const std::string& path, std::string_view data, unsigned mode) {
    TFileReplacement(path, data, mode).Commit();
}

TFileReplacement::TFileReplacement(const std::string& path, std::string_view data, unsigned mode) : path_(path) {
    temp_ = TemporaryFileName(path);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd_ < 0) throw EFCreateError("Cannot create file \"" + path + "\". " + SysErrorMessage(errno));
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("Cannot write file", errno);
        done += static_cast<std::size_t>(n);
    }
    // The disk's part starts now; Commit waits for it. Where the system
    // cannot start it early, Commit does all.
    ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

TFileReplacement::TFileReplacement(TFileReplacement&& o) noexcept
    : path_(std::move(o.path_)), temp_(std::move(o.temp_)), fd_(o.fd_) {
    o.fd_ = -1;
    o.temp_.clear();
}

TFileReplacement::~TFileReplacement() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void TFileReplacement::Fail(const char* what, int err) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
    temp_.clear();
    throw EWriteError(std::string(what) + " \"" + path_ + "\". " + SysErrorMessage(err));
}

void TFileReplacement::SetOwnerAndMode(unsigned owner, unsigned group, unsigned mode) {
    if (fd_ < 0) throw EWriteError("Cannot write file \"" + path_ + "\". It was written already.");
    // Without the right to give the file away the group may still be kept.
    if (::fchown(fd_, static_cast<uid_t>(owner), static_cast<gid_t>(group)) != 0)
        (void)!::fchown(fd_, static_cast<uid_t>(-1), static_cast<gid_t>(group));
    if (::fchmod(fd_, static_cast<mode_t>(mode & 07777)) != 0) Fail("Cannot write file", errno);
}

void TFileReplacement::Commit() {
    if (fd_ < 0) throw EWriteError("Cannot write file \"" + path_ + "\". It was written already.");
    if (::fsync(fd_) != 0) Fail("Cannot write file", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        throw EWriteError("Cannot write file \"" + path_ + "\". " + SysErrorMessage(err));
    }
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        throw EWriteError("Cannot replace file \"" + path_ + "\". " + SysErrorMessage(err));
    }
    temp_.clear();
}

// ---- mask matching ----

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Plain wildcard match over UTF-8 characters: "*" any run, "?" one character.
bool WildMatch(std::string_view name, std::string_view mask) {
    std::size_t n = 0, m = 0;
    std::size_t starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && mask[m] == '?') {
            n += CharLength(name, n);
            ++m;
        } else if (m < mask.size() && FoldAscii(mask[m]) == FoldAscii(name[n])) {
            ++n, ++m;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            starN += CharLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (mask == "*" || mask == "*.*") return true;
    const bool endsInDot = mask.size() >= 2 && mask.back() == '.' && mask[mask.size() - 2] != '.';
    if (endsInDot)
        return name.find('.') == std::string_view::npos && WildMatch(name, mask.substr(0, mask.size() - 1));
    if (WildMatch(name, mask)) return true;
    return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
           WildMatch(name, mask.substr(0, mask.size() - 2));
}

// ---- folder search ----

namespace {

TDateTime FromUnixTime(std::time_t t) {
    struct tm lt;
    localtime_r(&t, &lt);
    return EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) +
           EncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec, 0);
}

int TakeNext(TSearchRec& rec) {
    if (rec.Next >= rec.Pending.size()) return ERROR_NO_MORE_FILES;
    TSearchRec& e = rec.Pending[rec.Next++];
    rec.Name = std::move(e.Name);
    rec.Attr = e.Attr;
    rec.Size = e.Size;
    rec.Time = e.Time;
    return 0;
}

}  // namespace

int FindFirst(const std::string& pathMask, int attr, TSearchRec& rec) {
    FindClose(rec);
    const std::size_t at = pathMask.rfind(PathDelim);
    const std::string dir = at == std::string::npos ? std::string(".") : pathMask.substr(0, at == 0 ? 1 : at);
    const std::string mask = at == std::string::npos ? pathMask : pathMask.substr(at + 1);
    rec.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);

    DIR* d = ::opendir(dir.c_str());
    if (!d) return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    while (dirent* ent = ::readdir(d)) {
        const std::string name = ent->d_name;
        if (!MatchesMask(name, mask)) continue;
        const std::string full = IncludeTrailingPathDelimiter(dir) + name;
        struct stat st;
        // A dangling link is still listed, as what it is.
        if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) continue;
        TSearchRec e;
        e.Name = name;
        if (S_ISDIR(st.st_mode)) e.Attr |= faDirectory;
        else e.Attr |= faArchive;
        if (name[0] == '.' && name != "." && name != "..") e.Attr |= faHidden;
        if (!(st.st_mode & S_IWUSR)) e.Attr |= faReadOnly;
        if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) e.Attr |= faSysFile;
        if (e.Attr & rec.ExcludeAttr) continue;
        e.Size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
        e.Time = FromUnixTime(st.st_mtime);
        rec.Pending.push_back(std::move(e));
    }
    ::closedir(d);
    std::sort(rec.Pending.begin(), rec.Pending.end(), [](const TSearchRec& a, const TSearchRec& b) {
        const int c = CompareText(a.Name, b.Name);
        return c != 0 ? c < 0 : a.Name < b.Name;
    });
    const int r = TakeNext(rec);
    return r == 0 ? 0 : ERROR_FILE_NOT_FOUND;
}

int FindNext(TSearchRec& rec) { return TakeNext(rec); }

void FindClose(TSearchRec& rec) {
    rec.Pending.clear();
    rec.Next = 0;
}

}  // namespace menvaro
