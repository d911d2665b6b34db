#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A temporary pair of XDG data folders ("home" first, then "system") to write desktop entries in.
struct DesktopEntryTree {
    QTemporaryDir root;

    QString home() const { return root.path() + QStringLiteral("/home"); }
    QString system() const { return root.path() + QStringLiteral("/system"); }
    QStringList dataDirs() const { return {home(), system()}; }

    // Writes <dataDir>/applications/<relative> with these lines after "[Desktop Entry]".
    void write(const QString& dataDir, const QString& relative, const QString& lines,
               const QByteArray& header = "[Desktop Entry]\n") const {
        const QString path = dataDir + QStringLiteral("/applications/") + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(header + lines.toUtf8() + '\n');
    }
    void app(const QString& dataDir, const QString& id, const QString& name,
             const QString& extra = {}) const {
        write(dataDir, id + QStringLiteral(".desktop"),
              QStringLiteral("Type=Application\nExec=true\nName=") + name + u'\n' + extra);
    }
};
