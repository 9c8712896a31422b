#include "base/Streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/Exceptions.h"
#include "base/Files.h"

namespace menvaro {

std::int64_t TStream::Size() {
    const std::int64_t here = Seek(0, TSeekOrigin::soCurrent);
    const std::int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::int64_t left = count;
    char buf[65536];
    while (left > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left, sizeof buf));
        source.ReadBuffer(buf, n);
        WriteBuffer(buf, n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

TMemoryStream::TMemoryStream(std::string bytes) : data_(bytes.begin(), bytes.end()) {}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (pos_ >= data_.size()) return 0;
    const std::size_t n = std::min(count, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (pos_ + count > data_.size()) data_.resize(pos_ + count);
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent) base = static_cast<std::int64_t>(pos_);
    if (origin == TSeekOrigin::soEnd) base = static_cast<std::int64_t>(data_.size());
    const std::int64_t p = base + offset;
    if (p < 0) throw EStreamError("Seek before the start of a memory stream");
    pos_ = static_cast<std::size_t>(p);
    return p;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    data_.assign(bytes.begin(), bytes.end());
    pos_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& path) const {
    WriteFileAtomic(path, std::string_view(reinterpret_cast<const char*>(data_.data()), data_.size()));
}

TFileStream::TFileStream(const std::string& path, unsigned mode) : path_(path) {
    if (mode == fmCreate) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw EFCreateError("Cannot create file \"" + path + "\". " + SysErrorMessage(errno));
        return;
    }
    int flags = O_RDONLY;
    if ((mode & 3) == fmOpenWrite) flags = O_WRONLY;
    if ((mode & 3) == fmOpenReadWrite) flags = O_RDWR;
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd_ < 0) throw EFOpenError("Cannot open file \"" + path + "\". " + SysErrorMessage(errno));
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EReadError("Cannot read file \"" + path_ + "\". " + SysErrorMessage(errno));
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EWriteError("Cannot write file \"" + path_ + "\". " + SysErrorMessage(errno));
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    const off_t p = ::lseek(fd_, offset, whence);
    if (p < 0) throw EStreamError("Cannot seek in file \"" + path_ + "\". " + SysErrorMessage(errno));
    return p;
}

}  // namespace menvaro
