#pragma once

#include <QObject>

class Defaults;

// The tray icon's state: idle (protection off, or overlays withdrawn by the panic key), active
// (protection on, nothing locked) or locked (an overlay is up).
class MenuBarController : public QObject {
    Q_OBJECT
    Q_PROPERTY(IconState iconState READ iconState NOTIFY iconChanged)

public:
    enum class IconState { idle, active, locked };
    Q_ENUM(IconState)

    explicit MenuBarController(Defaults& defaults, QObject* parent = nullptr);

    // Called once at start-up: the icon starts active when protection is on, idle otherwise.
    void setup();
    // Redraws the icon from iconState; nothing before setup().
    void updateIcon();

    IconState iconState() const { return m_iconState; }
    void setIconState(IconState state) { m_iconState = state; }
    bool isSetUp() const { return m_isSetUp; }

signals:
    void iconChanged(IconState state);

private:
    Defaults& m_defaults;
    IconState m_iconState = IconState::idle;
    bool m_isSetUp = false;
};
