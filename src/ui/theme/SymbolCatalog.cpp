#include "theme/SymbolCatalog.h"

#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

namespace {

// Theme glyphs are paths below icons/Adwaita/scalable/; ours live in the program's resources.
const QString ownPrefix = QStringLiteral(":/velmora/symbols/");

const QList<std::pair<QString, QString>>& table() {
    static const QList<std::pair<QString, QString>> entries{
        {QStringLiteral("externaldrive"),
         QStringLiteral("devices/drive-removable-media-symbolic.svg")},
        {QStringLiteral("externaldrive.fill"),
         ownPrefix + QStringLiteral("externaldrive.fill.svg")},
        {QStringLiteral("externaldrive.badge.plus"),
         ownPrefix + QStringLiteral("externaldrive.badge.plus.svg")},
        {QStringLiteral("internaldrive"), QStringLiteral("devices/drive-harddisk-symbolic.svg")},
        {QStringLiteral("lock.fill"), QStringLiteral("status/changes-prevent-symbolic.svg")},
        {QStringLiteral("lock.open"), QStringLiteral("status/changes-allow-symbolic.svg")},
        {QStringLiteral("gearshape"), QStringLiteral("emblems/emblem-system-symbolic.svg")},
        {QStringLiteral("info.circle"), QStringLiteral("actions/help-about-symbolic.svg")},
        {QStringLiteral("power"), QStringLiteral("actions/system-shutdown-symbolic.svg")},
        {QStringLiteral("trash"), QStringLiteral("places/user-trash-symbolic.svg")},
        {QStringLiteral("plus"), QStringLiteral("actions/list-add-symbolic.svg")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("actions/system-search-symbolic.svg")},
        {QStringLiteral("checkmark.circle.fill"),
         QStringLiteral("emblems/emblem-default-symbolic.svg")},
        {QStringLiteral("circle"), ownPrefix + QStringLiteral("circle.svg")},
        {QStringLiteral("xmark.circle.fill"), ownPrefix + QStringLiteral("xmark.circle.fill.svg")},
        {QStringLiteral("exclamationmark.triangle.fill"),
         QStringLiteral("status/dialog-warning-symbolic.svg")},
        {QStringLiteral("app.badge.checkmark"),
         ownPrefix + QStringLiteral("app.badge.checkmark.svg")},
        {QStringLiteral("square.grid.2x2"), QStringLiteral("actions/view-grid-symbolic.svg")},
        {QStringLiteral("app.fill"), ownPrefix + QStringLiteral("app.fill.svg")},
    };
    return entries;
}

QString themeFile(const QString& relative) {
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                  QStringLiteral("icons/Adwaita/scalable/") + relative);
}

} // namespace

QStringList SymbolCatalog::names() {
    QStringList result;
    for (const auto& entry : table())
        result.append(entry.first);
    return result;
}

QString SymbolCatalog::filePath(const QString& name) {
    for (const auto& [symbol, file] : table()) {
        if (symbol != name)
            continue;
        return file.startsWith(u':') ? file : themeFile(file);
    }
    return {};
}
