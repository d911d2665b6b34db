#include "storage/LinuxVolumeSource.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeScheduler.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "pickers/VolumeDiscovery.h"
#include "services/DriveMonitorService.h"
#include "storage/MountTable.h"
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
QDBusConnection withoutUdisks() {
    return QDBusConnection(QStringLiteral("nowhere"));
}

// A visible mount of a real block device, for udisks2 stand-ins to describe.
std::optional<MountTable::Entry> blockDeviceMount() {
    for (const MountTable::Entry& entry : MountTable::read().value_or(QList<MountTable::Entry>{})) {
        if (!MountTable::isHidden(entry) &&
            QFileInfo::exists(
                QStringLiteral("/sys/dev/block/%1:%2").arg(entry.major).arg(entry.minor)))
            return entry;
    }
    return std::nullopt;
}

const QString udisksService = QStringLiteral("org.freedesktop.UDisks2");
const QString udisksRoot = QStringLiteral("/org/freedesktop/UDisks2");
const QString drivePath = QStringLiteral("/org/freedesktop/UDisks2/drives/Mock_Stick");
const QString blockPath = QStringLiteral("/org/freedesktop/UDisks2/block_devices/mock1");

} // namespace

Q_DECLARE_METATYPE(MockMethod)

class LinuxVolumeSourceTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    CapturingLogger logger;

private slots:
    void init() {
        logger.lines.clear();
        const QString reason = TestMounts::whyMountingIsNotPossible();
        const bool needsMounts =
            QByteArray(QTest::currentTestFunction()) != "unreadableMountTableMeansNoList" &&
            !QByteArray(QTest::currentTestFunction()).toLower().contains("udisks");
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
        QVERIFY(volume->isVirtual);
    }

    // The drive picker offers the disk image, never a memory filesystem, the system or home.
    void pickerOffersOnlyRealDrives() {
        TestMounts mounts;
        const QString imageFolder = dir.filePath(QStringLiteral("offer/VELKEY"));
        const QString ramFolder = dir.filePath(QStringLiteral("offer/python"));
        QVERIFY2(mounts.mountImage(dir.filePath(QStringLiteral("offer.img")),
                                   QStringLiteral("ext4"), QStringLiteral("VELKEY"),
                                   QStringLiteral("5a1e0c3e-7d4b-4c1a-9e2f-3b4c5d6e7f80"),
                                   imageFolder),
                 qPrintable(mounts.lastError));
        QVERIFY2(mounts.mountTmpfs(ramFolder), qPrintable(mounts.lastError));
        LinuxVolumeSource source(logger, withoutUdisks());
        const auto offered = VolumeDiscovery::scanVolumes(source);
        QVERIFY(offered);
        QStringList paths;
        for (const MountedVolumeInfo& volume : *offered)
            paths.append(volume.path);
        QVERIFY2(paths.contains(imageFolder), qPrintable(paths.join(u',')));
        QVERIFY(!paths.contains(ramFolder));
        QVERIFY(!paths.contains(QStringLiteral("/")));
        QVERIFY(!paths.contains(QDir::homePath()));
        // Still a mounted volume for the mount check.
        QVERIFY(volumeAt(source, ramFolder));
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

    // udisks2's description of a block device wins over the kernel's when udisks2 runs, and
    // follows its signals: objects that appear, properties that change, a loop device set up by
    // root (which udisks2 calls a system device) counted as external.
    void udisksDescribesBlockDevicesWhenRunning() {
        const auto disk = blockDeviceMount();
        if (!disk)
            QSKIP("no visible mount of a block device on this machine to describe");
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        startUdisksMock(bus);
        LinuxVolumeSource source(logger, bus.connection());
        QTRY_VERIFY((source.mountedVolumes(), logger.lines.contains(QStringLiteral(
                                                  "[Velmora] Reading drives through udisks2"))));

        addDiskObjects(bus, *disk);
        call(bus, udisksRoot, QStringLiteral("org.freedesktop.DBus.Mock"),
             QStringLiteral("AddMethod"),
             {QStringLiteral("org.velmora.Test"), QStringLiteral("Announce"), QStringLiteral("s"),
              QString(),
              QStringLiteral("self.EmitSignal('org.freedesktop.DBus.ObjectManager', "
                             "'InterfacesAdded', 'oa{sa{sv}}', [dbus.ObjectPath(args[0]), "
                             "objects[args[0]].props])")});
        for (const QString& path : {drivePath, blockPath})
            call(bus, udisksRoot, QStringLiteral("org.velmora.Test"), QStringLiteral("Announce"),
                 {path});
        QTRY_COMPARE(volumeAt(source, disk->mountPoint)->uuid, QStringLiteral("MOCK-UUID"));
        auto volume = volumeAt(source, disk->mountPoint);
        QCOMPARE(volume->name, QStringLiteral("Mock Label"));
        QVERIFY(volume->isRemovable);
        QVERIFY(!volume->isInternal);

        call(bus, blockPath, QStringLiteral("org.freedesktop.DBus.Mock"),
             QStringLiteral("UpdateProperties"),
             {QStringLiteral("org.freedesktop.UDisks2.Block"),
              QVariantMap{{QStringLiteral("IdLabel"), QStringLiteral("Renamed")},
                          {QStringLiteral("HintSystem"), true}}});
        QTRY_COMPARE(volumeAt(source, disk->mountPoint)->name, QStringLiteral("Renamed"));
        QVERIFY(volumeAt(source, disk->mountPoint)->isInternal);

        call(bus, blockPath, QStringLiteral("org.freedesktop.DBus.Mock"),
             QStringLiteral("AddProperty"),
             {QStringLiteral("org.freedesktop.UDisks2.Loop"), QStringLiteral("SetupByUID"),
              QVariant::fromValue(QDBusVariant(0u))});
        call(bus, udisksRoot, QStringLiteral("org.velmora.Test"), QStringLiteral("Announce"),
             {blockPath});
        QTRY_VERIFY(!volumeAt(source, disk->mountPoint)->isInternal);
    }

    // A udisks2 that answers late or never: the mount check reads the kernel's view meanwhile.
    void aSlowOrHungUdisksNeverHoldsUpTheMountCheck_data() {
        QTest::addColumn<int>("answerAfterSeconds");
        QTest::newRow("slow") << 2;
        QTest::newRow("hung") << 3600;
    }

    void aSlowOrHungUdisksNeverHoldsUpTheMountCheck() {
        QFETCH(int, answerAfterSeconds);
        const auto disk = blockDeviceMount();
        if (!disk)
            QSKIP("no visible mount of a block device on this machine to describe");
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        startUdisksMock(bus);
        addDiskObjects(bus, *disk);
        call(bus, udisksRoot, QStringLiteral("org.freedesktop.DBus.Mock"),
             QStringLiteral("AddMethod"),
             {QStringLiteral("org.freedesktop.DBus.ObjectManager"),
              QStringLiteral("GetManagedObjects"), QString(), QStringLiteral("a{oa{sa{sv}}}"),
              QStringLiteral("time.sleep(%1); ret = {dbus.ObjectPath(k): objects[k].props for k "
                             "in objects.keys() if k.startswith('/org/freedesktop/UDisks2/')}")
                  .arg(answerAfterSeconds)});

        LinuxVolumeSource source(logger, bus.connection());
        const auto volume = volumeAt(source, disk->mountPoint);
        QVERIFY(volume);
        // Answered before udisks2 did: from the kernel, without a word about udisks2 yet.
        QVERIFY(volume->uuid != QStringLiteral("MOCK-UUID"));
        QVERIFY(logger.lines.filter(QStringLiteral("udisks2")).isEmpty());
        if (answerAfterSeconds < UDisksClient::callTimeoutMs / 1000) {
            QTRY_COMPARE_WITH_TIMEOUT(volumeAt(source, disk->mountPoint)->uuid,
                                      QStringLiteral("MOCK-UUID"), 10000);
            return;
        }
        const QString notAnswering =
            QStringLiteral("[Velmora] udisks2 is not answering; reading drives from the kernel's "
                           "mount table and udev");
        QTRY_VERIFY_WITH_TIMEOUT((source.mountedVolumes(), logger.lines.contains(notAnswering)),
                                 UDisksClient::callTimeoutMs * 2);
        source.mountedVolumes();
        QCOMPARE(logger.lines.count(notAnswering), 1);
    }

private:
    static void startUdisksMock(PrivateBus& bus) {
        QVERIFY2(bus.startMock({QStringLiteral("--system"), QStringLiteral("-m"), udisksService,
                                udisksRoot, QStringLiteral("org.freedesktop.UDisks2.Manager")},
                               udisksService),
                 qPrintable(bus.lastError));
    }

    // A USB stick's drive and the block device behind `disk`, as udisks2 would describe them.
    static void addDiskObjects(PrivateBus& bus, const MountTable::Entry& disk) {
        qDBusRegisterMetaType<MockMethod>();
        qDBusRegisterMetaType<QList<MockMethod>>();
        const auto noMethods = QVariant::fromValue(QList<MockMethod>{});
        call(bus, udisksRoot, QStringLiteral("org.freedesktop.DBus.Mock"),
             QStringLiteral("AddObject"),
             {drivePath, QStringLiteral("org.freedesktop.UDisks2.Drive"),
              QVariantMap{{QStringLiteral("Removable"), true},
                          {QStringLiteral("ConnectionBus"), QStringLiteral("usb")}},
              noMethods});
        call(bus, udisksRoot, QStringLiteral("org.freedesktop.DBus.Mock"),
             QStringLiteral("AddObject"),
             {blockPath, QStringLiteral("org.freedesktop.UDisks2.Block"),
              QVariantMap{
                  {QStringLiteral("DeviceNumber"),
                   QVariant::fromValue<qulonglong>(makedev(disk.major, disk.minor))},
                  {QStringLiteral("IdUUID"), QStringLiteral("MOCK-UUID")},
                  {QStringLiteral("IdLabel"), QStringLiteral("Mock Label")},
                  {QStringLiteral("HintSystem"), false},
                  {QStringLiteral("HintIgnore"), false},
                  {QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath(drivePath))}},
              noMethods});
    }

    static void call(PrivateBus& bus, const QString& path, const QString& interface,
                     const QString& method, const QVariantList& arguments) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(udisksService, path, interface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = bus.connection().call(message);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }
};

QTEST_GUILESS_MAIN(LinuxVolumeSourceTest)
#include "LinuxVolumeSourceTest.moc"
