#include "xdg/XdgAppIconSource.h"

#include "model/LogName.h"
#include "ports/Logger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QTextStream>

namespace {

// The Icon= value of the [Desktop Entry] group, or empty.
QString iconValue(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inMainGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup || !line.startsWith(QStringLiteral("Icon")))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && line.left(equals).trimmed() == QStringLiteral("Icon"))
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

QImage scaled(const QIcon& icon, int pixelSize) {
    if (icon.isNull())
        return {};
    return icon.pixmap(QSize(pixelSize, pixelSize)).toImage();
}

} // namespace

XdgAppIconSource::XdgAppIconSource(Logger& logger)
    : XdgAppIconSource(logger,
                       QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {}

XdgAppIconSource::XdgAppIconSource(Logger& logger, QStringList applicationDirs)
    : m_logger(logger)
    , m_applicationDirs(std::move(applicationDirs)) {}

QImage XdgAppIconSource::icon(const QString& desktopId, int pixelSize) {
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return {};
    const QString path = desktopFile(desktopId);
    if (path.isEmpty())
        return {};
    const QString value = iconValue(path);
    if (value.isEmpty())
        return {};
    const QImage image = QDir::isAbsolutePath(value) ? scaled(QIcon(value), pixelSize)
                                                     : iconByName(value, pixelSize);
    if (image.isNull())
        m_logger.log(QStringLiteral("[Velmora] No icon \"%1\" found for %2")
                         .arg(logName(value), logName(desktopId)));
    return image;
}

// IDs of entries in subfolders have the folder joined with "-" ("kde-foo" is kde/foo.desktop).
QString XdgAppIconSource::desktopFile(const QString& desktopId) const {
    for (const QString& dir : m_applicationDirs) {
        QString relative = desktopId + QStringLiteral(".desktop");
        for (;;) {
            const QString candidate = dir + u'/' + relative;
            if (QFileInfo(candidate).isFile())
                return candidate;
            const qsizetype dash = relative.indexOf(u'-');
            if (dash < 0)
                break;
            relative[dash] = u'/';
        }
    }
    return {};
}

QImage XdgAppIconSource::iconByName(const QString& name, int pixelSize) const {
    const QImage themed = scaled(QIcon::fromTheme(name), pixelSize);
    if (!themed.isNull())
        return themed;
    for (const char* suffix : {".png", ".svg", ".xpm"}) {
        const QString path = QStringLiteral("/usr/share/pixmaps/") + name + QLatin1String(suffix);
        if (QFileInfo(path).isFile())
            return scaled(QIcon(path), pixelSize);
    }
    return {};
}
