#pragma once

#include <QQuickItem>

// Asks the compositor to blur what lies behind this item's window. KWin and compatible X11
// compositors honour _KDE_NET_WM_BLUR_BEHIND_REGION; elsewhere the request is a no-op and the
// backdrop stays a plain tint.
class WindowBlurBehind : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged)

public:
    explicit WindowBlurBehind(QQuickItem* parent = nullptr);

    bool isActive() const { return m_active; }
    void setActive(bool active);

signals:
    void activeChanged();

private:
    void apply();

    bool m_active = true;
};
