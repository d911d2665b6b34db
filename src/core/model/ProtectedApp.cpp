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
    // Written only when there are spares, so records without any keep their old form.
    QJsonArray spares;
    for (const QUuid& spare : spareDriveIDs)
        spares.append(Uuid::toStored(spare));
    if (requiredDriveID && !spares.isEmpty())
        object.insert(QStringLiteral("spareDriveIDs"), spares);
    return object;
}

QList<QUuid> ProtectedApp::requiredDriveIDs() const {
    QList<QUuid> ids;
    if (!requiredDriveID)
        return ids;
    ids.append(*requiredDriveID);
    for (const QUuid& spare : spareDriveIDs) {
        if (!ids.contains(spare))
            ids.append(spare);
    }
    return ids;
}

void ProtectedApp::setRequiredDriveIDs(const QList<QUuid>& ids) {
    spareDriveIDs.clear();
    requiredDriveID.reset();
    if (ids.isEmpty())
        return;
    requiredDriveID = ids.first();
    for (const QUuid& id : ids.mid(1)) {
        if (id != *requiredDriveID && !spareDriveIDs.contains(id))
            spareDriveIDs.append(id);
    }
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

// An entry that is not an identifier is one key fewer, never one more.
QList<QUuid> sparesOf(const QJsonObject& object) {
    QList<QUuid> spares;
    for (const QJsonValue& value : object.value(QStringLiteral("spareDriveIDs")).toArray()) {
        if (!value.isString())
            continue;
        if (const auto id = Uuid::fromStored(value.toString()))
            spares.append(*id);
    }
    return spares;
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
    ProtectedApp app{*id,
                     *bundleIdentifier,
                     *name,
                     *path,
                     *isEnabled,
                     requiredDriveID.value,
                     StoredDate::fromStored(*dateAdded),
                     programsOf(object)};
    // Spares without a first drive still require a drive: the first spare takes its place.
    QList<QUuid> drives = app.requiredDriveIDs();
    drives.append(sparesOf(object));
    app.setRequiredDriveIDs(drives);
    return app;
}
