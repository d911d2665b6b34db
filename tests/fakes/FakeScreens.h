#pragma once

#include "ports/Screens.h"

class FakeScreens : public Screens {
public:
    QList<QRect> screens() const override { return list; }
    QList<QRect> availableAreas() const override { return available.isEmpty() ? list : available; }
    void change(const QList<QRect>& screens) {
        list = screens;
        notifyChanged();
    }

    QList<QRect> list{QRect(0, 0, 1920, 1080)};
    // Empty: the whole of each screen.
    QList<QRect> available;
};
