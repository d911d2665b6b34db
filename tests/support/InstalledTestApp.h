#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// The stand-in application installed under desktop entries in a data folder of its own, as the
// first folder of XDG_DATA_HOME would hold it.
class InstalledTestApp {
public:
    static QString mainId() { return QStringLiteral("org.velmora.TestApp"); }
    static QString program() { return QStringLiteral(VELMORA_TEST_APP); }

    InstalledTestApp();

    QString dataHome() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.filePath(relative); }
    // Writes applications/<id>.desktop with this Exec line.
    QString install(const QString& id, const QString& exec);
    // A shell script that starts the stand-in as its child and waits for it.
    QString writeLauncherScript(const QString& name);
    // An executable shell script with this body.
    QString writeScript(const QString& name, const QString& body);

private:
    QTemporaryDir m_dir;
};
