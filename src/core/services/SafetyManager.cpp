#include "services/SafetyManager.h"

#include "ports/Logger.h"

SafetyManager::SafetyManager(HotKeysController& hotKeys, Logger& logger)
    : m_hotKeys(hotKeys)
    , m_logger(logger) {
    setupPanicKey();
}

KeyCombo SafetyManager::panicKeyCombo() {
    return KeyCombo(Key::u,
                    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier);
}

void SafetyManager::setupPanicKey() {
    m_panicHotKey = std::make_unique<HotKey>(m_hotKeys, panicKeyCombo());
    // Only the press matters. The hot key dies with the manager, so `this` outlives it.
    m_panicHotKey->keyDownHandler = [this] { triggerPanic(); };
}

void SafetyManager::triggerPanic() {
    m_logger.log(QStringLiteral("[Velmora Safety] Panic key activated — dismissing all overlays"));
    if (onPanicKeyPressed)
        onPanicKeyPressed();
}

const QSet<QString>& SafetyManager::systemBlacklist() {
    static const QSet<QString> identifiers{
        // The original identifiers, kept so stored lists from elsewhere behave the same.
        QStringLiteral("com.apple.Terminal"),
        QStringLiteral("com.apple.finder"),
        QStringLiteral("com.apple.ActivityMonitor"),
        QStringLiteral("com.apple.systempreferences"),
        QStringLiteral("com.apple.SystemSettings"),
        QStringLiteral("com.apple.System-Preferences"),
        QStringLiteral("com.apple.dt.Xcode"),
        QStringLiteral("com.googlecode.iterm2"),
        QStringLiteral("com.microsoft.VSCode"),
        QStringLiteral("com.microsoft.VSCodeInsiders"),
        QStringLiteral("com.sublimetext.4"),
        QStringLiteral("com.jetbrains.intellij"),
        QStringLiteral("com.tarnwick.Velmora"),
        // File managers.
        QStringLiteral("org.gnome.Nautilus"),
        QStringLiteral("nautilus"),
        QStringLiteral("org.kde.dolphin"),
        QStringLiteral("thunar"),
        QStringLiteral("Thunar"),
        QStringLiteral("org.xfce.thunar"),
        // Terminals.
        QStringLiteral("org.gnome.Terminal"),
        QStringLiteral("org.gnome.Console"),
        QStringLiteral("org.gnome.Ptyxis"),
        QStringLiteral("org.kde.konsole"),
        QStringLiteral("xfce4-terminal"),
        QStringLiteral("org.xfce.terminal"),
        QStringLiteral("debian-xterm"),
        QStringLiteral("debian-uxterm"),
        QStringLiteral("xterm"),
        // System monitors.
        QStringLiteral("org.gnome.SystemMonitor"),
        QStringLiteral("gnome-system-monitor"),
        QStringLiteral("org.kde.plasma-systemmonitor"),
        QStringLiteral("org.kde.ksysguard"),
        QStringLiteral("xfce4-taskmanager"),
        QStringLiteral("org.xfce.taskmanager"),
        // Settings.
        QStringLiteral("org.gnome.Settings"),
        QStringLiteral("gnome-control-center"),
        QStringLiteral("systemsettings"),
        QStringLiteral("kdesystemsettings"),
        QStringLiteral("org.kde.systemsettings"),
        QStringLiteral("xfce-settings-manager"),
        QStringLiteral("org.xfce.settings.manager"),
        // Editors and IDEs.
        QStringLiteral("code"),
        QStringLiteral("code-insiders"),
        QStringLiteral("com.visualstudio.code"),
        QStringLiteral("com.visualstudio.code-insiders"),
        QStringLiteral("sublime_text"),
        QStringLiteral("com.sublimetext.three"),
        QStringLiteral("jetbrains-idea"),
        QStringLiteral("jetbrains-idea-ce"),
        QStringLiteral("com.jetbrains.IntelliJ-IDEA-Community"),
        QStringLiteral("com.jetbrains.IntelliJ-IDEA-Ultimate"),
    };
    return identifiers;
}
