#include "process/ProgramIdentityCache.h"

#include "process/ProgramIdentity.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
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
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    const Key key{info.st_dev, info.st_ino, info.st_size,
                  info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
    const auto found = m_identities.constFind(key);
    if (found != m_identities.constEnd())
        return *found;
    if (m_identities.size() >= maximumIdentities)
        m_identities.clear();
    const QString identity =
        ProgramIdentity::of(fd, info.st_size, m_hashedSizes.contains(info.st_size));
    m_identities.insert(key, identity);
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
