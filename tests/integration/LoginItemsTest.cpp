#include "fakes/CapturingLogger.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "services/LoginItemService.h"
#include "xdg/XdgAutostartLoginItems.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A user and a system configuration folder in a temporary tree.
struct Tree {
    QTemporaryDir root;
    QString home = root.path() + QStringLiteral("/home");
    QString system = root.path() + QStringLiteral("/etc/xdg");
    QString program = root.path() + QStringLiteral("/opt/My \"Apps\"/velmora$1 50%");
    XdgAutostartLoginItems items{program, home, {system}};
    MemoryStore store;
    CapturingLogger logger;
    Defaults defaults{store, logger};
    LoginItemService service{items, defaults, logger};
};

} // namespace

class LoginItemsTest : public QObject {
    Q_OBJECT

private slots:
    void entryIsWrittenAndRemoved() {
        Tree tree;
        tree.service.updateLaunchAtLogin(true);
        QCOMPARE(tree.logger.lines,
                 QStringList{QStringLiteral("[Velmora] Login item registered successfully")});
        const QString entry = read(tree.items.userEntryPath());
        QVERIFY(tree.items.userEntryPath().endsWith(
            QStringLiteral("/home/autostart/com.tarnwick.Velmora.desktop")));
        QVERIFY(entry.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\n")));
        QVERIFY(entry.contains(QStringLiteral("\nX-GNOME-Autostart-enabled=true\n")));
        // Quoted, with ", $ and \ escaped and % doubled.
        QVERIFY2(entry.contains(QStringLiteral("\nExec=\"") + tree.root.path() +
                                QStringLiteral("/opt/My \\\\\"Apps\\\\\"/velmora\\\\$1 50%%\"\n")),
                 qPrintable(entry));
        // Once the program is gone, the session skips the entry.
        QVERIFY2(entry.contains(QStringLiteral("\nTryExec=") + tree.root.path() +
                                QStringLiteral("/opt/My \"Apps\"/velmora$1 50%\n")),
                 qPrintable(entry));

        tree.service.updateLaunchAtLogin(false);
        QVERIFY(!QFile::exists(tree.items.userEntryPath()));
        QCOMPARE(tree.logger.lines.last(),
                 QStringLiteral("[Velmora] Login item unregistered successfully"));
        // Nothing to remove is no failure.
        tree.service.updateLaunchAtLogin(false);
        QCOMPARE(tree.logger.lines.size(), 3);
    }

    void systemEntryIsHiddenBehindAUserEntry() {
        Tree tree;
        QVERIFY(QDir().mkpath(tree.system + QStringLiteral("/autostart")));
        QFile system(tree.system + QStringLiteral("/autostart/com.tarnwick.Velmora.desktop"));
        QVERIFY(system.open(QIODevice::WriteOnly));
        system.write("[Desktop Entry]\nType=Application\nExec=velmora\n");
        system.close();

        tree.service.updateLaunchAtLogin(false);
        QVERIFY(read(tree.items.userEntryPath()).contains(QStringLiteral("\nHidden=true\n")));
        tree.service.updateLaunchAtLogin(true);
        const QString entry = read(tree.items.userEntryPath());
        QVERIFY(!entry.contains(QStringLiteral("Hidden")));
        QVERIFY(entry.contains(QStringLiteral("X-GNOME-Autostart-enabled=true")));
    }

    void failuresAreLoggedWithTheirReasonAndTheChoiceIsKept() {
        Tree tree;
        // A file where the autostart folder should be.
        QVERIFY(QDir().mkpath(tree.home));
        QFile blocker(tree.home + QStringLiteral("/autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        tree.service.updateLaunchAtLogin(true);
        QVERIFY2(tree.logger.lines.last().startsWith(
                     QStringLiteral("[Velmora] Failed to update login item: Could not create")),
                 qPrintable(tree.logger.lines.last()));

        // A folder in the entry's place (tests run as root, who may write anywhere, so no
        // permission trick); onboarding's routine saves the choice and logs its own line.
        QVERIFY(blocker.remove());
        QVERIFY(QDir().mkpath(tree.items.userEntryPath()));
        tree.service.saveLaunchAtLogin(true);
        QVERIFY(tree.defaults.appSettings().launchAtLogin);
        QVERIFY2(tree.logger.lines.last().startsWith(
                     QStringLiteral("[Velmora] Failed to set login item: Could not write ")),
                 qPrintable(tree.logger.lines.last()));
        QVERIFY(QFileInfo(tree.items.userEntryPath()).isDir());
    }
};

QTEST_GUILESS_MAIN(LoginItemsTest)
#include "LoginItemsTest.moc"
