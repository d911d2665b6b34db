#include "ProgramFacts.h"

#include "process/ProgramIdentity.h"

#include <cerrno>
#include <cstring>
#include <elf.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t maximumProgramHeaders = 256;

template <typename Header, typename ProgramHeader> bool hasInterpSegment(int fd) {
    Header header{};
    if (::pread(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
        header.e_phentsize != sizeof(ProgramHeader) || header.e_phnum > maximumProgramHeaders)
        return false;
    std::vector<ProgramHeader> segments(header.e_phnum);
    const auto length = static_cast<ssize_t>(segments.size() * sizeof(ProgramHeader));
    if (::pread(fd, segments.data(), length, static_cast<off_t>(header.e_phoff)) != length)
        return false;
    for (const ProgramHeader& segment : segments) {
        if (segment.p_type == PT_INTERP)
            return true;
    }
    return false;
}

} // namespace

ProgramFacts ProgramFacts::of(int fd, off_t size) {
    return {ProgramIdentity::of(fd, size, true), readsInterpreter(fd)};
}

bool ProgramFacts::readsInterpreter(int fd) {
    unsigned char ident[EI_NIDENT] = {};
    if (::pread(fd, ident, sizeof ident, 0) != EI_NIDENT ||
        std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return false;
    return ident[EI_CLASS] == ELFCLASS64 ? hasInterpSegment<Elf64_Ehdr, Elf64_Phdr>(fd)
                                         : hasInterpSegment<Elf32_Ehdr, Elf32_Phdr>(fd);
}
