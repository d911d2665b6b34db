#pragma once

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

    bool operator==(const ProtectedDrive&) const = default;

    QJsonObject toJson() const;
    static std::optional<ProtectedDrive> fromJson(const QJsonValue& value);
};

Q_DECLARE_METATYPE(ProtectedDrive)
