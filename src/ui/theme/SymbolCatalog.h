#pragma once

#include <QString>
#include <QStringList>

// The one mapping from the symbol names views use ("lock.fill", "trash", ...) to drawings: the
// symbolic glyphs of the Adwaita icon theme, and a few of our own where Adwaita has none.
class SymbolCatalog {
public:
    static QStringList names();
    // The SVG file for a symbol, or empty for an unknown name or a missing theme file.
    static QString filePath(const QString& name);
};
