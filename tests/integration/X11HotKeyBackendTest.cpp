#include "x11/X11HotKeyBackend.h"
#include "fakes/CapturingLogger.h"
#include "hotkey/HotKey.h"
#include "hotkey/HotKeysController.h"
#include "services/SafetyManager.h"
#include "support/XvfbServer.h"

#include <QGuiApplication>
#include <QtTest>
#include <X11/keysym.h>
#include <cstdlib>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

namespace {

// Another X client: types with XTest and holds grabs of its own.
class OtherClient {
public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_symbols(xcb_key_symbols_alloc(m_connection)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherClient() {
        xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_connection);
    }

    xcb_keycode_t keycode(xcb_keysym_t keysym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    }

    // Presses the modifiers in order, taps the key, and lets go in reverse order.
    void type(const QList<xcb_keysym_t>& modifiers, xcb_keysym_t key) {
        for (xcb_keysym_t modifier : modifiers)
            fake(XCB_KEY_PRESS, modifier);
        fake(XCB_KEY_PRESS, key);
        fake(XCB_KEY_RELEASE, key);
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
            fake(XCB_KEY_RELEASE, *it);
        xcb_flush(m_connection);
    }
    void tap(xcb_keysym_t key) { type({}, key); }

    bool grab(xcb_keysym_t key, quint16 modifiers) {
        const auto cookie = xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keycode(key),
                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(m_connection, cookie);
        std::free(error);
        return !error;
    }

private:
    void fake(quint8 type, xcb_keysym_t keysym) {
        xcb_test_fake_input(m_connection, type, keycode(keysym), XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                            0);
    }

    xcb_connection_t* m_connection;
    xcb_key_symbols_t* m_symbols;
    xcb_window_t m_root = XCB_WINDOW_NONE;
};

const QList<xcb_keysym_t> panicModifiers{XK_Control_L, XK_Alt_L, XK_Super_L, XK_Shift_L};
const QString panicLine =
    QStringLiteral("[Velmora Safety] Panic key activated — dismissing all overlays");

} // namespace

class X11HotKeyBackendTest : public QObject {
    Q_OBJECT

public:
    explicit X11HotKeyBackendTest(bool hasServer)
        : m_hasServer(hasServer) {}

private slots:
    void initTestCase() {
        if (!m_hasServer)
            QSKIP("Xvfb could not be started; the real X11 grabs are not exercised");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(X11HotKeyBackend::qtConnection());
    }

    void panicKeyPressedAnywhereReachesTheHandler() {
        CapturingLogger logger;
        X11HotKeyBackend backend(logger, X11HotKeyBackend::qtConnection());
        HotKeysController controller(backend, logger);
        SafetyManager safety(controller, logger);
        int panics = 0;
        safety.onPanicKeyPressed = [&] { ++panics; };
        QVERIFY(controller.isRegisteredWithSystem(1));

        OtherClient keyboard;
        // Three of the four modifiers first: X delivers in order, so once the full combination
        // has arrived, the partial one would have arrived before it.
        keyboard.type({XK_Control_L, XK_Alt_L, XK_Shift_L}, XK_u);
        keyboard.type({XK_Control_L, XK_Alt_L, XK_Super_L}, XK_u);
        keyboard.type(panicModifiers, XK_u);
        QTRY_COMPARE_WITH_TIMEOUT(panics, 1, 10000);
        QCOMPARE(logger.lines, QStringList{panicLine});

        // With NumLock on, and with CapsLock on.
        keyboard.tap(XK_Num_Lock);
        keyboard.type(panicModifiers, XK_u);
        QTRY_COMPARE_WITH_TIMEOUT(panics, 2, 10000);
        keyboard.tap(XK_Num_Lock);
        keyboard.tap(XK_Caps_Lock);
        keyboard.type(panicModifiers, XK_u);
        QTRY_COMPARE_WITH_TIMEOUT(panics, 3, 10000);
        keyboard.tap(XK_Caps_Lock);
    }

    void releaseIsDeliveredAfterThePress() {
        CapturingLogger logger;
        X11HotKeyBackend backend(logger, X11HotKeyBackend::qtConnection());
        HotKeysController controller(backend, logger);
        QStringList events;
        HotKey hotKey(
            controller, Key::f5, Qt::ControlModifier, [&] { events << QStringLiteral("down"); },
            [&] { events << QStringLiteral("up"); });

        OtherClient keyboard;
        keyboard.type({XK_Control_L}, XK_F5);
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 2, 10000);
        QCOMPARE(events, (QStringList{QStringLiteral("down"), QStringLiteral("up")}));
    }

    void combinationHeldByAnotherClientFailsQuietly() {
        OtherClient holder;
        const quint16 panicMask =
            XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT;
        QVERIFY(holder.grab(XK_u, panicMask));

        CapturingLogger logger;
        X11HotKeyBackend backend(logger, X11HotKeyBackend::qtConnection());
        HotKeysController controller(backend, logger);
        SafetyManager safety(controller, logger);
        QVERIFY(!controller.isRegisteredWithSystem(1));
        QVERIFY(logger.lines.isEmpty());

        // A partial grab must not linger: a free combination still works afterwards.
        HotKey other(controller, Key::j, Qt::ControlModifier);
        QVERIFY(controller.isRegisteredWithSystem(2));
    }

    void ownCombinationTwiceIsRefusedAndFreedOnRelease() {
        CapturingLogger logger;
        X11HotKeyBackend backend(logger, X11HotKeyBackend::qtConnection());
        HotKeysController controller(backend, logger);
        auto first = std::make_unique<HotKey>(controller, Key::k, Qt::AltModifier);
        HotKey second(controller, Key::k, Qt::AltModifier);
        QVERIFY(controller.isRegisteredWithSystem(1));
        QVERIFY(!controller.isRegisteredWithSystem(2));

        first.reset();
        OtherClient other;
        QVERIFY(other.grab(XK_k, XCB_MOD_MASK_1));
    }

    void withoutX11EveryRegistrationFailsWithOneLogLine() {
        CapturingLogger logger;
        X11HotKeyBackend backend(logger, nullptr);
        HotKeysController controller(backend, logger);
        SafetyManager safety(controller, logger);
        HotKey other(controller, Key::j, Qt::ControlModifier);
        QVERIFY(!controller.isRegisteredWithSystem(1));
        QVERIFY(!controller.isRegisteredWithSystem(2));
        QCOMPARE(logger.lines.size(), 1);
        QVERIFY(logger.lines.first().contains(QStringLiteral("X11")));
    }

private:
    bool m_hasServer;
};

int main(int argc, char** argv) {
    // Started before Qt connects, so the application's own connection is to this server.
    XvfbServer server;
    const bool hasServer = server.start();
    if (hasServer) {
        qputenv("DISPLAY", server.display());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QGuiApplication application(argc, argv);
    X11HotKeyBackendTest test(hasServer);
    return QTest::qExec(&test, argc, argv);
}

#include "X11HotKeyBackendTest.moc"
