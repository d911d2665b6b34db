#include "qt/QtStatusItem.h"

#include <QCursor>

bool QtStatusItem::isTrayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtStatusItem::show(const QIcon& icon, const QString& toolTip) {
    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>();
        // A StatusNotifierItem's Activate carries the click's position, which Qt drops; the
        // pointer is still there. Every button opens the panel: there is no menu.
        QObject::connect(m_tray.get(), &QSystemTrayIcon::activated, m_tray.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::DoubleClick)
                                 return;
                             notifyActivated(QCursor::pos());
                         });
    }
    m_tray->setIcon(icon);
    m_tray->setToolTip(toolTip);
    m_tray->show();
}

void QtStatusItem::setIcon(const QIcon& icon) {
    if (m_tray)
        m_tray->setIcon(icon);
}

void QtStatusItem::setToolTip(const QString& toolTip) {
    if (m_tray)
        m_tray->setToolTip(toolTip);
}

QRect QtStatusItem::geometry() const {
    return m_tray ? m_tray->geometry() : QRect();
}
