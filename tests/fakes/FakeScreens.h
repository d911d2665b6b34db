#pragma once

#include "platform/Screens.h"

class FakeScreens : public Screens {
public:
    QList<QRect> screens() const override { return list; }
    void change(const QList<QRect>& screens) {
        list = screens;
        notifyChanged();
    }

    QList<QRect> list{QRect(0, 0, 1920, 1080)};
};
