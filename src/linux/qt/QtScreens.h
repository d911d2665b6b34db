#pragma once

#include "ports/Screens.h"

#include <QObject>

class QScreen;

// The screens Qt knows, primary first; tells of screens added, removed, moved or resized.
class QtScreens : public QObject, public Screens {
    Q_OBJECT

public:
    explicit QtScreens(QObject* parent = nullptr);

    QList<QRect> screens() const override;
    QList<QRect> availableAreas() const override;

private:
    void watch(QScreen* screen);
};
