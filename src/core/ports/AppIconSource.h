#pragma once

#include <QImage>
#include <QString>

// Application icons by desktop-file ID (the bundle identifier of this program's records).
class AppIconSource {
public:
    virtual ~AppIconSource() = default;
    // The icon at about `pixelSize` square, or a null image when the application or its icon
    // cannot be found.
    virtual QImage icon(const QString& desktopId, int pixelSize) = 0;
};
