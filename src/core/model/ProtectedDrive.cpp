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
    return ProtectedDrive{*id,         *name,
                          *mountPoint, volumeUUIDString.value,
                          *isEnabled,  StoredDate::fromStored(*dateAdded)};
}
