#pragma once

#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>

// The program's icon in the desktop's system tray.
class StatusItem {
public:
    virtual ~StatusItem() = default;

    // Whether the desktop shows tray icons at all.
    virtual bool isTrayAvailable() const = 0;
    // The tooltip says the program's name and state.
    virtual void show(const QIcon& icon, const QString& toolTip) = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& toolTip) = 0;
    // Where the icon sits on the screen, when the tray tells; empty otherwise.
    virtual QRect geometry() const = 0;

    // The user clicked the icon; the pointer's position at that moment.
    void setActivationHandler(std::function<void(QPoint)> handler) {
        m_activated = std::move(handler);
    }

protected:
    void notifyActivated(QPoint pointer) const {
        if (m_activated)
            m_activated(pointer);
    }

private:
    std::function<void(QPoint)> m_activated;
};
