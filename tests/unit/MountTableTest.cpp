#include "storage/MountTable.h"

#include <QtTest>

namespace {

MountTable::Entry entry(const QString& mountPoint, const QString& fsType,
                        const QString& root = QStringLiteral("/")) {
    return MountTable::Entry{8, 1, root, mountPoint, fsType, QStringLiteral("/dev/sdb1")};
}

} // namespace

class MountTableTest : public QObject {
    Q_OBJECT

private slots:
    void parsesFieldsAroundOptionalTags() {
        const QByteArray table = "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
                                 "45 27 7:0 / /media/me/My\\040Key\\134x rw,relatime shared:5 "
                                 "master:2 - vfat /dev/loop0 rw\n"
                                 "garbage line\n"
                                 "46 27 x:y / /bad rw - ext4 /dev/x rw\n"
                                 "\n";
        const QList<MountTable::Entry> entries = MountTable::parse(table);
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].major, 254u);
        QCOMPARE(entries[0].mountPoint, QStringLiteral("/"));
        QCOMPARE(entries[1].minor, 0u);
        QCOMPARE(entries[1].mountPoint, QStringLiteral("/media/me/My Key\\x"));
        QCOMPARE(entries[1].fsType, QStringLiteral("vfat"));
        QCOMPARE(entries[1].source, QStringLiteral("/dev/loop0"));
    }

    void unescapesOctalAndKeepsTheRest() {
        QCOMPARE(MountTable::unescape("a\\011b\\012c\\040d"), QStringLiteral("a\tb\nc d"));
        QCOMPARE(MountTable::unescape("trailing\\04"), QStringLiteral("trailing\\04"));
        QCOMPARE(MountTable::unescape("not\\9999octal"), QStringLiteral("not\\9999octal"));
        // Bytes that are not UTF-8 become U+FFFD instead of failing.
        QCOMPARE(MountTable::unescape("caf\\351"), QStringLiteral("caf") + QChar(0xFFFD));
        QCOMPARE(MountTable::unescape("\\303\\251t\\303\\251"), QStringLiteral("été"));
    }

    void hidesSystemAndPseudoFilesystems_data() {
        QTest::addColumn<QString>("mountPoint");
        QTest::addColumn<QString>("fsType");
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("root disk") << "/"
                                   << "ext4"
                                   << "/" << false;
        QTest::newRow("usb stick") << "/media/me/KEY"
                                   << "vfat"
                                   << "/" << false;
        QTest::newRow("udisks under /run/media") << "/run/media/me/KEY"
                                                 << "exfat"
                                                 << "/" << false;
        QTest::newRow("user tmpfs") << "/home/me/ram"
                                    << "tmpfs"
                                    << "/" << false;
        QTest::newRow("proc") << "/proc"
                              << "proc"
                              << "/" << true;
        QTest::newRow("tmpfs under /run") << "/run/user/1000"
                                          << "tmpfs"
                                          << "/" << true;
        QTest::newRow("system /tmp") << "/tmp"
                                     << "tmpfs"
                                     << "/" << true;
        QTest::newRow("overlay root") << "/"
                                      << "overlay"
                                      << "/" << true;
        QTest::newRow("snap") << "/snap/core/1"
                              << "squashfs"
                              << "/" << true;
        QTest::newRow("bind mount of a folder") << "/etc/hosts"
                                                << "ext4"
                                                << "/docker/hosts" << true;
        QTest::newRow("boot") << "/boot/efi"
                              << "vfat"
                              << "/" << true;
        QTest::newRow("cgroup") << "/sys/fs/cgroup"
                                << "cgroup2"
                                << "/" << true;
        QTest::newRow("gvfs") << "/home/me/.gvfs"
                              << "fuse.gvfsd-fuse"
                              << "/" << true;
    }

    void hidesSystemAndPseudoFilesystems() {
        QFETCH(QString, mountPoint);
        QFETCH(QString, fsType);
        QFETCH(QString, root);
        QTEST(MountTable::isHidden(entry(mountPoint, fsType, root)), "hidden");
    }
};

QTEST_GUILESS_MAIN(MountTableTest)
#include "MountTableTest.moc"
