// Files, folders, paths and the folder search with the system's mask rules.
//
// The path delimiter is "/". Where the programs add "a backslash" to a PC
// folder they add the delimiter; paths on the handheld keep backslashes and
// are not handled here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"

namespace menvaro {

inline constexpr char PathDelim = '/';

// The running program's file (from /proc/self/exe) and its folder, ending in "/".
std::string ExeName();
std::string ExeFolder();

std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
// Folder part including the final delimiter ("" when there is none).
std::string ExtractFilePath(std::string_view path);
// Folder part without the final delimiter.
std::string ExtractFileDir(std::string_view path);
std::string ExtractFileName(std::string_view path);
// Extension with its dot ("" when the name has none).
std::string ExtractFileExt(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view ext);

bool DirectoryExists(const std::string& path);
// True for an existing file that is not a folder.
bool FileExists(const std::string& path);
// Creates one folder level; false when it cannot (parent missing, exists, ...).
bool CreateDir(const std::string& path);
// Creates the folder and its missing parents; false when it cannot.
bool ForceDirectories(const std::string& path);
bool RemoveDir(const std::string& path);
// Deletes a file; never a folder (false then). False when it cannot.
bool DeleteFile(const std::string& path);
// Renames, replacing an existing target atomically. False when it cannot.
bool RenameFile(const std::string& from, const std::string& to);
std::int64_t FileSize(const std::string& path);  // -1 when missing

// Whole-file reads and writes. ReadFileBytes raises EFOpenError/EReadError.
std::string ReadFileBytes(const std::string& path);
// The same for a regular file only: a FIFO, a device or a folder is refused
// (EFOpenError) before anything is read, and opening never waits.
std::string ReadRegularFileBytes(const std::string& path);
// Writes `data` to a temporary file beside `path`, flushes it and renames it
// over `path`: readers see the old content or the new, never a part.
// Raises EFCreateError/EWriteError and leaves no temporary file behind.
// The file is made with `mode` (less the umask), kept by the rename.
void WriteFileAtomic(const std::string& path, std::string_view data, unsigned mode = 0666);
// Deletes the temporary files of WriteFileAtomic that a program ended in the
// middle of a write left in `folder`; answers how many. Only for a folder no
// other program writes to at the same time (one held under a lock).
int DeleteAtomicWriteLeftovers(const std::string& folder);
// Only those of the one file `fileName` of `folder` ("" is the current
// folder): for a writer that holds that file's lock.
int DeleteAtomicWriteLeftovers(const std::string& folder, std::string_view fileName);

// A new name for a temporary file beside `path`: "." + its name + "." +
// digits + ".tmp", the form in which leftovers are known.
std::string TemporaryFileName(const std::string& path);
// The name of the file that the temporary file `name` stands for
// (".x.123.tmp" is one of "x"), or "" when `name` is not of that form.
std::string TemporaryFileOwner(std::string_view name);

// WriteFileAtomic in two steps, for a writer of a series of files that can
// go on with the next while the disk takes this one: the constructor writes
// the temporary file and starts its way to the disk without waiting; Commit
// waits for it and renames it over `path`. A file never committed is removed
// with the object. Raises as WriteFileAtomic does.
class TFileReplacement {
public:
    TFileReplacement(const std::string& path, std::string_view data, unsigned mode = 0666);
    TFileReplacement(TFileReplacement&& o) noexcept;
    TFileReplacement& operator=(TFileReplacement&&) = delete;
    TFileReplacement(const TFileReplacement&) = delete;
    ~TFileReplacement();
    const std::string& Path() const { return path_; }
    // Gives the new file this owner, group and mode (the owner as far as the
    // system lets this program give it away: always as root). For a
    // replacement that keeps what the old file had; make it with mode 0600
    // so that nobody else reads it before.
    void SetOwnerAndMode(unsigned owner, unsigned group, unsigned mode);
    void Commit();

private:
    [[noreturn]] void Fail(const char* what, int err);
    std::string path_, temp_;
    int fd_ = -1;
};

// File attributes as the folder search reports them.
enum : int {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

struct TSearchRec {
    std::string Name;
    int Attr = 0;
    std::int64_t Size = 0;
    TDateTime Time = 0;
    // Search state.
    int ExcludeAttr = 0;
    std::vector<TSearchRec> Pending;
    std::size_t Next = 0;
};

// Search results: 0 found; otherwise an error code.
enum : int { ERROR_FILE_NOT_FOUND = 2, ERROR_PATH_NOT_FOUND = 3, ERROR_NO_MORE_FILES = 18 };

// Searches `pathMask` (folder + "/" + mask). Entries with the hidden, system
// or directory bit are reported only when `attr` holds that bit; "." and ".."
// count as directories; names starting with "." are hidden. Entries come in
// name order without regard to case, so a search is repeatable.
int FindFirst(const std::string& pathMask, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// The mask rules of the folder search: letter case ignored (ASCII), "*" any
// run of characters, "?" exactly one character; "*.*" matches every name,
// also one without a dot; a mask ending in ".*" also matches the name without
// that extension, one ending in a single "." matches only names without a dot.
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace menvaro
