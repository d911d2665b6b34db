#pragma once

#include "ports/AppIconSource.h"

#include <QHash>

// Icons by desktop-file ID; any other ID has none.
class FakeAppIconSource : public AppIconSource {
public:
    QImage icon(const QString& desktopId, int pixelSize) override {
        requests.append(desktopId);
        const QImage image = icons.value(desktopId);
        return image.isNull() ? image : image.scaled(pixelSize, pixelSize);
    }

    QHash<QString, QImage> icons;
    QStringList requests;
};
