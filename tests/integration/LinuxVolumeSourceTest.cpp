#include "platform/linux/LinuxVolumeSource.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeScheduler.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "platform/linux/MountTable.h"
#include "services/DriveMonitorService.h"
#include "support/PrivateBus.h"
#include "support/TestMounts.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/sysmacros.h>

namespace {

std::optional<MountedVolume> volumeAt(LinuxVolumeSource& source, const QString& path) {
    const auto volumes = source.mountedVolumes();
    if (!volumes)
        return std::nullopt;
    for (const MountedVolume& volume : *volumes) {
        if (volume.mountPath == path)
            return volume;
    }
    return std::nullopt;
}

// dbusmock's AddObject takes the methods of the new object as a(ssss); ours have none.
struct MockMethod {
    QString name, inSignature, outSignature, code;
};

QDBusArgument& operator<<(QDBusArgument& argument, const MockMethod& method) {
    argument.beginStructure();
    argument << method.name << method.inSignature << method.outSignature << method.code;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MockMethod& method) {
    argument.beginStructure();
    argument >> method.name >> method.inSignature >> method.outSignature >> method.code;
    argument.endStructure();
    return argument;
}

// A disconnected bus: udisks2 is never there.
UDisksClient withoutUdisks() {
    return UDisksClient(QDBusConnection(QStringLiteral("nowhere")));
}

} // namespace

Q_DECLARE_METATYPE(MockMethod)

class LinuxVolumeSourceTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    CapturingLogger logger;

private slots:
    void init() {
        const QString reason = TestMounts::whyMountingIsNotPossible();
        const bool needsMounts =
            QByteArray(QTest::currentTestFunction()) != "unreadableMountTableMeansNoList" &&
            QByteArray(QTest::currentTestFunction()) != "udisksDescribesBlockDevicesWhenRunning";
        if (needsMounts && !reason.isEmpty())
            QSKIP(qPrintable(reason));
    }

    void labelledImagesAreVolumes_data() {
        QTest::addColumn<QString>("fsType");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("uuid");
        QTest::newRow("ext4") << "ext4"
                              << "Velmora Key"
                              << "1b4e28ba-2fa1-11d2-883f-0016d3cca427";
        QTest::newRow("vfat") << "vfat"
                              << "KEY2"
                              << "ABCD-1234";
    }

    void labelledImagesAreVolumes() {
        QFETCH(QString, fsType);
        QFETCH(QString, label);
        QFETCH(QString, uuid);
        const QString folder = dir.filePath(QTest::currentDataTag()) + QStringLiteral("/") +
                               QTest::currentDataTag() + QStringLiteral(" ") + label;
        TestMounts mounts;
        if (!mounts.mountImage(dir.filePath(fsType + QStringLiteral(".img")), fsType, label, uuid,
                               folder)) {
            if (mounts.lastError.contains(QStringLiteral("unknown filesystem type")))
                QSKIP(qPrintable(QStringLiteral("this kernel cannot mount ") + fsType));
            QFAIL(qPrintable(mounts.lastError));
        }

        LinuxVolumeSource source(logger, withoutUdisks());
        const auto volume = volumeAt(source, folder);
        QVERIFY(volume);
        QCOMPARE(volume->name, label);
        QCOMPARE(volume->localizedName, label);
        QCOMPARE(volume->uuid, uuid);
        QVERIFY(!volume->isInternal); // a disk image the user attached is not a system disk
        QVERIFY(!volume->isRemovable);
        QVERIFY(mounts.unmount(folder));
        QVERIFY(!volumeAt(source, folder));
    }

    void tmpfsIsNamedAfterItsFolder() {
        TestMounts mounts;
        const QString folder = dir.filePath(QStringLiteral("media/My Ram"));
        QVERIFY2(mounts.mountTmpfs(folder), qPrintable(mounts.lastError));
        LinuxVolumeSource source(logger, withoutUdisks());
        const auto volume = volumeAt(source, folder);
        QVERIFY(volume);
        QCOMPARE(volume->name, QStringLiteral("My Ram"));
        QCOMPARE(volume->uuid, QString());
        QVERIFY(!volume->isInternal);
    }

    // Registration takes the volume's facts; the mount check must then see the same UUID.
    void mountCheckFollowsRealMounts() {
        TestMounts mounts;
        const QString keyFolder = dir.filePath(QStringLiteral("check/Key"));
        const QString ramFolder = dir.filePath(QStringLiteral("check/Ram Key"));
        QVERIFY2(mounts.mountImage(dir.filePath(QStringLiteral("check.img")),
                                   QStringLiteral("ext4"), QStringLiteral("Key"),
                                   QStringLiteral("0e8d3f5c-9d2b-4a6e-8f1a-2b3c4d5e6f70"),
                                   keyFolder),
                 qPrintable(mounts.lastError));
        QVERIFY2(mounts.mountTmpfs(ramFolder), qPrintable(mounts.lastError));
        LinuxVolumeSource source(logger, withoutUdisks());
        const auto key = volumeAt(source, keyFolder);
        const auto ram = volumeAt(source, ramFolder);
        QVERIFY(key && ram);

        MemoryStore store;
        Defaults defaults(store, logger);
        ProtectedDrivesManager drives(defaults, logger);
        FakeScheduler scheduler;
        FakeNotifier notifier;
        DriveMonitorService monitor({scheduler, notifier, source, drives, defaults, logger});
        drives.addDrive(key->name, key->mountPath, key->uuid);
        drives.addDrive(ram->name, ram->mountPath, std::nullopt);
        QVERIFY(monitor.isDriveMounted(drives.drives().at(0)));
        QVERIFY(monitor.isDriveMounted(drives.drives().at(1)));
        QVERIFY(mounts.unmount(keyFolder));
        QVERIFY(mounts.unmount(ramFolder));
        QVERIFY(!monitor.isDriveMounted(drives.drives().at(0)));
        QVERIFY(!monitor.isDriveMounted(drives.drives().at(1)));
    }

    void unreadableMountTableMeansNoList() {
        LinuxVolumeSource source(logger, withoutUdisks(), dir.filePath(QStringLiteral("missing")));
        QVERIFY(!source.mountedVolumes());
        QVERIFY(logger.lines.last().startsWith(
            QStringLiteral("[Velmora] Cannot read the mount table")));
    }

    // udisks2's description of a block device wins over the kernel's when udisks2 runs.
    void udisksDescribesBlockDevicesWhenRunning() {
        std::optional<MountTable::Entry> disk;
        for (const MountTable::Entry& entry :
             MountTable::read().value_or(QList<MountTable::Entry>{})) {
            if (!MountTable::isHidden(entry) &&
                QFileInfo::exists(
                    QStringLiteral("/sys/dev/block/%1:%2").arg(entry.major).arg(entry.minor))) {
                disk = entry;
                break;
            }
        }
        if (!disk)
            QSKIP("no visible mount of a block device on this machine to describe");

        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        QVERIFY2(bus.startMock({QStringLiteral("--system"), QStringLiteral("-m"),
                                QStringLiteral("org.freedesktop.UDisks2"),
                                QStringLiteral("/org/freedesktop/UDisks2"),
                                QStringLiteral("org.freedesktop.UDisks2.Manager")},
                               QStringLiteral("org.freedesktop.UDisks2")),
                 qPrintable(bus.lastError));
        const QString drivePath = QStringLiteral("/org/freedesktop/UDisks2/drives/Mock_Stick");
        addObject(bus, drivePath, QStringLiteral("org.freedesktop.UDisks2.Drive"),
                  QVariantMap{{QStringLiteral("Removable"), true},
                              {QStringLiteral("ConnectionBus"), QStringLiteral("usb")}});
        addObject(bus, QStringLiteral("/org/freedesktop/UDisks2/block_devices/mock1"),
                  QStringLiteral("org.freedesktop.UDisks2.Block"),
                  QVariantMap{
                      {QStringLiteral("DeviceNumber"),
                       QVariant::fromValue<qulonglong>(makedev(disk->major, disk->minor))},
                      {QStringLiteral("IdUUID"), QStringLiteral("MOCK-UUID")},
                      {QStringLiteral("IdLabel"), QStringLiteral("Mock Label")},
                      {QStringLiteral("HintSystem"), false},
                      {QStringLiteral("HintIgnore"), false},
                      {QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath(drivePath))}});

        LinuxVolumeSource source(logger, UDisksClient(bus.connection()));
        const auto volume = volumeAt(source, disk->mountPoint);
        QVERIFY(volume);
        QCOMPARE(volume->uuid, QStringLiteral("MOCK-UUID"));
        QCOMPARE(volume->name, QStringLiteral("Mock Label"));
        QVERIFY(volume->isRemovable);
        QVERIFY(!volume->isInternal);
        QVERIFY(logger.lines.contains(QStringLiteral("[Velmora] Reading drives through udisks2")));
    }

private:
    static void addObject(PrivateBus& bus, const QString& path, const QString& interface,
                          const QVariantMap& properties) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.UDisks2"), QStringLiteral("/org/freedesktop/UDisks2"),
            QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddObject"));
        qDBusRegisterMetaType<MockMethod>();
        qDBusRegisterMetaType<QList<MockMethod>>();
        call << path << interface << properties << QVariant::fromValue(QList<MockMethod>{});
        const QDBusMessage reply = bus.connection().call(call);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }
};

QTEST_GUILESS_MAIN(LinuxVolumeSourceTest)
#include "LinuxVolumeSourceTest.moc"
