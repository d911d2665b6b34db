#pragma once

#include <QString>
#include <optional>

// How often a disconnected drive is notified: when first found missing, or at every poll.
enum class DriveDisconnectNotificationMode { once, repeated };

namespace DriveDisconnectNotificationModes {
QString rawValue(DriveDisconnectNotificationMode mode);
std::optional<DriveDisconnectNotificationMode> fromRawValue(const QString& rawValue);
} // namespace DriveDisconnectNotificationModes
