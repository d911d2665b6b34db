#include "storage/SettingsFileStore.h"
#include "fakes/CapturingLogger.h"
#include "model/Defaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

void writeFile(const QString& path, const QByteArray& contents) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SettingsFileStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    CapturingLogger logger;
    QString path;

private slots:
    void init() {
        logger.lines.clear();
        // QSettings caches files by path, so every case gets its own.
        path = dir.filePath(QStringLiteral("Tarnwick/Velmora-%1-%2.conf")
                                .arg(QString::fromLatin1(QTest::currentTestFunction()),
                                     QString::fromLatin1(QTest::currentDataTag())));
    }

    void defaultLocationFollowsXdgConfigHome() {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        QCOMPARE(SettingsFileStore::defaultFilePath(),
                 dir.filePath(QStringLiteral("Tarnwick/Velmora.conf")));
    }

    void valuesSurviveANewStoreAndTheFileIsPrivate() {
        {
            SettingsFileStore store(path, logger);
            QVERIFY(store.setBytes(QStringLiteral("protectedApps"),
                                   QByteArray(R"([{"path":"\/a b"}])")));
            QVERIFY(store.setBoolean(QStringLiteral("hasCompletedOnboarding"), true));
        }
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);
        SettingsFileStore store(path, logger);
        QCOMPARE(store.bytes(QStringLiteral("protectedApps")), QByteArray(R"([{"path":"\/a b"}])"));
        QCOMPARE(store.boolean(QStringLiteral("hasCompletedOnboarding")), true);
        QVERIFY(!store.bytes(QStringLiteral("protectedDrives")));
        QVERIFY(store.remove(QStringLiteral("protectedApps")));
        QVERIFY(!SettingsFileStore(path, logger).contains(QStringLiteral("protectedApps")));
        QVERIFY(logger.lines.isEmpty());
    }

    void handEditedFlagsReadAsUsersExpect_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("expected");
        QTest::newRow("true") << QByteArray("true") << true;
        QTest::newRow("YES") << QByteArray("YES") << true;
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("nonsense") << QByteArray("nonsense") << false;
        QTest::newRow("empty") << QByteArray("") << false;
    }

    void handEditedFlagsReadAsUsersExpect() {
        QFETCH(QByteArray, value);
        writeFile(path, "[General]\nhasCompletedOnboarding=" + value + "\n");
        SettingsFileStore store(path, logger);
        Defaults defaults(store, logger);
        QTEST(defaults.hasCompletedOnboarding(), "expected");
    }

    // A damaged file is read as far as possible; the original bytes are copied aside before
    // QSettings rewrites the file without the parts it could not parse.
    void damagedFileIsCopiedBeforeTheFirstWrite() {
        const char raw[] =
            "\x00\x01\xff garbage\n[General]\nhasCompletedOnboarding=true\n[broken\n";
        const QByteArray damaged(raw, sizeof(raw) - 1);
        writeFile(path, damaged);
        SettingsFileStore store(path, logger);
        Defaults defaults(store, logger);
        QVERIFY(defaults.hasCompletedOnboarding());
        QCOMPARE(logger.lines.size(), 1);
        QVERIFY(logger.lines.first().startsWith(QStringLiteral("[Velmora] Settings file ")));

        defaults.setAppSettings(AppSettings{});
        QCOMPARE(logger.lines.size(), 1); // the write itself succeeded
        const QStringList copies =
            QDir(QFileInfo(path).path())
                .entryList({QFileInfo(path).fileName() + QStringLiteral(".damaged-*")});
        QCOMPARE(copies.size(), 1);
        QCOMPARE(readFile(QFileInfo(path).path() + QLatin1Char('/') + copies.first()), damaged);
        QVERIFY(SettingsFileStore(path, logger).contains(QStringLiteral("appSettings")));

        // The same damage again, at the next start: the copy already made is the one kept.
        writeFile(path, damaged);
        SettingsFileStore again(path, logger);
        QCOMPARE(logger.lines.last(),
                 QStringLiteral("[Velmora] Settings file %1 is damaged; kept a copy at %2")
                     .arg(path, QFileInfo(path).path() + QLatin1Char('/') + copies.first()));
        QCOMPARE(QDir(QFileInfo(path).path())
                     .entryList({QFileInfo(path).fileName() + QStringLiteral(".damaged-*")})
                     .size(),
                 1);
    }

    // A folder, or a pipe that would block the reader, is left alone: defaults for this session.
    void pathThatIsNoFileIsLeftAlone_data() {
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("folder") << true;
        QTest::newRow("pipe") << false;
    }

    void pathThatIsNoFileIsLeftAlone() {
        QFETCH(bool, isFolder);
        QDir().mkpath(QFileInfo(path).path());
        QVERIFY(isFolder ? QDir().mkdir(path) : ::mkfifo(QFile::encodeName(path), 0644) == 0);
        const auto before = QFileInfo(path).permissions();
        SettingsFileStore store(path, logger);
        Defaults defaults(store, logger);
        QVERIFY(!defaults.hasCompletedOnboarding());
        defaults.setHasCompletedOnboarding(true);
        QVERIFY(defaults.hasCompletedOnboarding());
        QCOMPARE(logger.lines,
                 QStringList{QStringLiteral("[Velmora] Settings path %1 is not a regular file; "
                                            "running on defaults without saving")
                                 .arg(path)});
        QCOMPARE(QFileInfo(path).isDir(), isFolder);
        QCOMPARE(QFileInfo(path).permissions(), before);
    }

    void unwritableLocationIsReportedNotHidden() {
        // Not even root can create a folder inside a /proc file.
        SettingsFileStore store(QStringLiteral("/proc/version/Velmora.conf"), logger);
        QVERIFY(!store.setBoolean(QStringLiteral("hasCompletedOnboarding"), true));
        QCOMPARE(logger.lines.size(), 1);
        QVERIFY(logger.lines.first().startsWith(
            QStringLiteral("[Velmora] Could not save settings to ")));
    }
};

QTEST_GUILESS_MAIN(SettingsFileStoreTest)
#include "SettingsFileStoreTest.moc"
