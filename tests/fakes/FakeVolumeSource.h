#pragma once

#include "ports/VolumeSource.h"

// Scripted volumes; `available = false` simulates a system that cannot list them.
class FakeVolumeSource : public VolumeSource {
public:
    std::optional<QList<MountedVolume>> mountedVolumes() override {
        ++queryCount;
        if (!available)
            return std::nullopt;
        return volumes;
    }

    void mount(const QString& name, const QString& uuid = {}, const QString& path = {}) {
        const QString mountPath = path.isEmpty() ? QStringLiteral("/media/user/") + name : path;
        volumes.append(MountedVolume{mountPath, name, name, true, false, uuid});
    }
    void unmountAll() { volumes.clear(); }

    QList<MountedVolume> volumes;
    bool available = true;
    int queryCount = 0;
};
