#include "process/ProgramIdentityCache.h"

#include "process/ProgramIdentity.h"

#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Bounds the memory a stream of distinct programs can take.
constexpr qsizetype maximumIdentities = 4096;

} // namespace

void ProgramIdentityCache::setHashedSizes(QSet<off_t> sizes) {
    if (sizes == m_hashedSizes)
        return;
    m_hashedSizes = std::move(sizes);
    // Entries read without their hash may now need one.
    m_identities.clear();
}

QString ProgramIdentityCache::identityOf(int fd) {
    const std::optional<FileKey> key = FileKey::of(fd);
    if (!key)
        return {};
    const auto found = m_identities.constFind(*key);
    if (found != m_identities.constEnd())
        return *found;
    if (m_identities.size() >= maximumIdentities)
        m_identities.clear();
    const QString identity = ProgramIdentity::of(fd, key->size, m_hashedSizes.contains(key->size));
    m_identities.insert(*key, identity);
    return identity;
}

QString ProgramIdentityCache::identityOfProgram(pid_t pid) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/exe", static_cast<int>(pid));
    if (const auto key = FileKey::of(path)) {
        const auto found = m_identities.constFind(*key);
        if (found != m_identities.constEnd())
            return *found;
    }
    // Read through the open file, whose own key is what the answer is kept under: the process
    // may have executed another program since.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const QString identity = identityOf(fd);
    ::close(fd);
    return identity;
}

QString ProgramIdentityCache::identityOfPath(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    const QString identity = identityOf(fd);
    ::close(fd);
    return identity;
}
