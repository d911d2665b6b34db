#include "process/ProgramIdentity.h"

#include <QCryptographicHash>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <elf.h>
#include <unistd.h>
#include <vector>

namespace {

// Headers and notes beyond these sizes are not a real program's.
constexpr std::size_t maximumProgramHeaders = 256;
constexpr std::size_t maximumNoteSize = 64 * 1024;
constexpr std::uint32_t gnuBuildIdNote = 3;

bool readAt(int fd, void* buffer, std::size_t length, off_t offset) {
    auto* bytes = static_cast<char*>(buffer);
    while (length > 0) {
        const ssize_t got = ::pread(fd, bytes, length, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        length -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

QByteArray buildIdInNotes(const QByteArray& notes) {
    qsizetype offset = 0;
    while (offset + static_cast<qsizetype>(sizeof(Elf64_Nhdr)) <= notes.size()) {
        Elf64_Nhdr header{};
        std::memcpy(&header, notes.constData() + offset, sizeof header);
        offset += sizeof header;
        const qsizetype nameSize = (header.n_namesz + 3) & ~3u;
        const qsizetype descSize = (header.n_descsz + 3) & ~3u;
        if (nameSize > notes.size() - offset || descSize > notes.size() - offset - nameSize)
            return {};
        const QByteArray name = notes.mid(offset, header.n_namesz);
        if (header.n_type == gnuBuildIdNote && name == QByteArray("GNU", 4) && header.n_descsz > 0)
            return notes.mid(offset + nameSize, header.n_descsz).toHex();
        offset += nameSize + descSize;
    }
    return {};
}

// The note segments of an ELF file of either class, as (offset, size) pairs.
template <typename Header, typename ProgramHeader>
std::vector<std::pair<off_t, std::size_t>> noteSegments(int fd, off_t size) {
    Header header{};
    if (!readAt(fd, &header, sizeof header, 0) || header.e_phentsize != sizeof(ProgramHeader) ||
        header.e_phnum > maximumProgramHeaders)
        return {};
    std::vector<ProgramHeader> programHeaders(header.e_phnum);
    if (!readAt(fd, programHeaders.data(), programHeaders.size() * sizeof(ProgramHeader),
                static_cast<off_t>(header.e_phoff)))
        return {};
    std::vector<std::pair<off_t, std::size_t>> notes;
    for (const ProgramHeader& segment : programHeaders) {
        if (segment.p_type != PT_NOTE || segment.p_filesz > maximumNoteSize ||
            static_cast<off_t>(segment.p_offset + segment.p_filesz) > size)
            continue;
        notes.emplace_back(static_cast<off_t>(segment.p_offset),
                           static_cast<std::size_t>(segment.p_filesz));
    }
    return notes;
}

QByteArray sha256(int fd) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    char buffer[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {};
        if (got == 0)
            break;
        hash.addData(QByteArrayView(buffer, got));
        offset += got;
    }
    return hash.result().toHex();
}

} // namespace

QString ProgramIdentity::of(int fd, off_t size, bool hashContents) {
    const QByteArray id = buildId(fd, size);
    if (!id.isEmpty())
        return QStringLiteral("build-id:") + QString::fromLatin1(id);
    if (!hashContents)
        return QStringLiteral("size:%1").arg(size);
    const QByteArray digest = sha256(fd);
    if (digest.isEmpty())
        return {};
    return QStringLiteral("sha256:%1:%2").arg(size).arg(QString::fromLatin1(digest));
}

off_t ProgramIdentity::hashedSize(const QString& identity) {
    const QStringList parts = identity.split(QLatin1Char(':'));
    if (parts.size() != 3 || parts.first() != QLatin1String("sha256"))
        return -1;
    bool ok = false;
    const off_t size = parts.at(1).toLongLong(&ok);
    return ok ? size : -1;
}

QByteArray ProgramIdentity::buildId(int fd, off_t size) {
    unsigned char ident[EI_NIDENT] = {};
    if (size < static_cast<off_t>(sizeof(Elf64_Ehdr)) || !readAt(fd, ident, sizeof ident, 0) ||
        std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return {};
    const auto segments = ident[EI_CLASS] == ELFCLASS64
                              ? noteSegments<Elf64_Ehdr, Elf64_Phdr>(fd, size)
                              : noteSegments<Elf32_Ehdr, Elf32_Phdr>(fd, size);
    for (const auto& [offset, length] : segments) {
        QByteArray notes(static_cast<qsizetype>(length), Qt::Uninitialized);
        if (!readAt(fd, notes.data(), length, offset))
            continue;
        const QByteArray id = buildIdInNotes(notes);
        if (!id.isEmpty())
            return id;
    }
    return {};
}
