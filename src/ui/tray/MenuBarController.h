#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>

class AboutViewModel;
class Defaults;
class DesktopAppearance;
class LanguageManager;
class Logger;
class LooseningGuard;
class MenuBarPanel;
class MenuBarViewModel;
class MenuBarWindows;
class OverlayWindowService;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class QScreen;
class ReusableWindow;
class StatusItem;

// The tray icon, its panel and the About window. The icon shows idle (protection off), active
// (protection on, nothing locked) or locked (an overlay is up); it is worked out from those two
// facts every time, so no path that withdraws the overlays can leave it saying the wrong thing.
class MenuBarController : public QObject {
    Q_OBJECT
    Q_PROPERTY(IconState iconState READ iconState NOTIFY iconChanged)

public:
    enum class IconState { idle, active, locked };
    Q_ENUM(IconState)

    struct Dependencies {
        Defaults& defaults;
        const ProtectedAppsManager& apps;
        const ProtectedDrivesManager& drives;
        LooseningGuard& guard;
        OverlayWindowService& overlays;
        StatusItem& statusItem;
        MenuBarWindows& windows;
        DesktopAppearance& appearance;
        const LanguageManager& language;
        Logger& logger;
        QString version;
    };

    explicit MenuBarController(Dependencies dependencies, QObject* parent = nullptr);
    ~MenuBarController() override;

    // Called once at start-up: shows the tray icon, then keeps it and its tooltip in step with the
    // protection setting, the overlays, the desktop's colours and the language.
    void setup();
    // Works the state out again and redraws the icon; nothing before setup().
    void updateIcon();

    IconState iconState() const { return m_iconState; }
    bool isSetUp() const { return m_isSetUp; }

    // A click on the tray icon: closes the panel when it is open, else opens it next to the icon
    // (or next to `pointer` when the tray does not say where the icon is).
    void togglePopover(QPoint pointer);
    // The panel's switch: inverts the stored setting; switching off withdraws every overlay, once
    // the guard allows it.
    void toggleProtection();
    void showAboutWindow();

    // The panel's Quit row; the delegate sends it through quit protection.
    std::function<void()> onQuitRequested;

    // Made on first use; null before.
    MenuBarViewModel* panelModel() const { return m_panelModel.get(); }
    AboutViewModel* aboutModel() const { return m_aboutModel.get(); }

signals:
    void iconChanged(IconState state);
    // "Settings..." in the panel: open the settings window on this screen (null when unknown).
    void openSettingsRequested(QScreen* screen);

private:
    IconState currentState() const;
    QIcon currentIcon() const;
    QString toolTip() const;
    MenuBarPanel& panel();
    void closePanel();
    void setProtectionEnabled(bool enabled);

    Dependencies m_deps;
    IconState m_iconState = IconState::idle;
    bool m_isSetUp = false;
    std::unique_ptr<MenuBarViewModel> m_panelModel;
    std::unique_ptr<MenuBarPanel> m_panel;
    std::unique_ptr<AboutViewModel> m_aboutModel;
    std::unique_ptr<ReusableWindow> m_aboutWindow;
};
