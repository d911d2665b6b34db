#include "model/ProtectedDrive.h"

#include "model/JsonFields.h"
#include "model/StoredDate.h"
#include "model/Uuid.h"

QJsonObject ProtectedDrive::toJson() const {
    QJsonObject object{
        {QStringLiteral("id"), Uuid::toStored(id)},
        {QStringLiteral("name"), name},
        {QStringLiteral("mountPoint"), mountPoint},
        {QStringLiteral("isEnabled"), isEnabled},
        {QStringLiteral("dateAdded"), StoredDate::toStored(dateAdded)},
    };
    if (volumeUUIDString)
        object.insert(QStringLiteral("volumeUUIDString"), *volumeUUIDString);
    if (keyHash)
        object.insert(QStringLiteral("keyHash"), *keyHash);
    if (previousKeyHash)
        object.insert(QStringLiteral("previousKeyHash"), *previousKeyHash);
    if (cannotHoldKey)
        object.insert(QStringLiteral("cannotHoldKey"), true);
    if (hardware)
        object.insert(QStringLiteral("hardware"), hardware->toJson());
    return object;
}

std::optional<ProtectedDrive> ProtectedDrive::fromJson(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto id = JsonFields::uuid(object, QStringLiteral("id"));
    const auto name = JsonFields::string(object, QStringLiteral("name"));
    const auto mountPoint = JsonFields::string(object, QStringLiteral("mountPoint"));
    const auto volumeUUIDString =
        JsonFields::optionalString(object, QStringLiteral("volumeUUIDString"));
    const auto isEnabled = JsonFields::boolean(object, QStringLiteral("isEnabled"));
    const auto dateAdded = JsonFields::number(object, QStringLiteral("dateAdded"));
    if (!id || !name || !mountPoint || !volumeUUIDString.ok || !isEnabled || !dateAdded)
        return std::nullopt;
    // Added later: absent in older files, which read exactly as before.
    const auto keyHash = JsonFields::optionalString(object, QStringLiteral("keyHash"));
    const auto previousKeyHash =
        JsonFields::optionalString(object, QStringLiteral("previousKeyHash"));
    const QJsonValue cannotHoldKey = object.value(QStringLiteral("cannotHoldKey"));
    const QJsonValue hardwareValue = object.value(QStringLiteral("hardware"));
    const auto hardware = HardwareIdentity::fromJson(hardwareValue);
    if (!keyHash.ok || !previousKeyHash.ok ||
        !(cannotHoldKey.isUndefined() || cannotHoldKey.isBool()) ||
        !(hardwareValue.isUndefined() || hardware))
        return std::nullopt;
    ProtectedDrive drive{*id,         *name,
                         *mountPoint, volumeUUIDString.value,
                         *isEnabled,  StoredDate::fromStored(*dateAdded)};
    drive.keyHash = keyHash.value;
    drive.previousKeyHash = previousKeyHash.value;
    drive.cannotHoldKey = cannotHoldKey.toBool(false);
    drive.hardware = hardware;
    return drive;
}
