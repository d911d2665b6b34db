#pragma once

#include <QString>
#include <QUuid>
#include <optional>

// One volume the drive picker lists.
struct MountedVolumeInfo {
    // Fresh at every scan; only tells the entries of one list apart.
    QUuid id;
    QString name;
    QString path;
    // The same string the mount check compares; absent when the volume reports none.
    std::optional<QString> uuid;
    bool isRemovable = false;
    // Cannot be given a key: recognised by its UUID only.
    bool isReadOnly = false;

    bool operator==(const MountedVolumeInfo&) const = default;
};
