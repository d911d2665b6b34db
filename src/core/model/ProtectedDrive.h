#pragma once

#include "model/HardwareIdentity.h"

#include <QDateTime>
#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <QUuid>
#include <optional>

// One external volume the user registered.
struct ProtectedDrive {
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString mountPoint MEMBER mountPoint)
    Q_PROPERTY(bool isEnabled MEMBER isEnabled)
    Q_PROPERTY(QDateTime dateAdded MEMBER dateAdded)

public:
    QUuid id;
    QString name;
    QString mountPoint;
    // When present it alone decides whether the drive is mounted.
    std::optional<QString> volumeUUIDString;
    bool isEnabled = true;
    QDateTime dateAdded;
    // The keyed hash of the secret the drive carries; absent until one was written to it.
    std::optional<QString> keyHash = std::nullopt;
    // The hash before the last change of secret, accepted until the drive is known to carry the
    // new one, so a change cut short by a crash does not lock the owner out.
    std::optional<QString> previousKeyHash = std::nullopt;
    // A read-only volume: recognised by its UUID alone.
    bool cannotHoldKey = false;
    // What the device said of itself when it was first accepted.
    std::optional<HardwareIdentity> hardware = std::nullopt;

    bool operator==(const ProtectedDrive&) const = default;

    QJsonObject toJson() const;
    static std::optional<ProtectedDrive> fromJson(const QJsonValue& value);
};

Q_DECLARE_METATYPE(ProtectedDrive)
