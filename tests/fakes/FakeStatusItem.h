#pragma once

#include "ports/StatusItem.h"

class FakeStatusItem : public StatusItem {
public:
    bool isTrayAvailable() const override { return trayAvailable; }
    void show(const QIcon& shownIcon, const QString& shownToolTip) override {
        shown = true;
        icon = shownIcon;
        toolTip = shownToolTip;
    }
    void setToolTip(const QString& newToolTip) override { toolTip = newToolTip; }
    void setIcon(const QIcon& newIcon) override {
        icon = newIcon;
        ++iconChanges;
    }
    QRect geometry() const override { return rect; }
    void click(QPoint pointer = {}) const { notifyActivated(pointer); }

    bool trayAvailable = true;
    bool shown = false;
    QIcon icon;
    QString toolTip;
    int iconChanges = 0;
    QRect rect;
};
