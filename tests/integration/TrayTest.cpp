#include "fakes/CapturingLogger.h"
#include "model/Defaults.h"
#include "storage/SettingsFileStore.h"
#include "support/PrivateBus.h"
#include "support/XvfbServer.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString itemPath = QStringLiteral("/StatusNotifierItem");

struct Geometry {
    bool found = false;
    QRect rect;
};

QString xdotool(const QByteArray& display, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The program's visible window with this title (a pattern), if one is mapped.
Geometry visibleWindow(const QByteArray& display, const QString& title) {
    const QString ids = xdotool(display, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), title})
                            .trimmed();
    if (ids.isEmpty())
        return {};
    const QString shell = xdotool(display, {QStringLiteral("getwindowgeometry"),
                                            QStringLiteral("--shell"), ids.split(u'\n').first()});
    QMap<QString, int> values;
    for (const QString& line : shell.split(u'\n')) {
        const QStringList pair = line.split(u'=');
        if (pair.size() == 2)
            values.insert(pair.at(0), pair.at(1).toInt());
    }
    return {true,
            QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
                  values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT")))};
}

Geometry panelWindow(const QByteArray& display) {
    return visibleWindow(display, QStringLiteral("^Velmora$"));
}

} // namespace

// The real program against a tray host on the session bus: it registers its StatusNotifierItem,
// shows its state in the item's pixmap, opens its panel where the user clicked, and a second
// launch brings the running copy up.
class TrayTest : public QObject {
    Q_OBJECT

    PrivateBus bus;
    XvfbServer x11;
    QTemporaryDir home;

    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(x11.display()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        return environment;
    }

    void mockCall(const QString& method, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            watcherName, watcherPath, QStringLiteral("org.freedesktop.DBus.Mock"), method);
        call.setArguments(arguments);
        const QDBusMessage reply = bus.connection().call(call);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    QVariant itemProperty(const QString& service, const QString& name) const {
        QDBusMessage get = QDBusMessage::createMethodCall(
            service, itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << itemInterface << name;
        const QDBusMessage reply = bus.connection().call(get);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }

    // The largest image of IconPixmap, a(iiay).
    QByteArray iconPixels(const QString& service) const {
        const QDBusArgument pixmaps =
            itemProperty(service, QStringLiteral("IconPixmap")).value<QDBusArgument>();
        QByteArray largest;
        pixmaps.beginArray();
        while (!pixmaps.atEnd()) {
            int width = 0;
            int height = 0;
            QByteArray bytes;
            pixmaps.beginStructure();
            pixmaps >> width >> height >> bytes;
            pixmaps.endStructure();
            if (bytes.size() > largest.size())
                largest = bytes;
        }
        pixmaps.endArray();
        return largest;
    }

    void callItem(const QString& service, const QString& method, int x, int y) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, itemPath, itemInterface, method);
        call << x << y;
        bus.connection().call(call);
    }

private slots:
    void initTestCase() {
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        if (!x11.start())
            QSKIP(qPrintable(x11.error()));
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is not installed (scripts/install-deps.sh installs it)");
        QVERIFY2(bus.startMock({QStringLiteral("--session"), watcherName, watcherPath, watcherName},
                               watcherName),
                 qPrintable(bus.lastError));
        mockCall(QStringLiteral("AddMethod"),
                 {watcherName, QStringLiteral("RegisterStatusNotifierItem"), QStringLiteral("s"),
                  QString(), QString()});
        mockCall(QStringLiteral("AddProperty"),
                 {watcherName, QStringLiteral("IsStatusNotifierHostRegistered"),
                  QVariant::fromValue(QDBusVariant(true))});
        mockCall(QStringLiteral("AddProperty"), {watcherName, QStringLiteral("ProtocolVersion"),
                                                 QVariant::fromValue(QDBusVariant(0))});
    }

    void itemPanelAndSecondLaunch() {
        {
            // A user past the welcome walk.
            CapturingLogger logger;
            SettingsFileStore store(home.filePath(QStringLiteral("config/Tarnwick/Velmora.conf")),
                                    logger);
            Defaults(store, logger).setHasCompletedOnboarding(true);
        }
        QProcess program;
        program.setProcessEnvironment(environment());
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(VELMORA_BINARY), QStringList());
        QVERIFY(program.waitForStarted(10000));

        QList<QVariantList> registrations;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(registrations = bus.mockCalls(watcherName, watcherPath,
                                            QStringLiteral("RegisterStatusNotifierItem")))
                 .isEmpty(),
            20000);
        const QString item = registrations.first().first().toString();
        QCOMPARE(itemProperty(item, QStringLiteral("Title")).toString(), QStringLiteral("Velmora"));
        const QByteArray before = iconPixels(item);
        QVERIFY(!before.isEmpty());

        // A click at the top of the screen: the panel hangs below the pointer.
        xdotool(x11.display(),
                {QStringLiteral("mousemove"), QStringLiteral("400"), QStringLiteral("3")});
        callItem(item, QStringLiteral("Activate"), 400, 3);
        Geometry panel;
        QTRY_VERIFY_WITH_TIMEOUT((panel = panelWindow(x11.display())).found, 10000);
        QCOMPARE(panel.rect, QRect(270, 4, 260, 300));

        // The switch turns protection off, and the item shows it.
        xdotool(x11.display(),
                {QStringLiteral("mousemove"), QString::number(270 + 236), QString::number(4 + 61),
                 QStringLiteral("click"), QStringLiteral("1")});
        QTRY_VERIFY_WITH_TIMEOUT(iconPixels(item) != before, 10000);

        callItem(item, QStringLiteral("Activate"), 400, 3);
        QTRY_VERIFY_WITH_TIMEOUT(!panelWindow(x11.display()).found, 10000);

        // Launched again, the program brings the running copy's settings up and quits.
        QProcess second;
        second.setProcessEnvironment(environment());
        second.setProcessChannelMode(QProcess::MergedChannels);
        second.start(QStringLiteral(VELMORA_BINARY), QStringList());
        QVERIFY(second.waitForFinished(20000));
        QVERIFY2(QString::fromUtf8(second.readAll())
                     .contains(QStringLiteral("Velmora is already running; bringing the running "
                                              "copy forward and quitting")),
                 "the second copy did not say it defers to the first");
        QTRY_VERIFY_WITH_TIMEOUT(
            visibleWindow(x11.display(), QStringLiteral("^Velmora Settings$")).found, 10000);

        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
        const QString log = QString::fromUtf8(program.readAll());
        QVERIFY2(!log.contains(QStringLiteral("No system tray")), qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(TrayTest)
#include "TrayTest.moc"
