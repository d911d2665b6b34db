#include "model/ProtectedApp.h"

#include "model/JsonFields.h"
#include "model/StoredDate.h"
#include "model/Uuid.h"

#include <QJsonArray>

QJsonObject ProtectedApp::toJson() const {
    QJsonObject object{
        {QStringLiteral("id"), Uuid::toStored(id)},
        {QStringLiteral("bundleIdentifier"), bundleIdentifier},
        {QStringLiteral("name"), name},
        {QStringLiteral("path"), path},
        {QStringLiteral("isEnabled"), isEnabled},
        {QStringLiteral("dateAdded"), StoredDate::toStored(dateAdded)},
    };
    if (requiredDriveID)
        object.insert(QStringLiteral("requiredDriveID"), Uuid::toStored(*requiredDriveID));
    if (!programs.isEmpty())
        object.insert(QStringLiteral("programs"), QJsonArray::fromStringList(programs));
    return object;
}

namespace {

// Records written before programs were known have none; they get them at the next look.
QStringList programsOf(const QJsonObject& object) {
    QStringList programs;
    for (const QJsonValue& value : object.value(QStringLiteral("programs")).toArray()) {
        if (value.isString())
            programs.append(value.toString());
    }
    return programs;
}

} // namespace

std::optional<ProtectedApp> ProtectedApp::fromJson(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto id = JsonFields::uuid(object, QStringLiteral("id"));
    const auto bundleIdentifier = JsonFields::string(object, QStringLiteral("bundleIdentifier"));
    const auto name = JsonFields::string(object, QStringLiteral("name"));
    const auto path = JsonFields::string(object, QStringLiteral("path"));
    const auto isEnabled = JsonFields::boolean(object, QStringLiteral("isEnabled"));
    const auto dateAdded = JsonFields::number(object, QStringLiteral("dateAdded"));
    const auto requiredDriveID =
        JsonFields::optionalUuid(object, QStringLiteral("requiredDriveID"));
    if (!id || !bundleIdentifier || !name || !path || !isEnabled || !dateAdded ||
        !requiredDriveID.ok)
        return std::nullopt;
    return ProtectedApp{*id,
                        *bundleIdentifier,
                        *name,
                        *path,
                        *isEnabled,
                        requiredDriveID.value,
                        StoredDate::fromStored(*dateAdded),
                        programsOf(object)};
}
