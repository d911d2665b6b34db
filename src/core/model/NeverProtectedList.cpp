#include "model/NeverProtectedList.h"

const QSet<QString>& NeverProtectedList::identifiers() {
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

bool NeverProtectedList::contains(const QString& bundleIdentifier) {
    return identifiers().contains(bundleIdentifier);
}
