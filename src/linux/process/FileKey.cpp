#include "process/FileKey.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

std::optional<FileKey> keyOf(int dirfd, const char* path, int flags) {
    struct statx info {};
    constexpr unsigned wanted = STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME;
    if (::statx(dirfd, path, flags | AT_STATX_DONT_SYNC, wanted, &info) != 0 ||
        (info.stx_mask & wanted) != wanted || !S_ISREG(info.stx_mode))
        return std::nullopt;
    return FileKey{static_cast<dev_t>(makedev(info.stx_dev_major, info.stx_dev_minor)),
                   static_cast<ino_t>(info.stx_ino), static_cast<off_t>(info.stx_size),
                   info.stx_mtime.tv_sec * 1'000'000'000LL + info.stx_mtime.tv_nsec};
}

} // namespace

std::optional<FileKey> FileKey::of(const char* path) {
    return keyOf(AT_FDCWD, path, 0);
}

std::optional<FileKey> FileKey::of(int fd) {
    return keyOf(fd, "", AT_EMPTY_PATH);
}
