// A reader of an ELF file of this machine (64-bit, little-endian): its
// headers, sections, dynamic symbols and build id. Every offset and size the
// file states is checked against the file before it is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"

namespace menvaro {

MENVARO_EXCEPTION(EElfError, Exception)

struct TElfSection {
    std::string Name;
    std::uint32_t Type = 0;
    std::uint64_t Flags = 0;
    std::uint64_t Address = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
    std::uint32_t Link = 0;
};

struct TElfSegment {
    std::uint32_t Type = 0;
    std::uint32_t Flags = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Address = 0;
    std::uint64_t FileSize = 0;
    std::uint64_t MemorySize = 0;
};

struct TElfSymbol {
    std::string Name;  // as stored (mangled)
    std::uint64_t Value = 0;
    std::uint64_t Size = 0;
    std::uint8_t Type = 0;      // STT_FUNC ...
    std::uint8_t Bind = 0;      // STB_GLOBAL ...
    std::uint16_t Section = 0;  // SHN_UNDEF for an import
};

class TElfFile {
public:
    // Raises EElfError naming the file when it cannot be opened or is not
    // an ELF file of this machine, or its headers lie outside it.
    explicit TElfFile(const std::string& path);
    ~TElfFile();
    TElfFile(const TElfFile&) = delete;
    TElfFile& operator=(const TElfFile&) = delete;

    const std::string& Path() const { return path_; }
    // ET_EXEC or ET_DYN (a library, or a position-independent program).
    std::uint16_t Type() const { return type_; }
    std::uint64_t FileSize() const { return fileSize_; }
    const std::vector<TElfSection>& Sections() const { return sections_; }
    const std::vector<TElfSegment>& Segments() const { return segments_; }
    const TElfSection* FindSection(std::string_view name) const;

    // The bytes of the file at [offset, offset + size); EElfError when they
    // are not all inside it.
    std::string ReadBytes(std::uint64_t offset, std::uint64_t size) const;
    // A section's bytes ("" for one that takes no room in the file).
    std::string ReadSection(const TElfSection& section) const;

    // The symbols of ".dynsym", with the sizes the linker wrote.
    std::vector<TElfSymbol> DynamicSymbols() const;
    // The bytes of the GNU build-id note; "" when there is none.
    std::string BuildId() const;
    // Where what the headers describe ends: bytes past it were appended.
    std::uint64_t ImageEnd() const { return imageEnd_; }
    // The lowest address of the loadable segments.
    std::uint64_t LowestLoadAddress() const;

private:
    [[noreturn]] void Fail(const std::string& what) const;

    std::string path_;
    int fd_ = -1;
    std::uint64_t fileSize_ = 0;
    std::uint16_t type_ = 0;
    std::uint64_t imageEnd_ = 0;
    std::vector<TElfSection> sections_;
    std::vector<TElfSegment> segments_;
};

// The build id in the bytes of a note section or segment; "" for none.
std::string BuildIdOfNotes(std::string_view notes);

}  // namespace menvaro
