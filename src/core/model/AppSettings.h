#pragma once

#include "model/AppLanguage.h"
#include "model/DriveDisconnectNotificationMode.h"

#include <QJsonObject>
#include <cstdint>
#include <optional>

// The user's settings. Read afresh from Defaults whenever needed; never cached.
struct AppSettings {
    bool isProtectionEnabled = true;
    // Stored and read back; nothing acts on it.
    bool closeOnSleep = true;
    bool launchAtLogin = false;
    bool preventQuitWhenLocked = false;
    bool requirePasswordToQuit = false;
    std::int64_t driveCheckIntervalSeconds = 5;
    DriveDisconnectNotificationMode driveDisconnectNotification =
        DriveDisconnectNotificationMode::once;
    AppLanguage appLanguage = AppLanguage::system;

    QJsonObject toJson() const;
    // Tolerant read: missing or null members and unknown enumeration values take their defaults;
    // a member of the wrong JSON type fails the whole read (nullopt).
    static std::optional<AppSettings> fromJson(const QJsonValue& value);
};
