#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

// One application whose use is tied to a registered drive.
struct ProtectedApp {
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(QString bundleIdentifier MEMBER bundleIdentifier)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(bool isEnabled MEMBER isEnabled)
    Q_PROPERTY(bool hasRequiredDrive READ hasRequiredDrive)
    Q_PROPERTY(QDateTime dateAdded MEMBER dateAdded)

public:
    QUuid id;
    QString bundleIdentifier;
    QString name;
    QString path;
    bool isEnabled = true;
    std::optional<QUuid> requiredDriveID;
    QDateTime dateAdded;
    // The identities of the application's program files, as last read; a copy of one under any
    // name is still this application.
    QStringList programs = {};
    // Further drives any one of which unlocks the app as well as the first; empty without one.
    QList<QUuid> spareDriveIDs = {};

    bool hasRequiredDrive() const { return requiredDriveID.has_value(); }
    // The first drive, then the spares, each once.
    QList<QUuid> requiredDriveIDs() const;
    // Sets the first drive and the spares from one list; an empty list requires none.
    void setRequiredDriveIDs(const QList<QUuid>& ids);
    bool operator==(const ProtectedApp&) const = default;

    QJsonObject toJson() const;
    // nullopt when a required member is missing or has the wrong JSON type.
    static std::optional<ProtectedApp> fromJson(const QJsonValue& value);
};

Q_DECLARE_METATYPE(ProtectedApp)
