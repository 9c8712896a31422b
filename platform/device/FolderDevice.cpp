// The folder device: a handheld's remote file API over a directory of this
// machine that stands for the handheld's file system. Built as librapi.so and
// bound by name at run time, like the library the handheld's desktop software
// installs.
//
// The directory is named by MENVARO_DEVICE_ROOT; when it is not there, no
// handheld is connected. The device path "\Program Files\Menvaro餐点\dish1.xml"
// is "<root>/Program Files/Menvaro餐点/dish1.xml"; names match without regard
// to ASCII letter case, as on the handheld. File calls follow the handheld's
// semantics: CREATE_ALWAYS replaces, a missing folder fails, deleting a
// missing file fails, moving onto an existing name fails.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "base/Strings.h"
#include "device/Rapi.h"

using namespace menvaro;
using namespace menvaro::rapi;

#define RAPI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct DeviceState {
    std::mutex lock;
    int inits = 0;
    std::string root;
    std::map<std::intptr_t, int> files;  // handle -> descriptor
    std::intptr_t nextHandle = 0x1000;
};

DeviceState& State() {
    static DeviceState s;
    return s;
}

thread_local DWORD lastError = ERROR_SUCCESS;

DWORD ErrorFromErrno(int err) {
    switch (err) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EEXIST: return ERROR_ALREADY_EXISTS;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS: return ERROR_ACCESS_DENIED;
        case ENAMETOOLONG: return ERROR_INVALID_NAME;
        default: return ERROR_WRITE_FAULT;
    }
}

template <class T>
T Fail(DWORD error, T result) {
    lastError = error;
    return result;
}

bool ValidComponent(const std::string& c) {
    if (c.empty() || c == "." || c == "..") return false;
    for (char ch : c)
        if (static_cast<unsigned char>(ch) < 0x20 || std::string_view("/<>:\"|?*").find(ch) != std::string_view::npos)
            return false;
    return true;
}

// The entry of `dir` named `name` without regard to letter case; `name`
// itself when there is none.
std::string FindEntry(const std::string& dir, const std::string& name) {
    struct stat st;
    if (::lstat((dir + "/" + name).c_str(), &st) == 0) return name;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return name;
    std::string found = name;
    while (dirent* e = ::readdir(d))
        if (SameText(e->d_name, name)) {
            found = e->d_name;
            break;
        }
    ::closedir(d);
    return found;
}

// Maps a device path to this machine. Fails with ERROR_INVALID_NAME for a
// malformed path and ERROR_PATH_NOT_FOUND when a folder on the way is missing.
bool MapPath(LPCWSTR wide, std::string& local) {
    if (!wide) return Fail(ERROR_INVALID_PARAMETER, false);
    std::u16string w;
    for (LPCWSTR p = wide; *p; ++p) {
        w += *p;
        if (w.size() > 259) return Fail(ERROR_INVALID_NAME, false);
    }
    std::string path;
    try {
        path = Utf16ToUtf8(w);
    } catch (...) {
        return Fail(ERROR_INVALID_NAME, false);
    }
    if (path.empty() || path[0] != '\\') return Fail(ERROR_INVALID_NAME, false);
    const std::vector<std::string> parts = SplitString(std::string_view(path).substr(1), '\\');
    std::string cur = State().root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!ValidComponent(parts[i])) return Fail(ERROR_INVALID_NAME, false);
        cur += "/" + FindEntry(cur, parts[i]);
        if (i + 1 < parts.size()) {
            struct stat st;
            if (::stat(cur.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(ERROR_PATH_NOT_FOUND, false);
        }
    }
    local = cur;
    return true;
}

bool Connected() {
    if (State().inits > 0) return true;
    return Fail(ERROR_NOT_READY, false);
}

}  // namespace

RAPI_EXPORT HRESULT CeRapiInit() {
    std::lock_guard<std::mutex> g(State().lock);
    const char* root = std::getenv("MENVARO_DEVICE_ROOT");
    struct stat st;
    if (!root || !*root || ::stat(root, &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(ERROR_NOT_READY, E_FAIL);
    if (State().inits > 0) return CERAPI_E_ALREADYINITIALIZED;
    State().root = root;
    while (State().root.size() > 1 && State().root.back() == '/') State().root.pop_back();
    ++State().inits;
    return S_OK;
}

RAPI_EXPORT HRESULT CeRapiUninit() {
    std::lock_guard<std::mutex> g(State().lock);
    if (State().inits == 0) return E_FAIL;
    State().inits = 0;
    for (auto& [h, fd] : State().files) ::close(fd);
    State().files.clear();
    return S_OK;
}

RAPI_EXPORT DWORD CeGetLastError() { return lastError; }

RAPI_EXPORT HANDLE CeCreateFile(LPCWSTR path, DWORD access, DWORD /*share*/, void* /*security*/, DWORD disposition,
                                DWORD /*flags*/, HANDLE /*templateFile*/) {
    std::lock_guard<std::mutex> g(State().lock);
    if (!Connected()) return INVALID_HANDLE_VALUE;
    std::string local;
    if (!MapPath(path, local)) return INVALID_HANDLE_VALUE;
    int flags = O_CLOEXEC;
    const bool r = access & GENERIC_READ, w = access & GENERIC_WRITE;
    flags |= r && w ? O_RDWR : (w ? O_WRONLY : O_RDONLY);
    switch (disposition) {
        case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
        case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
        case OPEN_EXISTING: break;
        case OPEN_ALWAYS: flags |= O_CREAT; break;
        case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
        default: return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    }
    if ((flags & O_TRUNC) && !w) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    struct stat st;
    if (::stat(local.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    const int fd = ::open(local.c_str(), flags, 0666);
    if (fd < 0) return Fail(ErrorFromErrno(errno), INVALID_HANDLE_VALUE);
    const std::intptr_t h = State().nextHandle++;
    State().files[h] = fd;
    lastError = ERROR_SUCCESS;
    return reinterpret_cast<HANDLE>(h);
}

RAPI_EXPORT BOOL CeWriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* /*overlapped*/) {
    std::lock_guard<std::mutex> g(State().lock);
    if (written) *written = 0;
    if (!Connected()) return 0;
    const auto it = State().files.find(reinterpret_cast<std::intptr_t>(file));
    if (it == State().files.end()) return Fail(ERROR_INVALID_HANDLE, 0);
    if (count > 0 && !buffer) return Fail(ERROR_INVALID_PARAMETER, 0);
    // One call may write less than asked, as a link to a handheld can; the
    // caller continues with the rest.
    const DWORD chunk = count > 1 << 20 ? 1 << 20 : count;
    ssize_t n;
    do n = ::write(it->second, buffer, chunk);
    while (n < 0 && errno == EINTR);
    if (n < 0) return Fail(ErrorFromErrno(errno), 0);
    if (written) *written = static_cast<DWORD>(n);
    lastError = ERROR_SUCCESS;
    return 1;
}

RAPI_EXPORT BOOL CeReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void* /*overlapped*/) {
    std::lock_guard<std::mutex> g(State().lock);
    if (read) *read = 0;
    if (!Connected()) return 0;
    const auto it = State().files.find(reinterpret_cast<std::intptr_t>(file));
    if (it == State().files.end()) return Fail(ERROR_INVALID_HANDLE, 0);
    ssize_t n;
    do n = ::read(it->second, buffer, count);
    while (n < 0 && errno == EINTR);
    if (n < 0) return Fail(ErrorFromErrno(errno), 0);
    if (read) *read = static_cast<DWORD>(n);
    return 1;
}

RAPI_EXPORT BOOL CeCloseHandle(HANDLE object) {
    std::lock_guard<std::mutex> g(State().lock);
    const auto it = State().files.find(reinterpret_cast<std::intptr_t>(object));
    if (it == State().files.end()) return Fail(ERROR_INVALID_HANDLE, 0);
    const int rc = ::close(it->second);
    State().files.erase(it);
    if (rc != 0) return Fail(ErrorFromErrno(errno), 0);
    return 1;
}

RAPI_EXPORT BOOL CeDeleteFile(LPCWSTR path) {
    std::lock_guard<std::mutex> g(State().lock);
    if (!Connected()) return 0;
    std::string local;
    if (!MapPath(path, local)) return 0;
    struct stat st;
    if (::lstat(local.c_str(), &st) != 0) return Fail(ErrorFromErrno(errno), 0);
    if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, 0);
    if (::unlink(local.c_str()) != 0) return Fail(ErrorFromErrno(errno), 0);
    return 1;
}

RAPI_EXPORT BOOL CeMoveFile(LPCWSTR existing, LPCWSTR target) {
    std::lock_guard<std::mutex> g(State().lock);
    if (!Connected()) return 0;
    std::string from, to;
    if (!MapPath(existing, from) || !MapPath(target, to)) return 0;
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) return Fail(ErrorFromErrno(errno), 0);
    if (::lstat(to.c_str(), &st) == 0) return Fail(ERROR_ALREADY_EXISTS, 0);
    if (::rename(from.c_str(), to.c_str()) != 0) return Fail(ErrorFromErrno(errno), 0);
    return 1;
}

// Everything else the library offers is not supported by a folder device.
#define RAPI_UNSUPPORTED_BOOL(name) \
    RAPI_EXPORT BOOL name() { return Fail(ERROR_CALL_NOT_IMPLEMENTED, 0); }
#define RAPI_UNSUPPORTED_HANDLE(name) \
    RAPI_EXPORT HANDLE name() { return Fail(ERROR_CALL_NOT_IMPLEMENTED, INVALID_HANDLE_VALUE); }
#define RAPI_UNSUPPORTED_RESULT(name) \
    RAPI_EXPORT HRESULT name() { return Fail(ERROR_CALL_NOT_IMPLEMENTED, E_NOTIMPL); }
#define RAPI_UNSUPPORTED_DWORD(name) \
    RAPI_EXPORT DWORD name() { return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0xFFFFFFFF}); }

RAPI_UNSUPPORTED_BOOL(CeFindAllFiles)
RAPI_UNSUPPORTED_RESULT(RapiFreeBuffer)
RAPI_UNSUPPORTED_DWORD(CeCreateDatabase)
RAPI_UNSUPPORTED_BOOL(CeDeleteDatabase)
RAPI_UNSUPPORTED_BOOL(CeDeleteRecord)
RAPI_UNSUPPORTED_HANDLE(CeFindFirstDatabase)
RAPI_UNSUPPORTED_DWORD(CeFindNextDatabase)
RAPI_UNSUPPORTED_BOOL(CeOidGetInfo)
RAPI_UNSUPPORTED_HANDLE(CeOpenDatabase)
RAPI_UNSUPPORTED_DWORD(CeReadRecordProps)
RAPI_UNSUPPORTED_DWORD(CeSeekDatabase)
RAPI_UNSUPPORTED_BOOL(CeSetDatabaseInfo)
RAPI_UNSUPPORTED_DWORD(CeWriteRecordProps)
RAPI_UNSUPPORTED_HANDLE(CeFindFirstFile)
RAPI_UNSUPPORTED_BOOL(CeFindNextFile)
RAPI_UNSUPPORTED_BOOL(CeFindClose)
RAPI_UNSUPPORTED_DWORD(CeGetFileAttributes)
RAPI_UNSUPPORTED_BOOL(CeSetFileAttributes)
RAPI_UNSUPPORTED_BOOL(CeFindAllDatabases)
RAPI_UNSUPPORTED_RESULT(GetRapiError)
RAPI_UNSUPPORTED_DWORD(CeSetFilePointer)
RAPI_UNSUPPORTED_BOOL(CeSetEndOfFile)
RAPI_UNSUPPORTED_BOOL(CeCreateDirectory)
RAPI_UNSUPPORTED_BOOL(CeRemoveDirectory)
RAPI_UNSUPPORTED_BOOL(CeCreateProcess)
RAPI_UNSUPPORTED_BOOL(CeCopyFile)
RAPI_UNSUPPORTED_DWORD(CeGetFileSize)
RAPI_UNSUPPORTED_DWORD(CeRegOpenKeyEx)
RAPI_UNSUPPORTED_DWORD(CeRegEnumKeyEx)
RAPI_UNSUPPORTED_DWORD(CeRegCreateKeyEx)
RAPI_UNSUPPORTED_DWORD(CeRegCloseKey)
RAPI_UNSUPPORTED_DWORD(CeRegDeleteKey)
RAPI_UNSUPPORTED_DWORD(CeRegEnumValue)
RAPI_UNSUPPORTED_DWORD(CeRegDeleteValue)
RAPI_UNSUPPORTED_DWORD(CeRegQueryInfoKey)
RAPI_UNSUPPORTED_DWORD(CeRegQueryValueEx)
RAPI_UNSUPPORTED_DWORD(CeRegSetValueEx)
RAPI_UNSUPPORTED_BOOL(CeGetStoreInformation)
RAPI_UNSUPPORTED_BOOL(CeGetSystemMetrics)
RAPI_UNSUPPORTED_BOOL(CeGetDesktopDeviceCaps)
RAPI_UNSUPPORTED_BOOL(CeGetSystemInfo)
RAPI_UNSUPPORTED_BOOL(CeSHCreateShortcut)
RAPI_UNSUPPORTED_BOOL(CeSHGetShortcutTarget)
RAPI_UNSUPPORTED_BOOL(CeCheckPassword)
RAPI_UNSUPPORTED_BOOL(CeGetFileTime)
RAPI_UNSUPPORTED_BOOL(CeSetFileTime)
RAPI_UNSUPPORTED_BOOL(CeGetVersionEx)
RAPI_UNSUPPORTED_HANDLE(CeGetWindow)
RAPI_UNSUPPORTED_BOOL(CeGetWindowLong)
RAPI_UNSUPPORTED_BOOL(CeGetWindowText)
RAPI_UNSUPPORTED_BOOL(CeGetClassName)
RAPI_UNSUPPORTED_BOOL(CeGlobalMemoryStatus)
RAPI_UNSUPPORTED_BOOL(CeGetSystemPowerStatusEx)
