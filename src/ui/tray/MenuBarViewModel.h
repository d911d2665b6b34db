#pragma once

#include <QObject>
#include <functional>

class ProtectedAppsManager;
class ProtectedDrivesManager;

// What the tray panel shows and what its rows do. The switch keeps its own position, read from
// the settings when the panel is first made; the counts follow the stores.
class MenuBarViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isProtectionEnabled READ isProtectionEnabled NOTIFY protectionChanged)
    Q_PROPERTY(int protectedAppsCount READ protectedAppsCount NOTIFY countsChanged)
    Q_PROPERTY(int externalDrivesCount READ externalDrivesCount NOTIFY countsChanged)
    Q_PROPERTY(bool showsDrivesRow READ showsDrivesRow NOTIFY countsChanged)

public:
    struct Callbacks {
        std::function<void()> onToggleProtection;
        std::function<void()> onSettingsClicked;
        std::function<void()> onAboutClicked;
        std::function<void()> onQuitClicked;
    };

    MenuBarViewModel(const ProtectedAppsManager& apps, const ProtectedDrivesManager& drives,
                     bool isProtectionEnabled, Callbacks callbacks, QObject* parent = nullptr);

    bool isProtectionEnabled() const { return m_isProtectionEnabled; }
    // Enabled entries only.
    int protectedAppsCount() const;
    int externalDrivesCount() const;
    bool showsDrivesRow() const { return externalDrivesCount() > 0; }

    // The switch was flipped to `enabled`.
    Q_INVOKABLE void setProtectionEnabled(bool enabled);
    // The stored state after a flip, also when switching off was refused.
    void showProtection(bool enabled);
    Q_INVOKABLE void openSettings() { call(m_callbacks.onSettingsClicked); }
    Q_INVOKABLE void openAbout() { call(m_callbacks.onAboutClicked); }
    Q_INVOKABLE void quit() { call(m_callbacks.onQuitClicked); }

signals:
    void protectionChanged();
    void countsChanged();

private:
    static void call(const std::function<void()>& callback) {
        if (callback)
            callback();
    }

    const ProtectedAppsManager& m_apps;
    const ProtectedDrivesManager& m_drives;
    bool m_isProtectionEnabled;
    Callbacks m_callbacks;
};
