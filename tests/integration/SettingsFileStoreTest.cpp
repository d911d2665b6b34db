#include "storage/SettingsFileStore.h"
#include "fakes/CapturingLogger.h"
#include "model/Defaults.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
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

    // Whatever stops the file or one of its values being read: one log line naming why, one
    // damage report (the desktop notification), a copy wherever the bytes could be read, and the
    // bytes themselves untouched; protection read from what could be read is kept.
    void unreadableSettingsAreReportedAndNeverOverwritten_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expectedLine");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<QString>("damageKey");
        const QString store = QStringLiteral("[Velmora] Settings file %1 ");
        QTest::newRow("mode 000") << QStringLiteral("mode000")
                                  << QStringLiteral("cannot be used: its permissions (000) forbid "
                                                    "reading or writing it; kept a copy at ")
                                  << true << Defaults::settingsFileKey();
        QTest::newRow("link to /etc/shadow")
            << QStringLiteral("shadow")
            << QStringLiteral("cannot be used: it is a symbolic link to a file that is not your "
                              "own; no copy could be made; running on defaults, without saving")
            << false << Defaults::settingsFileKey();
        QTest::newRow("link to a device")
            << QStringLiteral("device")
            << QStringLiteral("cannot be used: it is a symbolic link to something that is not a "
                              "regular file; no copy could be made; running on defaults, without "
                              "saving")
            << false << Defaults::settingsFileKey();
        QTest::newRow("4000 random bytes")
            << QStringLiteral("random") << QStringLiteral("is damaged; kept a copy at ") << true
            << Defaults::settingsFileKey();
        QTest::newRow("truncated JSON") << QStringLiteral("truncated")
                                        << QStringLiteral("[Velmora] Stored protectedApps could "
                                                          "not be read")
                                        << false << QStringLiteral("protectedApps");
    }

    void unreadableSettingsAreReportedAndNeverOverwritten() {
        QFETCH(QString, kind);
        QFETCH(QString, expectedLine);
        QFETCH(bool, copied);
        QFETCH(QString, damageKey);
        const QByteArray saved = "[General]\nhasCompletedOnboarding=true\n";
        QByteArray original = saved;
        if (kind == QLatin1String("mode000")) {
            writeFile(path, saved);
            QVERIFY(QFile::setPermissions(path, {}));
        } else if (kind == QLatin1String("shadow") || kind == QLatin1String("device")) {
            QDir().mkpath(QFileInfo(path).path());
            const QString target = kind == QLatin1String("shadow") ? QStringLiteral("/etc/shadow")
                                                                   : QStringLiteral("/dev/zero");
            if (!QFileInfo::exists(target))
                QSKIP("no target to link to");
            QVERIFY(QFile::link(target, path));
        } else if (kind == QLatin1String("random")) {
            QByteArray bytes(4000, '\0');
            for (char& byte : bytes)
                byte = char(QRandomGenerator::global()->generate() & 0xff);
            bytes[17] = '\0'; // never text, whatever the draw
            original = bytes;
            writeFile(path, bytes);
        } else {
            original = "[General]\nprotectedApps=\"[{\\\"path\\\":\\\"/usr/bin/galc\"\n";
            writeFile(path, original);
        }
        const QString dirPath = QFileInfo(path).path();
        const QString copyPattern = QFileInfo(path).fileName() + QStringLiteral(".damaged-*");

        QStringList damage;
        {
            SettingsFileStore store(path, logger);
            Defaults defaults(store, logger);
            defaults.setDamageHandler([&](const QString& key, int) { damage.append(key); });
            if (kind == QLatin1String("mode000")) // root reads it: what was saved still applies
                QCOMPARE(defaults.hasCompletedOnboarding(), ::getuid() == 0);
            defaults.protectedApps();
            defaults.protectedDrives();
            defaults.appSettings();
            defaults.protectedApps(); // read again at the next event: told once
        }
        QCOMPARE(logger.lines.size(), 1);
        const QString line = logger.lines.first();
        QVERIFY2(line.startsWith(QStringLiteral("[Velmora] Settings file ") + path + u' ' +
                                 expectedLine) ||
                     line == expectedLine,
                 qPrintable(line));
        QCOMPARE(damage, QStringList{damageKey});
        const QStringList copies = QDir(dirPath).entryList({copyPattern}, QDir::Files);
        QCOMPARE(copies.size(), copied ? 1 : 0);
        if (copied && kind != QLatin1String("mode000"))
            QCOMPARE(readFile(dirPath + u'/' + copies.first()), original);
        if (copied)
            QVERIFY(line.endsWith(dirPath + u'/' + copies.first()) ||
                    line.contains(dirPath + u'/' + copies.first() + u';'));
        // Nothing was saved over the file, nor through the link.
        if (kind == QLatin1String("shadow") || kind == QLatin1String("device")) {
            QVERIFY(QFileInfo(path).isSymLink());
        } else {
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
            QCOMPARE(readFile(path), original);
        }
        if (kind == QLatin1String("shadow")) {
            // A change by the user is never written through the link either.
            const QByteArray shadowBefore = readFile(QStringLiteral("/etc/shadow"));
            SettingsFileStore store(path, logger);
            store.setBoolean(QStringLiteral("hasCompletedOnboarding"), true);
            QCOMPARE(readFile(QStringLiteral("/etc/shadow")), shadowBefore);
            QVERIFY(QFileInfo(path).isSymLink());
        }
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
