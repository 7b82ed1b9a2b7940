// A module file looked at through its own headers before the system loader maps it. The headers are read
// with elfutils' libelf; every offset and size they give is compared with the file's length, so that
// nothing the loader would map lies past the end of the file.
#include "WbModuleFileCheck.h"

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

// The ELF class and machine of the modules this host can load: its own.
#if defined(__x86_64__)
constexpr int kHostClass = ELFCLASS64;
constexpr int kHostMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr int kHostClass = ELFCLASS64;
constexpr int kHostMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr int kHostClass = ELFCLASS32;
constexpr int kHostMachine = EM_386;
#else
#error "the module file check knows no ELF machine for this processor"
#endif

// The file stays open for as long as libelf reads it, and is closed on every path.
class WbOpenFile final {
public:
    explicit WbOpenFile(const std::string& path) : mDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    WbOpenFile(const WbOpenFile&) = delete;
    WbOpenFile& operator=(const WbOpenFile&) = delete;
    ~WbOpenFile()
    {
        if (mDescriptor >= 0)
            ::close(mDescriptor);
    }
    int Get() const { return mDescriptor; }

private:
    int mDescriptor;
};

class WbElfHandle final {
public:
    explicit WbElfHandle(int descriptor) : mElf(elf_begin(descriptor, ELF_C_READ, nullptr)) {}
    WbElfHandle(const WbElfHandle&) = delete;
    WbElfHandle& operator=(const WbElfHandle&) = delete;
    ~WbElfHandle() { elf_end(mElf); }
    Elf* Get() const { return mElf; }

private:
    Elf* mElf;
};

std::string LibelfReason() { return elf_errmsg(-1); }

// Whether count items of itemBytes each, from offset on, lie inside a file of fileBytes; no sum can wrap.
bool Inside(uint64_t offset, uint64_t count, uint64_t itemBytes, uint64_t fileBytes)
{
    if (offset > fileBytes)
        return false;
    if (itemBytes != 0 && count > (fileBytes - offset) / itemBytes)
        return false;
    return true;
}

std::string Span(uint64_t offset, uint64_t bytes)
{
    return "bytes " + std::to_string(offset) + " to " + std::to_string(offset + bytes);
}

// The first bytes tell a Windows module (an MZ header) from an ELF file and from anything else.
std::optional<std::string> ForeignKind(int descriptor, uint64_t fileBytes)
{
    if (fileBytes == 0)
        return "empty file, not a module";
    std::array<char, 4> magic{};
    const ssize_t got = ::pread(descriptor, magic.data(), magic.size(), 0);
    if (got >= 2 && magic[0] == 'M' && magic[1] == 'Z')
        return "a Windows module (PE), which this system cannot load";
    if (got < SELFMAG || std::memcmp(magic.data(), ELFMAG, SELFMAG) != 0)
        return "not a module: the file does not begin as an ELF file";
    return std::nullopt;
}

std::string HeaderDamage(Elf* elf, const GElf_Ehdr& header)
{
    if (gelf_getclass(elf) != kHostClass)
        return std::string("built as a ") + (gelf_getclass(elf) == ELFCLASS32 ? "32" : "64") +
               "-bit ELF file, which this system cannot load";
    if (header.e_machine != kHostMachine)
        return "built for another processor (ELF machine " + std::to_string(header.e_machine) + ")";
    if (header.e_type != ET_DYN)
        return "not a shared library (ELF type " + std::to_string(header.e_type) + ")";
    return {};
}

std::string SegmentDamage(Elf* elf, const GElf_Ehdr& header, uint64_t fileBytes)
{
    size_t segments = 0;
    if (elf_getphdrnum(elf, &segments) != 0)
        return "program header table unreadable (" + LibelfReason() + ")";
    if (segments == 0)
        return "no program headers: nothing to load";
    if (!Inside(header.e_phoff, segments, header.e_phentsize, fileBytes))
        return "cut short: program header table needs " +
               Span(header.e_phoff, uint64_t(segments) * header.e_phentsize) + ", the file has " +
               std::to_string(fileBytes);
    bool loadable = false;
    for (size_t index = 0; index < segments; ++index) {
        GElf_Phdr segment;
        if (!gelf_getphdr(elf, int(index), &segment))
            return "program header " + std::to_string(index) + " unreadable (" + LibelfReason() + ")";
        loadable = loadable || segment.p_type == PT_LOAD;
        if (!Inside(segment.p_offset, 1, segment.p_filesz, fileBytes))
            return "cut short: segment " + std::to_string(index) + " needs " +
                   Span(segment.p_offset, segment.p_filesz) + ", the file has " + std::to_string(fileBytes);
        if (segment.p_type == PT_LOAD && segment.p_filesz > segment.p_memsz)
            return "segment " + std::to_string(index) + " holds " + std::to_string(segment.p_filesz) +
                   " bytes of file in " + std::to_string(segment.p_memsz) + " bytes of memory";
    }
    return loadable ? std::string() : "no loadable segment";
}

std::string SectionDamage(Elf* elf, const GElf_Ehdr& header, uint64_t fileBytes)
{
    size_t sections = 0;
    if (elf_getshdrnum(elf, &sections) != 0)
        return "section table unreadable (" + LibelfReason() + ")";
    if (!Inside(header.e_shoff, sections, header.e_shentsize, fileBytes))
        return "cut short: section table needs " + Span(header.e_shoff, uint64_t(sections) * header.e_shentsize) +
               ", the file has " + std::to_string(fileBytes);
    for (Elf_Scn* section = elf_nextscn(elf, nullptr); section; section = elf_nextscn(elf, section)) {
        GElf_Shdr entry;
        if (!gelf_getshdr(section, &entry))
            return "section " + std::to_string(elf_ndxscn(section)) + " unreadable (" + LibelfReason() + ")";
        if (entry.sh_type != SHT_NOBITS && !Inside(entry.sh_offset, 1, entry.sh_size, fileBytes))
            return "cut short: section " + std::to_string(elf_ndxscn(section)) + " needs " +
                   Span(entry.sh_offset, entry.sh_size) + ", the file has " + std::to_string(fileBytes);
    }
    return {};
}

} // namespace

std::string WbModuleFileCheck::Damage(const std::string& path)
{
    const WbOpenFile file(path);
    if (file.Get() < 0)
        return std::string("cannot open (") + std::strerror(errno) + ")";
    struct stat status;
    if (::fstat(file.Get(), &status) != 0)
        return std::string("cannot read (") + std::strerror(errno) + ")";
    if (!S_ISREG(status.st_mode))
        return "not a regular file, not a module";
    const uint64_t fileBytes = uint64_t(status.st_size);
    if (std::optional<std::string> foreign = ForeignKind(file.Get(), fileBytes))
        return *foreign;

    elf_version(EV_CURRENT);
    const WbElfHandle elf(file.Get());
    GElf_Ehdr header;
    if (!elf.Get() || elf_kind(elf.Get()) != ELF_K_ELF || !gelf_getehdr(elf.Get(), &header))
        return "ELF header unreadable (" + LibelfReason() + ")";
    for (const std::string& damage : {HeaderDamage(elf.Get(), header), SegmentDamage(elf.Get(), header, fileBytes),
                                      SectionDamage(elf.Get(), header, fileBytes)})
        if (!damage.empty())
            return damage;
    return {};
}
