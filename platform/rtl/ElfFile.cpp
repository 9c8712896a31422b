#include "ElfFile.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace menvaro {

namespace {

// The C string at `offset` of a string table; "" outside it.
std::string StringAt(const std::string& table, std::uint64_t offset) {
    if (offset >= table.size()) return {};
    const std::size_t end = table.find('\0', offset);
    return table.substr(offset, (end == std::string::npos ? table.size() : end) - offset);
}

template <class T>
T Load(const std::string& bytes, std::size_t at) {
    T v;
    std::memcpy(&v, bytes.data() + at, sizeof v);
    return v;
}

}  // namespace

void TElfFile::Fail(const std::string& what) const { throw EElfError("The file \"" + path_ + "\" " + what + "."); }

TElfFile::TElfFile(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) Fail("cannot be opened: " + SysErrorMessage(errno));
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        Fail("is not a file");
    }
    fileSize_ = static_cast<std::uint64_t>(st.st_size);
    try {
        if (fileSize_ < sizeof(Elf64_Ehdr)) Fail("is too short for an ELF file");
        const std::string head = ReadBytes(0, sizeof(Elf64_Ehdr));
        const Elf64_Ehdr eh = Load<Elf64_Ehdr>(head, 0);
        if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0) Fail("is not an ELF file");
        if (eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_ident[EI_DATA] != ELFDATA2LSB || eh.e_machine != EM_X86_64)
            Fail("is not an ELF file of this machine");
        type_ = eh.e_type;
        imageEnd_ = sizeof(Elf64_Ehdr);

        if (eh.e_phnum > 0) {
            if (eh.e_phentsize != sizeof(Elf64_Phdr)) Fail("has program headers of an unknown size");
            const std::uint64_t size = std::uint64_t{eh.e_phnum} * sizeof(Elf64_Phdr);
            const std::string table = ReadBytes(eh.e_phoff, size);
            imageEnd_ = std::max(imageEnd_, eh.e_phoff + size);
            for (std::uint16_t i = 0; i < eh.e_phnum; ++i) {
                const Elf64_Phdr ph = Load<Elf64_Phdr>(table, i * sizeof(Elf64_Phdr));
                segments_.push_back({ph.p_type, ph.p_flags, ph.p_offset, ph.p_vaddr, ph.p_filesz, ph.p_memsz});
                if (ph.p_filesz > 0 && ph.p_offset <= fileSize_ && ph.p_filesz <= fileSize_ - ph.p_offset)
                    imageEnd_ = std::max(imageEnd_, ph.p_offset + ph.p_filesz);
            }
        }

        if (eh.e_shnum > 0) {
            if (eh.e_shentsize != sizeof(Elf64_Shdr)) Fail("has section headers of an unknown size");
            const std::uint64_t size = std::uint64_t{eh.e_shnum} * sizeof(Elf64_Shdr);
            const std::string table = ReadBytes(eh.e_shoff, size);
            imageEnd_ = std::max(imageEnd_, eh.e_shoff + size);
            std::vector<Elf64_Shdr> headers;
            for (std::uint16_t i = 0; i < eh.e_shnum; ++i)
                headers.push_back(Load<Elf64_Shdr>(table, i * sizeof(Elf64_Shdr)));
            std::string names;
            if (eh.e_shstrndx < headers.size() && headers[eh.e_shstrndx].sh_type == SHT_STRTAB)
                names = ReadBytes(headers[eh.e_shstrndx].sh_offset, headers[eh.e_shstrndx].sh_size);
            for (const Elf64_Shdr& sh : headers) {
                TElfSection s;
                s.Name = StringAt(names, sh.sh_name);
                s.Type = sh.sh_type;
                s.Flags = sh.sh_flags;
                s.Address = sh.sh_addr;
                s.Offset = sh.sh_offset;
                s.Size = sh.sh_size;
                s.Link = sh.sh_link;
                if (sh.sh_type != SHT_NOBITS && sh.sh_type != SHT_NULL) {
                    if (sh.sh_offset > fileSize_ || sh.sh_size > fileSize_ - sh.sh_offset)
                        Fail("has a section (\"" + s.Name + "\") that runs past its end");
                    imageEnd_ = std::max(imageEnd_, sh.sh_offset + sh.sh_size);
                }
                sections_.push_back(std::move(s));
            }
        }
    } catch (...) {
        ::close(fd_);
        fd_ = -1;
        throw;
    }
}

TElfFile::~TElfFile() {
    if (fd_ >= 0) ::close(fd_);
}

const TElfSection* TElfFile::FindSection(std::string_view name) const {
    for (const TElfSection& s : sections_)
        if (s.Name == name) return &s;
    return nullptr;
}

std::string TElfFile::ReadBytes(std::uint64_t offset, std::uint64_t size) const {
    if (offset > fileSize_ || size > fileSize_ - offset)
        Fail("is too short: " + std::to_string(size) + " bytes at byte " + std::to_string(offset) +
             " run past its end");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("cannot be read: " + SysErrorMessage(errno));
        if (n == 0) Fail("ended while it was read");
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

std::string TElfFile::ReadSection(const TElfSection& section) const {
    if (section.Type == SHT_NOBITS || section.Type == SHT_NULL) return {};
    return ReadBytes(section.Offset, section.Size);
}

std::vector<TElfSymbol> TElfFile::DynamicSymbols() const {
    std::vector<TElfSymbol> symbols;
    for (const TElfSection& s : sections_) {
        if (s.Type != SHT_DYNSYM) continue;
        const std::string table = ReadSection(s);
        const std::string names = s.Link < sections_.size() ? ReadSection(sections_[s.Link]) : std::string();
        for (std::size_t at = 0; at + sizeof(Elf64_Sym) <= table.size(); at += sizeof(Elf64_Sym)) {
            const Elf64_Sym sym = Load<Elf64_Sym>(table, at);
            symbols.push_back({StringAt(names, sym.st_name), sym.st_value, sym.st_size,
                               static_cast<std::uint8_t>(ELF64_ST_TYPE(sym.st_info)),
                               static_cast<std::uint8_t>(ELF64_ST_BIND(sym.st_info)), sym.st_shndx});
        }
    }
    return symbols;
}

std::string BuildIdOfNotes(std::string_view notes) {
    std::size_t at = 0;
    while (notes.size() - at >= 12) {
        std::uint32_t header[3];
        std::memcpy(header, notes.data() + at, sizeof header);
        const std::uint64_t nameSize = (std::uint64_t{header[0]} + 3) & ~std::uint64_t{3};
        const std::uint64_t descSize = (std::uint64_t{header[1]} + 3) & ~std::uint64_t{3};
        const std::size_t name = at + 12;
        if (nameSize > notes.size() - name || descSize > notes.size() - name - nameSize) break;
        const std::size_t desc = name + nameSize;
        if (header[2] == NT_GNU_BUILD_ID && header[0] == 4 && notes.substr(name, 4) == std::string_view("GNU\0", 4))
            return std::string(notes.substr(desc, header[1]));
        at = desc + descSize;
    }
    return {};
}

std::string TElfFile::BuildId() const {
    for (const TElfSection& s : sections_) {
        if (s.Type != SHT_NOTE) continue;
        const std::string id = BuildIdOfNotes(ReadSection(s));
        if (!id.empty()) return id;
    }
    return {};
}

std::uint64_t TElfFile::LowestLoadAddress() const {
    bool any = false;
    std::uint64_t lowest = 0;
    for (const TElfSegment& s : segments_) {
        if (s.Type != PT_LOAD) continue;
        if (!any || s.Address < lowest) lowest = s.Address;
        any = true;
    }
    return lowest;
}

}  // namespace menvaro
