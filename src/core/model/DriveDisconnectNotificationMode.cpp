#include "model/DriveDisconnectNotificationMode.h"

namespace DriveDisconnectNotificationModes {

QString rawValue(DriveDisconnectNotificationMode mode) {
    return mode == DriveDisconnectNotificationMode::repeated ? QStringLiteral("repeated")
                                                             : QStringLiteral("once");
}

std::optional<DriveDisconnectNotificationMode> fromRawValue(const QString& value) {
    if (value == QLatin1String("once"))
        return DriveDisconnectNotificationMode::once;
    if (value == QLatin1String("repeated"))
        return DriveDisconnectNotificationMode::repeated;
    return std::nullopt;
}

} // namespace DriveDisconnectNotificationModes
