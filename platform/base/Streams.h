// Byte streams: the abstract stream, a memory stream and a file stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace menvaro {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to `count` bytes; returns how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes up to `count` bytes; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t p) { Seek(p, TSeekOrigin::soBeginning); }
    virtual std::int64_t Size();

    // Read or write exactly `count` bytes, else EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Copies `count` bytes from `source` (0: all of it from its start).
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes);
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SetSize(std::size_t n) { data_.resize(n); }
    void Clear() { data_.clear(), pos_ = 0; }
    const std::uint8_t* Memory() const { return data_.data(); }
    std::uint8_t* Memory() { return data_.data(); }
    std::string Bytes() const { return std::string(data_.begin(), data_.end()); }
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

private:
    std::vector<std::uint8_t> data_;
    std::size_t pos_ = 0;
};

// File modes: one of the open modes, or fmCreate (create or truncate).
enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError / EFCreateError naming the file and the system's reason.
    TFileStream(const std::string& path, unsigned mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    const std::string& FileName() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace menvaro
