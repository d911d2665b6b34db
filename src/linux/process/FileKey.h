#pragma once

#include <QHash>
#include <cstdint>
#include <optional>
#include <sys/types.h>

// One version of one file: the same (device, inode, size, modification time) is the same
// contents, so what was read from it once holds until any of them changes.
struct FileKey {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;

    bool operator==(const FileKey&) const = default;

    // The regular file the path names, following links; nullopt for anything else.
    static std::optional<FileKey> of(const char* path);
    static std::optional<FileKey> of(int fd);
};

inline size_t qHash(const FileKey& key, size_t seed) {
    return qHashMulti(seed, key.device, key.inode, key.size, key.modified);
}
