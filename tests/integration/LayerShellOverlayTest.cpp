#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeSelfActivation.h"
#include "overlay/LockCards.h"
#include "services/OverlayWindowService.h"
#include "storage/SettingsFileStore.h"
#include "support/InstalledTestApp.h"
#include "support/OverlayModelGraph.h"
#include "support/OverlayServiceRig.h"
#include "support/SwaySession.h"
#include "support/ViewRenderer.h"
#include "wayland/LayerShellOverlayWindow.h"
#include "wayland/LayerShellOverlayWindows.h"
#include "wayland/WaylandConnection.h"
#include "wayland/WaylandScreens.h"

#include "wlr-virtual-pointer-unstable-v1-client.h"
#include <QJsonArray>
#include <QJsonObject>
#include <QQuickItem>
#include <QtTest>
#include <linux/input-event-codes.h>
#include <wayland-client.h>

namespace {

const QString clientId = QStringLiteral("velmora-covered");
// The full-screen client's background, which no covered pixel may show as it is.
const QColor clientColour(0, 0xcc, 0);

// The real lock surfaces, each kept in view while it lives.
class RecordingWindows : public OverlayWindows {
public:
    explicit RecordingWindows(OverlayWindows& real)
        : m_real(real) {}
    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override {
        auto window = m_real.create(screen, std::move(content));
        made.append(static_cast<LayerShellOverlayWindow*>(window.get()));
        return window;
    }
    QList<LayerShellOverlayWindow*> made;

private:
    OverlayWindows& m_real;
};

// Layer-shell lock windows and the outputs of a real compositor.
struct LayerShellProgram : OverlayModelGraph {
    explicit LayerShellProgram(std::unique_ptr<WaylandConnection> opened)
        : connection(std::move(opened)) {}

    std::unique_ptr<WaylandConnection> connection;
    WaylandScreens screens{*connection};
    FakeAppIconSource icons;
    LockCards cards{{apps, drives, workspace, language, icons, logger}};
    LayerShellOverlayWindows layerShell{*connection, screens, cards, logger};
    RecordingWindows overlays{layerShell};
};

// The whole overlay service on them.
struct CoveringProgram : OverlayServiceRig<LayerShellProgram> {
    using OverlayServiceRig::OverlayServiceRig;

    void lock() {
        service.showDriveRequired({QUuid::createUuid(), QStringLiteral("org.example.Editor"),
                                   QStringLiteral("Editor"), QString(), true, std::nullopt,
                                   QDateTime()});
    }
};

// Another client's pointer, moved and pressed as a mouse would be.
class VirtualPointer {
public:
    explicit VirtualPointer(WaylandConnection& connection) {
        const std::uint32_t name =
            connection.find(QString::fromLatin1(zwlr_virtual_pointer_manager_v1_interface.name));
        if (!name)
            return;
        m_manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            connection.bind(name, &zwlr_virtual_pointer_manager_v1_interface, 1));
        m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(m_manager, nullptr);
        connection.flush();
    }
    ~VirtualPointer() {
        if (m_pointer)
            zwlr_virtual_pointer_v1_destroy(m_pointer);
        if (m_manager)
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_manager));
    }
    bool isValid() const { return m_pointer; }

    void click(QPoint at, QSize layout) {
        const auto width = static_cast<std::uint32_t>(layout.width());
        const auto height = static_cast<std::uint32_t>(layout.height());
        zwlr_virtual_pointer_v1_motion_absolute(m_pointer, ++m_time, static_cast<uint>(at.x()),
                                                static_cast<uint>(at.y()), width, height);
        zwlr_virtual_pointer_v1_frame(m_pointer);
        for (const auto state :
             {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
            zwlr_virtual_pointer_v1_button(m_pointer, ++m_time, BTN_LEFT, state);
            zwlr_virtual_pointer_v1_frame(m_pointer);
        }
    }

private:
    zwlr_virtual_pointer_manager_v1* m_manager = nullptr;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
    std::uint32_t m_time = 0;
};

// Where the window's item is on its output.
QRect placeOf(LayerShellOverlayWindow* window, const char* name) {
    auto* item = window->view()->findChild<QQuickItem*>(QString::fromLatin1(name));
    return item ? item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toRect()
                : QRect();
}

bool sameColour(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 3 && std::abs(qGreen(a) - qGreen(b)) <= 3 &&
           std::abs(qBlue(a) - qBlue(b)) <= 3;
}

// The settled card (after its entrance) is what the output shows, and the backdrop hides the
// client's colour.
bool showsTheCard(const QImage& shot, LayerShellOverlayWindow* window) {
    const QRect card = placeOf(window, "card");
    const QImage frame = window->window().grabWindow();
    if (shot.isNull() || card.isEmpty() || frame.size() != shot.size())
        return false;
    const QPoint inside(card.left() + 6, card.center().y());
    return sameColour(shot.pixel(inside), frame.pixel(inside)) &&
           qGreen(shot.pixel(5, 5)) < clientColour.green() / 2;
}

} // namespace

class LayerShellOverlayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // As the program does: the surfaces are drawn by the software renderer.
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        if (!m_sway.start())
            QSKIP(qPrintable(m_sway.error()));
        QVERIFY(!m_sway.createOutput().isEmpty());
        m_client.setProcessEnvironment(m_sway.environment());
        m_client.start(QStringLiteral("foot"),
                       {QStringLiteral("--app-id=") + clientId, QStringLiteral("--fullscreen"),
                        QStringLiteral("--override=colors.background=00cc00"),
                        QStringLiteral("cat")});
        QTRY_COMPARE_WITH_TIMEOUT(focusedAppId(), clientId, 20000);
    }

    void cleanupTestCase() {
        m_client.kill();
        m_client.waitForFinished();
    }

    // Both outputs, the one with the full-screen client among them, show the lock above everything;
    // the card takes the keyboard from the client; an output added while locked is covered too.
    void coversEveryOutputAboveAFullScreenClient() {
        CoveringProgram program(WaylandConnection::open(m_sway.waylandDisplay()));
        QTRY_COMPARE_WITH_TIMEOUT(program.screens.screens().size(), 2, 10000);
        const QStringList outputs = m_sway.outputNames();
        QCOMPARE(program.screens.screens().at(1).topLeft(),
                 program.screens.screens().at(0).topRight() + QPoint(1, 0));
        QTRY_VERIFY_WITH_TIMEOUT(
            sameColour(m_sway.screenshot(outputs.at(0)).pixel(5, 5), clientColour.rgb()), 10000);

        program.lock();
        QCOMPARE(program.overlays.made.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QTRY_VERIFY_WITH_TIMEOUT(
                showsTheCard(m_sway.screenshot(outputs.at(i)), program.overlays.made.at(i)), 10000);
            ViewRenderer::save(m_sway.screenshot(outputs.at(i)),
                               QStringLiteral("wayland-lock-output-%1").arg(i + 1));
        }
        QTRY_VERIFY_WITH_TIMEOUT(focusedAppId() != clientId, 10000);

        const QString added = m_sway.createOutput();
        QTRY_COMPARE_WITH_TIMEOUT(program.overlays.made.size(), 3, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            showsTheCard(m_sway.screenshot(added), program.overlays.made.at(2)), 10000);
        ViewRenderer::save(m_sway.screenshot(added), QStringLiteral("wayland-lock-added-output"));
    }

    // A click on Force Quit, through the compositor, reaches the card's button.
    void forceQuitTakesAClick() {
        CoveringProgram program(WaylandConnection::open(m_sway.waylandDisplay()));
        QTRY_COMPARE_WITH_TIMEOUT(program.screens.screens().size(), m_sway.outputNames().size(),
                                  10000);
        VirtualPointer pointer(*program.connection);
        QVERIFY(pointer.isValid());
        program.lock();
        LayerShellOverlayWindow* second = program.overlays.made.at(1);
        QTRY_VERIFY_WITH_TIMEOUT(second->framesCommitted() > 0, 10000);

        const QRect button = placeOf(second, "forceQuit");
        QVERIFY(!button.isEmpty());
        const QList<QRect> screens = program.screens.screens();
        QRect layout;
        for (const QRect& screen : screens)
            layout |= screen;
        pointer.click(button.center() + screens.at(1).topLeft(), layout.size());
        QTRY_VERIFY_WITH_TIMEOUT(!program.service.isShowing(), 10000);
        QVERIFY(program.logger.lines.contains(
            QStringLiteral("[Velmora] Overlay dismissed (reason: forceQuit)")));
    }

    // The program itself on a Wayland session without X: an app of its list already running
    // without its drive is covered by the compositor's overlay surfaces.
    void theProgramCoversAnAppOnWayland() {
        QTemporaryDir home;
        InstalledTestApp app;
        {
            CapturingLogger logger;
            SettingsFileStore store(home.filePath(QStringLiteral("config/Tarnwick/Velmora.conf")),
                                    logger);
            Defaults defaults(store, logger);
            defaults.setHasCompletedOnboarding(true);
            ProtectedDrivesManager drives(defaults, logger);
            drives.addDrive(QStringLiteral("Velmora Absent"), QStringLiteral("/media/nowhere"),
                            QStringLiteral("NO-SUCH-UUID"));
            defaults.setProtectedApps({ProtectedApp{
                QUuid::createUuid(), InstalledTestApp::mainId(), QStringLiteral("Test App"),
                QString(), true, drives.drives().first().id, QDateTime::currentDateTimeUtc()}});
        }
        QProcess covered;
        covered.start(InstalledTestApp::program());
        QVERIFY(covered.waitForReadyRead(10000));

        QProcessEnvironment environment = m_sway.environment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), app.dataHome());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(VELMORA_BINARY));
        QByteArray log;
        const auto said = [&](const char* line) {
            log += program.readAll();
            return log.contains(line);
        };
        QTRY_VERIFY_WITH_TIMEOUT(said("[Velmora] Overlay shown for: Test App (drive not mounted)"),
                                 20000);
        const QString first = m_sway.outputNames().first();
        QTRY_VERIFY_WITH_TIMEOUT(
            qGreen(m_sway.screenshot(first).pixel(5, 5)) < clientColour.green() / 2, 10000);
        ViewRenderer::save(m_sway.screenshot(first), QStringLiteral("wayland-lock-program"));
        QVERIFY2(said("[Velmora] No X display (XWayland) on this Wayland session"), log);
        QVERIFY2(!said("offers no layer-shell"), log);
        program.kill();
        covered.kill();
        program.waitForFinished();
        covered.waitForFinished();
    }

private:
    QString focusedAppId() const {
        return focused(QJsonDocument::fromJson(
                           m_sway.swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}))
                           .object());
    }
    static QString focused(const QJsonObject& node) {
        if (node.value(QStringLiteral("focused")).toBool())
            return node.value(QStringLiteral("app_id")).toString();
        for (const QString& key : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")}) {
            for (const QJsonValue& child : node.value(key).toArray()) {
                const QString found = focused(child.toObject());
                if (!found.isEmpty())
                    return found;
            }
        }
        return {};
    }

    SwaySession m_sway;
    QProcess m_client;
};

QTEST_MAIN(LayerShellOverlayTest)
#include "LayerShellOverlayTest.moc"
