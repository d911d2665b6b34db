#pragma once

#include "ports/StatusItem.h"

#include <QSystemTrayIcon>
#include <memory>

// The tray icon through Qt: a StatusNotifierItem on the session bus where a watcher runs,
// otherwise the X11 system tray. The icon is made when first shown.
class QtStatusItem : public StatusItem {
public:
    bool isTrayAvailable() const override;
    void show(const QIcon& icon, const QString& toolTip) override;
    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& toolTip) override;
    QRect geometry() const override;

private:
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
