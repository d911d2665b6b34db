#pragma once

#include "ports/StatusItem.h"

class FakeStatusItem : public StatusItem {
public:
    bool isTrayAvailable() const override { return trayAvailable; }
    void show(const QIcon& shownIcon, const QString& shownTitle) override {
        shown = true;
        icon = shownIcon;
        title = shownTitle;
    }
    void setIcon(const QIcon& newIcon) override {
        icon = newIcon;
        ++iconChanges;
    }
    QRect geometry() const override { return rect; }
    void click(QPoint pointer = {}) const { notifyActivated(pointer); }

    bool trayAvailable = true;
    bool shown = false;
    QIcon icon;
    QString title;
    int iconChanges = 0;
    QRect rect;
};
