#pragma once

#include "ports/AppIconSource.h"

#include <QStringList>

class Logger;

// Finds the desktop entry of an ID in the XDG applications folders and takes its Icon=: a file
// path as it stands, a name through the icon theme, then the legacy pixmaps folder.
class XdgAppIconSource : public AppIconSource {
public:
    explicit XdgAppIconSource(Logger& logger);
    // For tests: search these applications folders instead of the XDG ones.
    XdgAppIconSource(Logger& logger, QStringList applicationDirs);

    QImage icon(const QString& desktopId, int pixelSize) override;

private:
    QString desktopFile(const QString& desktopId) const;
    QImage iconByName(const QString& name, int pixelSize) const;

    Logger& m_logger;
    QStringList m_applicationDirs;
};
