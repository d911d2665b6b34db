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
#include <xcb/xcb.h>

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

// A desktop bar across the top of the screen, reserving its height as panels do.
class TopBar {
public:
    static constexpr quint32 height = 27;

    explicit TopBar(const QByteArray& display)
        : m_connection(xcb_connect(display.constData(), nullptr)) {
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_root = screen->root;
        const xcb_window_t bar = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, bar, m_root, 0, 0,
                          screen->width_in_pixels, height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, 0, nullptr);
        const xcb_atom_t dock = atom("_NET_WM_WINDOW_TYPE_DOCK");
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, bar, atom("_NET_WM_WINDOW_TYPE"),
                            XCB_ATOM_ATOM, 32, 1, &dock);
        const quint32 strut[12] = {0, 0, height, 0, 0, 0, 0, 0, 0, screen->width_in_pixels, 0, 0};
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, bar, atom("_NET_WM_STRUT_PARTIAL"),
                            XCB_ATOM_CARDINAL, 32, 12, strut);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, bar, atom("_NET_WM_STRUT"),
                            XCB_ATOM_CARDINAL, 32, 4, strut);
        xcb_map_window(m_connection, bar);
        xcb_flush(m_connection);
    }
    ~TopBar() { xcb_disconnect(m_connection); }

    // The top of the window manager's work area, once it has taken the bar into account.
    quint32 workAreaTop() const {
        const xcb_get_property_cookie_t cookie = xcb_get_property(
            m_connection, 0, m_root, atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL, 0, 4);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(m_connection, cookie, nullptr);
        quint32 top = 0;
        if (reply && xcb_get_property_value_length(reply) >= 8)
            top = static_cast<const quint32*>(xcb_get_property_value(reply))[1];
        free(reply);
        return top;
    }

private:
    xcb_atom_t atom(const char* name) const {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<quint16>(strlen(name)), name), nullptr);
        xcb_atom_t found = XCB_ATOM_NONE;
        if (reply)
            found = reply->atom;
        free(reply);
        return found;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
};

} // namespace

// The real program against a tray host on the session bus, on a desktop with a window manager and
// a 27-pixel bar on top: it registers its StatusNotifierItem, shows its state in the item's
// pixmap, opens its panel below the bar where the user clicked, and a second launch brings the
// running copy up. Started again, it shows the same state and puts the panel in the same place.
class TrayTest : public QObject {
    Q_OBJECT

    PrivateBus bus;
    XvfbServer x11;
    QProcess windowManager;
    std::unique_ptr<TopBar> bar;
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
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
            QSKIP("openbox is not installed (scripts/install-deps.sh installs it)");
        QProcessEnvironment display = QProcessEnvironment::systemEnvironment();
        display.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(x11.display()));
        windowManager.setProcessEnvironment(display);
        windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        QVERIFY(windowManager.waitForStarted(10000));
        bar = std::make_unique<TopBar>(x11.display());
        QTRY_COMPARE_WITH_TIMEOUT(bar->workAreaTop(), TopBar::height, 10000);
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

    // Starts the program and waits for its item to register; `item` is the item's service name.
    void launch(QProcess& program, QString& item) {
        const qsizetype before =
            bus.mockCalls(watcherName, watcherPath, QStringLiteral("RegisterStatusNotifierItem"))
                .size();
        program.setProcessEnvironment(environment());
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(VELMORA_BINARY), QStringList());
        QVERIFY(program.waitForStarted(10000));
        QList<QVariantList> registrations;
        QTRY_VERIFY_WITH_TIMEOUT(
            (registrations = bus.mockCalls(watcherName, watcherPath,
                                           QStringLiteral("RegisterStatusNotifierItem")))
                    .size() > before,
            20000);
        item = registrations.last().first().toString();
    }

    // A click on the item with the pointer in the bar: the panel as it then shows.
    void openPanel(const QString& item, int x, int y, Geometry& panel) {
        xdotool(x11.display(),
                {QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
        callItem(item, QStringLiteral("Activate"), x, y);
        QTRY_VERIFY_WITH_TIMEOUT((panel = panelWindow(x11.display())).found, 10000);
    }

    void clickSwitch(const QRect& panel) {
        xdotool(x11.display(),
                {QStringLiteral("mousemove"), QString::number(panel.x() + 236),
                 QString::number(panel.y() + 61), QStringLiteral("click"), QStringLiteral("1")});
    }

    void itemPanelSecondLaunchAndRestart() {
        {
            // A user past the welcome walk.
            CapturingLogger logger;
            SettingsFileStore store(home.filePath(QStringLiteral("config/Tarnwick/Velmora.conf")),
                                    logger);
            Defaults(store, logger).setHasCompletedOnboarding(true);
        }
        QProcess program;
        QString item;
        launch(program, item);
        QVERIFY(!item.isEmpty());
        QCOMPARE(itemProperty(item, QStringLiteral("Title")).toString(), QStringLiteral("Velmora"));
        const QByteArray active = iconPixels(item);
        QVERIFY(!active.isEmpty());

        // A click in the bar: the panel hangs below the bar, centred on the pointer, as tall as
        // its rows.
        Geometry panel;
        openPanel(item, 400, 13, panel);
        QVERIFY(panel.found);
        QCOMPARE(panel.rect.topLeft(), QPoint(270, int(TopBar::height)));
        QCOMPARE(panel.rect.width(), 260);
        QVERIFY2(panel.rect.height() > 150 && panel.rect.height() < 280,
                 qPrintable(QString::number(panel.rect.height())));

        // The switch turns protection off, and the item shows it; on again, active again.
        clickSwitch(panel.rect);
        QTRY_VERIFY_WITH_TIMEOUT(iconPixels(item) != active, 10000);
        clickSwitch(panel.rect);
        QTRY_VERIFY_WITH_TIMEOUT(iconPixels(item) == active, 10000);

        callItem(item, QStringLiteral("Activate"), 400, 13);
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

        // Started again: protection on, the same icon, the panel in the same place.
        QProcess restarted;
        QString again;
        launch(restarted, again);
        QVERIFY(!again.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(iconPixels(again) == active, 10000);
        Geometry reopened;
        openPanel(again, 400, 13, reopened);
        QCOMPARE(reopened.rect, panel.rect);
        restarted.terminate();
        QVERIFY(restarted.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TrayTest)
#include "TrayTest.moc"
