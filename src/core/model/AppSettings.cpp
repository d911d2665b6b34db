#include "model/AppSettings.h"

#include <cmath>

namespace {

bool isAbsent(const QJsonValue& value) {
    return value.isUndefined() || value.isNull();
}

// Reads an optional boolean member into `field`; false when the member has the wrong type.
bool readBoolean(const QJsonObject& object, const char* key, bool& field) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (isAbsent(value))
        return true;
    if (!value.isBool())
        return false;
    field = value.toBool();
    return true;
}

bool readInteger(const QJsonObject& object, const char* key, std::int64_t& field) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (isAbsent(value))
        return true;
    if (!value.isDouble())
        return false;
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong) {
        field = variant.toLongLong();
        return true;
    }
    const double number = value.toDouble();
    if (std::trunc(number) != number || std::abs(number) > 9.2e18)
        return false;
    field = static_cast<std::int64_t>(number);
    return true;
}

// Unknown raw values keep the default; only a non-string fails.
bool readString(const QJsonObject& object, const char* key, std::optional<QString>& field) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (isAbsent(value))
        return true;
    if (!value.isString())
        return false;
    field = value.toString();
    return true;
}

} // namespace

QJsonObject AppSettings::toJson() const {
    return QJsonObject{
        {QStringLiteral("isProtectionEnabled"), isProtectionEnabled},
        {QStringLiteral("closeOnSleep"), closeOnSleep},
        {QStringLiteral("launchAtLogin"), launchAtLogin},
        {QStringLiteral("preventQuitWhenLocked"), preventQuitWhenLocked},
        {QStringLiteral("requirePasswordToQuit"), requirePasswordToQuit},
        {QStringLiteral("driveCheckIntervalSeconds"),
         static_cast<qint64>(driveCheckIntervalSeconds)},
        {QStringLiteral("driveDisconnectNotification"),
         DriveDisconnectNotificationModes::rawValue(driveDisconnectNotification)},
        {QStringLiteral("appLanguage"), AppLanguages::rawValue(appLanguage)},
    };
}

std::optional<AppSettings> AppSettings::fromJson(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    AppSettings settings;
    std::optional<QString> mode;
    std::optional<QString> language;
    const bool ok =
        readBoolean(object, "isProtectionEnabled", settings.isProtectionEnabled) &&
        readBoolean(object, "closeOnSleep", settings.closeOnSleep) &&
        readBoolean(object, "launchAtLogin", settings.launchAtLogin) &&
        readBoolean(object, "preventQuitWhenLocked", settings.preventQuitWhenLocked) &&
        readBoolean(object, "requirePasswordToQuit", settings.requirePasswordToQuit) &&
        readInteger(object, "driveCheckIntervalSeconds", settings.driveCheckIntervalSeconds) &&
        readString(object, "driveDisconnectNotification", mode) &&
        readString(object, "appLanguage", language);
    if (!ok)
        return std::nullopt;
    if (mode)
        settings.driveDisconnectNotification =
            DriveDisconnectNotificationModes::fromRawValue(*mode).value_or(
                DriveDisconnectNotificationMode::once);
    if (language)
        settings.appLanguage = AppLanguages::fromRawValue(*language).value_or(AppLanguage::system);
    return settings;
}
