#include "UserPolicy.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Bounds on what one user may make the gate hold.
constexpr qsizetype maximumApps = 512;
constexpr qsizetype maximumListLength = 64;

QJsonArray toArray(const QStringList& list) {
    return QJsonArray::fromStringList(list);
}

bool toList(const QJsonValue& value, QStringList& list) {
    if (!value.isArray() || value.toArray().size() > maximumListLength)
        return false;
    for (const QJsonValue& item : value.toArray()) {
        if (!item.isString())
            return false;
        list.append(item.toString());
    }
    return true;
}

bool appFromJson(const QJsonValue& value, GatedApp& app) {
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    if (!object.value(QLatin1String("appId")).isString())
        return false;
    app.appId = object.value(QLatin1String("appId")).toString();
    app.appName = object.value(QLatin1String("appName")).toString();
    return toList(object.value(QLatin1String("programPaths")), app.programPaths) &&
           toList(object.value(QLatin1String("programIdentities")), app.programIdentities) &&
           toList(object.value(QLatin1String("driveUuids")), app.driveUuids);
}

const GatedApp* findApp(const QList<GatedApp>& apps, const QString& appId) {
    for (const GatedApp& app : apps) {
        if (app.appId == appId)
            return &app;
    }
    return nullptr;
}

} // namespace

QList<GatedApp> UserPolicy::gatedApps() const {
    QList<GatedApp> gated;
    if (!protectionOn)
        return gated;
    for (const GatedApp& app : apps) {
        if (!app.driveUuids.isEmpty() &&
            (!app.programIdentities.isEmpty() || !app.programPaths.isEmpty()))
            gated.append(app);
    }
    return gated;
}

bool UserPolicy::isLoosenedBy(const UserPolicy& next) const {
    const QList<GatedApp> nextGated = next.gatedApps();
    for (const GatedApp& app : gatedApps()) {
        const GatedApp* kept = findApp(nextGated, app.appId);
        if (!kept || kept->driveUuids != app.driveUuids || kept->programPaths != app.programPaths ||
            kept->programIdentities != app.programIdentities)
            return true;
    }
    return false;
}

QByteArray UserPolicy::toJson() const {
    QJsonArray list;
    for (const GatedApp& app : apps) {
        list.append(
            QJsonObject{{QLatin1String("appId"), app.appId},
                        {QLatin1String("appName"), app.appName},
                        {QLatin1String("programPaths"), toArray(app.programPaths)},
                        {QLatin1String("programIdentities"), toArray(app.programIdentities)},
                        {QLatin1String("driveUuids"), toArray(app.driveUuids)}});
    }
    const QJsonObject root{{QLatin1String("protectionOn"), protectionOn},
                           {QLatin1String("requireAuthentication"), requireAuthentication},
                           {QLatin1String("apps"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

bool UserPolicy::fromJson(const QByteArray& json, UserPolicy& policy, QString& error) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        error = QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonObject root = document.object();
    const QJsonValue apps = root.value(QLatin1String("apps"));
    if (!root.value(QLatin1String("protectionOn")).isBool() || !apps.isArray() ||
        apps.toArray().size() > maximumApps) {
        error = QStringLiteral("missing or malformed fields");
        return false;
    }
    UserPolicy read;
    read.protectionOn = root.value(QLatin1String("protectionOn")).toBool();
    read.requireAuthentication = root.value(QLatin1String("requireAuthentication")).toBool();
    for (const QJsonValue& value : apps.toArray()) {
        GatedApp app;
        if (!appFromJson(value, app)) {
            error = QStringLiteral("malformed app");
            return false;
        }
        read.apps.append(app);
    }
    policy = read;
    return true;
}
