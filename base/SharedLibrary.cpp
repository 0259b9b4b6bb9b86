#include "base/SharedLibrary.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "base/UniqueFd.h"

namespace zr
{

namespace
{

// The ELF header fields the check reads, of either class.
struct ElfHeader {
    unsigned char elfClass = 0;
    unsigned char byteOrder = 0;
    uint16_t type = 0;
    uint16_t machine = 0;
    uint64_t programHeaders = 0;
    uint16_t programHeaderSize = 0;
    uint16_t programHeaderCount = 0;
    uint64_t sectionHeaders = 0;
    uint16_t sectionHeaderSize = 0;
    uint16_t sectionHeaderCount = 0;
};

// Reads `size` bytes at `offset`; false when the file ends before.
bool ReadAt(int fd, uint64_t offset, void* buffer, size_t size)
{
    return ::pread(fd, buffer, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// The header of the ELF file open as `fd`, in the byte order of this machine; false when the
// file does not start with one.
bool ReadElfHeader(int fd, ElfHeader& header)
{
    Elf64_Ehdr wide{};
    if (!ReadAt(fd, 0, wide.e_ident, EI_NIDENT) || std::memcmp(wide.e_ident, ELFMAG, SELFMAG) != 0)
        return false;
    header.elfClass = wide.e_ident[EI_CLASS];
    header.byteOrder = wide.e_ident[EI_DATA];
    if (header.elfClass == ELFCLASS64) {
        if (!ReadAt(fd, 0, &wide, sizeof wide))
            return false;
        header = {header.elfClass,  header.byteOrder, wide.e_type,  wide.e_machine,   wide.e_phoff,
                  wide.e_phentsize, wide.e_phnum,     wide.e_shoff, wide.e_shentsize, wide.e_shnum};
        return true;
    }
    Elf32_Ehdr narrow{};
    if (header.elfClass != ELFCLASS32 || !ReadAt(fd, 0, &narrow, sizeof narrow))
        return false;
    header = {header.elfClass,    header.byteOrder,   narrow.e_type,  narrow.e_machine,
              narrow.e_phoff,     narrow.e_phentsize, narrow.e_phnum, narrow.e_shoff,
              narrow.e_shentsize, narrow.e_shnum};
    return true;
}

std::string MachineName(uint16_t machine)
{
    switch (machine) {
    case EM_386:
        return "i386";
    case EM_X86_64:
        return "x86-64";
    case EM_ARM:
        return "ARM";
    case EM_AARCH64:
        return "AArch64";
    case EM_RISCV:
        return "RISC-V";
    case EM_PPC64:
        return "PowerPC64";
    case EM_S390:
        return "S/390";
    default:
        return "machine " + std::to_string(machine);
    }
}

// The end of the furthest part of the file the program headers map, or 0 when they cannot be
// read (the caller then reports the headers themselves as missing).
uint64_t MappedEnd(int fd, const ElfHeader& header)
{
    uint64_t end = 0;
    for (uint16_t i = 0; i < header.programHeaderCount; ++i) {
        const uint64_t at = header.programHeaders + uint64_t{i} * header.programHeaderSize;
        uint64_t offset = 0;
        uint64_t size = 0;
        if (header.elfClass == ELFCLASS64) {
            Elf64_Phdr entry{};
            if (!ReadAt(fd, at, &entry, sizeof entry))
                return 0;
            offset = entry.p_offset;
            size = entry.p_type == PT_NULL ? 0 : entry.p_filesz;
        } else {
            Elf32_Phdr entry{};
            if (!ReadAt(fd, at, &entry, sizeof entry))
                return 0;
            offset = entry.p_offset;
            size = entry.p_type == PT_NULL ? 0 : entry.p_filesz;
        }
        end = std::max(end, offset + size);
    }
    return end;
}

// Empty when `path` looks like a whole ELF shared object this program can load, else why not,
// naming the file.
std::string CheckLibraryFile(const std::string& path)
{
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {
    };
    if (!fd.IsValid() || ::fstat(fd.Get(), &info) != 0)
        return path + ": " + std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return path + ": " + std::strerror(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    ElfHeader header;
    if (!ReadElfHeader(fd.Get(), header))
        return path + ": not an ELF file (or cut short before the end of its header)";
    ElfHeader own;
    const UniqueFd self(::open("/proc/self/exe", O_RDONLY | O_CLOEXEC));
    if (self.IsValid() && ReadElfHeader(self.Get(), own) &&
        (header.elfClass != own.elfClass || header.byteOrder != own.byteOrder ||
         header.machine != own.machine))
        return path + ": a library for " + MachineName(header.machine) +
               (header.elfClass == ELFCLASS32 ? " (32-bit)" : " (64-bit)") +
               ", but this program runs on " + MachineName(own.machine) +
               (own.elfClass == ELFCLASS32 ? " (32-bit)" : " (64-bit)");
    if (header.type != ET_DYN)
        return path + ": not a shared library";
    const auto size = static_cast<uint64_t>(info.st_size);
    const uint64_t headersEnd =
        header.programHeaders + uint64_t{header.programHeaderCount} * header.programHeaderSize;
    const uint64_t sectionsEnd =
        header.sectionHeaders + uint64_t{header.sectionHeaderCount} * header.sectionHeaderSize;
    const uint64_t needed = std::max({headersEnd, sectionsEnd, MappedEnd(fd.Get(), header)});
    if (header.programHeaderCount == 0 || needed > size)
        return path + ": the file is cut short (" + std::to_string(size) +
               " bytes, its headers say " + std::to_string(needed) +
               "); it may have been copied only in part";
    return {};
}

} // namespace

SharedLibrary::~SharedLibrary()
{
    Unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr))
{
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

bool SharedLibrary::Load(const std::string& fileName, Residency residency)
{
    Unload();
    error_.clear();
    if (fileName.find('/') != std::string::npos) {
        error_ = CheckLibraryFile(fileName);
        if (!error_.empty())
            return false;
    }
    // RTLD_LOCAL keeps the library's symbols out of the global scope, so two libraries that
    // export the same entry point names never see each other's.
    int flags = RTLD_NOW | RTLD_LOCAL;
    if (residency == Residency::Resident)
        flags |= RTLD_NODELETE;
    handle_ = dlopen(fileName.c_str(), flags);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error_ = reason != nullptr ? reason : fileName + ": cannot be loaded";
    }
    return handle_ != nullptr;
}

void SharedLibrary::Unload()
{
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

void* SharedLibrary::Symbol(const char* name) const
{
    if (handle_ == nullptr)
        return nullptr;
    return dlsym(handle_, name);
}

} // namespace zr
