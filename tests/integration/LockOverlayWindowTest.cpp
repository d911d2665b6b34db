#include "x11/LockOverlayWindow.h"
#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeSelfActivation.h"
#include "hotkey/HotKeysController.h"
#include "overlay/LockCards.h"
#include "qt/QtKeyMonitor.h"
#include "qt/QtScreens.h"
#include "qt/QtSelfActivation.h"
#include "services/OverlayWindowService.h"
#include "services/SafetyManager.h"
#include "support/OverlayModelGraph.h"
#include "support/OverlayServiceRig.h"
#include "support/X11Desktop.h"
#include "x11/QuickOverlayWindows.h"
#include "x11/X11HotKeyBackend.h"
#include "x11/X11OverlayHints.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QShortcut>
#include <QtTest>
#include <X11/keysym.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* pointer) {
    return Reply<T>(pointer, &std::free);
}

// Another application on the same display: its own connection, windows and input devices.
class OtherApp {
public:
    OtherApp()
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_symbols(xcb_key_symbols_alloc(m_connection)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherApp() {
        xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_connection);
    }

    xcb_window_t openWindow(const QRect& rect, bool fullScreen) {
        const xcb_window_t window = xcb_generate_id(m_connection);
        const quint32 events = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_BUTTON_PRESS |
                               XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        const quint32 values[] = {0x336699, events};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, rect.x(), rect.y(),
                          rect.width(), rect.height(), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        if (fullScreen) {
            const xcb_atom_t state = atom("_NET_WM_STATE_FULLSCREEN");
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_STATE"),
                                XCB_ATOM_ATOM, 32, 1, &state);
        }
        xcb_map_window(m_connection, window);
        xcb_flush(m_connection);
        return window;
    }

    // Asks the window manager to focus and raise the window, as a task bar would.
    void activate(xcb_window_t window) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = atom("_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, false, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
    }

    xcb_window_t activeWindow() {
        auto answer = reply(xcb_get_property_reply(m_connection,
                                                   xcb_get_property(m_connection, false, m_root,
                                                                    atom("_NET_ACTIVE_WINDOW"),
                                                                    XCB_ATOM_WINDOW, 0, 1),
                                                   nullptr));
        if (!answer || xcb_get_property_value_length(answer.get()) != 4)
            return XCB_WINDOW_NONE;
        return *static_cast<xcb_window_t*>(xcb_get_property_value(answer.get()));
    }

    void switchToDesktop(quint32 desktop) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = m_root;
        message.type = atom("_NET_CURRENT_DESKTOP");
        message.data.data32[0] = desktop;
        xcb_send_event(m_connection, false, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
    }

    quint32 cardinal(xcb_window_t window, const char* name) {
        auto answer = reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, false, window, atom(name), XCB_ATOM_CARDINAL, 0, 1),
            nullptr));
        if (!answer || xcb_get_property_value_length(answer.get()) != 4)
            return 0;
        return *static_cast<quint32*>(xcb_get_property_value(answer.get()));
    }

    QStringList states(xcb_window_t window) {
        auto answer = reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, false, window,
                                                    atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 32),
                                   nullptr));
        QStringList names;
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(answer.get()));
        for (int i = 0; i < xcb_get_property_value_length(answer.get()) / 4; ++i) {
            auto name = reply(xcb_get_atom_name_reply(
                m_connection, xcb_get_atom_name(m_connection, atoms[i]), nullptr));
            names.append(QString::fromLatin1(xcb_get_atom_name_name(name.get()),
                                             xcb_get_atom_name_name_length(name.get())));
        }
        return names;
    }

    bool viewable(xcb_window_t window) {
        auto answer = reply(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
        return answer && answer->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // Lines of white text over the whole window, in the server's built-in font.
    void fillWithText(xcb_window_t window, const QSize& size) {
        const xcb_font_t font = xcb_generate_id(m_connection);
        xcb_open_font(m_connection, font, 5, "fixed");
        const xcb_gcontext_t pen = xcb_generate_id(m_connection);
        const quint32 values[] = {0xFFFFFF, 0x336699, font};
        xcb_create_gc(m_connection, pen, window,
                      XCB_GC_FOREGROUND | XCB_GC_BACKGROUND | XCB_GC_FONT, values);
        const QByteArray line = QByteArray("secret diary: the vault code is 4711 ").repeated(8);
        for (int y = 12; y < size.height(); y += 14)
            xcb_image_text_8(m_connection, quint8(qMin(line.size(), qsizetype(255))), window, pen,
                             0, y, line.constData());
        xcb_free_gc(m_connection, pen);
        xcb_close_font(m_connection, font);
        xcb_flush(m_connection);
    }

    // What the screen shows in `area`, as 0xRRGGBB values.
    QList<quint32> capture(const QRect& area) {
        auto image = reply(xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, qint16(area.x()),
                          qint16(area.y()), quint16(area.width()), quint16(area.height()),
                          0xFFFFFFFF),
            nullptr));
        if (!image || xcb_get_image_data_length(image.get()) < area.width() * area.height() * 4)
            return {};
        const auto* pixels = reinterpret_cast<const quint32*>(xcb_get_image_data(image.get()));
        QList<quint32> values(pixels, pixels + area.width() * area.height());
        for (quint32& value : values)
            value &= 0xFFFFFF;
        return values;
    }

    xcb_connection_t* connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    xcb_window_t inputFocus() {
        auto answer = reply(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return answer ? answer->focus : xcb_window_t(XCB_WINDOW_NONE);
    }

    // The root's children from bottom to top.
    QList<xcb_window_t> stacking() {
        auto tree = reply(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        return QList<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
    }

    // The root child holding the window: the window manager's frame, or the window itself.
    xcb_window_t topLevel(xcb_window_t window) {
        for (;;) {
            auto tree = reply(
                xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
            if (!tree || tree->parent == m_root || tree->parent == XCB_WINDOW_NONE)
                return window;
            window = tree->parent;
        }
    }

    QRect geometry(xcb_window_t window) {
        auto size = reply(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        auto place = reply(xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
        return QRect(place->dst_x, place->dst_y, size->width, size->height);
    }

    void type(const QList<xcb_keysym_t>& modifiers, xcb_keysym_t key) {
        for (xcb_keysym_t modifier : modifiers)
            fake(XCB_KEY_PRESS, keycode(modifier));
        fake(XCB_KEY_PRESS, keycode(key));
        fake(XCB_KEY_RELEASE, keycode(key));
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
            fake(XCB_KEY_RELEASE, keycode(*it));
        xcb_flush(m_connection);
    }

    void click(const QPoint& at) {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, at.x(),
                            at.y(), 0);
        fake(XCB_BUTTON_PRESS, 1);
        fake(XCB_BUTTON_RELEASE, 1);
        xcb_flush(m_connection);
    }

    // Reads the events that arrived, after a round trip, so everything the server sent before
    // now is counted.
    void readEvents() {
        inputFocus();
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const int type = event->response_type & 0x7f;
            keyPresses += type == XCB_KEY_PRESS;
            buttonPresses += type == XCB_BUTTON_PRESS;
            std::free(event);
        }
    }

    int keyPresses = 0;
    int buttonPresses = 0;

private:
    xcb_atom_t atom(const char* name) {
        auto answer = reply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, false, qstrlen(name), name), nullptr));
        return answer ? answer->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    xcb_keycode_t keycode(xcb_keysym_t keysym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    }
    void fake(quint8 type, quint8 detail) {
        xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    xcb_connection_t* m_connection;
    xcb_key_symbols_t* m_symbols;
    xcb_window_t m_root = XCB_WINDOW_NONE;
};

struct Program : OverlayModelGraph {
    FakeAppIconSource icons;
    LockCards cards{{apps, drives, workspace, language, icons, logger}};
    QuickOverlayWindows overlays{cards, false, logger};
    QtScreens screens;
    QList<OverlayDismissReason> dismissals;

    std::vector<std::unique_ptr<OverlayWindow>> cover() {
        std::vector<std::unique_ptr<OverlayWindow>> windows;
        for (const QRect& screen : screens.screens())
            windows.push_back(overlays.create(
                screen, {QStringLiteral("Editor"), QStringLiteral("org.example.Editor"),
                         [this](OverlayDismissReason reason) { dismissals.append(reason); }}));
        return windows;
    }
};

// The whole overlay service on the real windows and screens.
struct CoveringProgram : OverlayServiceRig<Program> {
    ProtectedApp editor() {
        return ProtectedApp{QUuid::createUuid(),
                            QStringLiteral("org.example.Editor"),
                            QStringLiteral("Editor"),
                            QString(),
                            true,
                            std::nullopt,
                            QDateTime()};
    }
};

QQuickWindow& quickWindow(const std::unique_ptr<OverlayWindow>& window) {
    return static_cast<LockOverlayWindow&>(*window).window();
}

xcb_window_t id(const std::unique_ptr<OverlayWindow>& window) {
    return static_cast<xcb_window_t>(quickWindow(window).winId());
}

// Counts the presses that reach a window of this program.
class PressCounter : public QObject {
public:
    explicit PressCounter(QObject* target) { target->installEventFilter(this); }
    int mouse = 0;
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            ++mouse;
        if (event->type() == QEvent::KeyPress)
            keys.append(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
};

} // namespace

class LockOverlayWindowTest : public QObject {
    Q_OBJECT

public:
    explicit LockOverlayWindowTest(const X11Desktop& desktop)
        : m_desktop(desktop) {}

private slots:
    void initTestCase() {
        if (m_desktop.display().isEmpty())
            QSKIP(qPrintable(m_desktop.problem() +
                             QStringLiteral("; the real overlay windows are not exercised")));
        QVERIFY2(m_desktop.problem().isEmpty(), qPrintable(m_desktop.problem()));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    void oneOverlayCoversEachScreenExactly() {
        Program program;
        const QList<QRect> screens = program.screens.screens();
        QCOMPARE(screens, (QList<QRect>{QRect(0, 0, 1280, 960), QRect(1280, 0, 1280, 800)}));
        const auto windows = program.cover();
        QCOMPARE(windows.size(), std::size_t(screens.size()));
        OtherApp observer;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            QTRY_VERIFY_WITH_TIMEOUT(quickWindow(windows[i]).isExposed(), 10000);
            QCOMPARE(observer.geometry(id(windows[i])), screens.at(int(i)));
            QVERIFY(static_cast<LockOverlayWindow&>(*windows[i]).view());
        }
        QVERIFY2(program.logger.lines.isEmpty(), qPrintable(program.logger.lines.join(u'\n')));
    }

    // The user was watching a full-screen video in another application when the overlay came up.
    void staysAboveAFocusedFullScreenWindow() {
        Program program;
        OtherApp video;
        const QRect screen = program.screens.screens().first();
        const xcb_window_t player = video.openWindow(screen, true);
        QTRY_COMPARE_WITH_TIMEOUT(video.activeWindow(), player, 10000);

        const auto windows = program.cover();
        QTRY_VERIFY_WITH_TIMEOUT(quickWindow(windows.front()).isExposed(), 10000);
        // The player is focused and raised again, as when the user picks it in a task bar.
        video.activate(player);
        QTRY_COMPARE_WITH_TIMEOUT(video.geometry(player), screen, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(video.activeWindow(), player, 10000);
        const QList<xcb_window_t> stacking = video.stacking();
        QVERIFY(stacking.indexOf(id(windows.front())) > stacking.indexOf(video.topLevel(player)));

        // A click lands on the overlay, not on the player below it.
        PressCounter overlayPresses(&quickWindow(windows.front()));
        video.click(screen.topLeft() + QPoint(20, 20));
        QTRY_COMPARE_WITH_TIMEOUT(overlayPresses.mouse, 1, 10000);
        video.readEvents();
        QCOMPARE(video.buttonPresses, 0);
        QCOMPARE(video.activeWindow(), player);
    }

    // The drive was pulled while the user typed in the editor: nothing typed reaches it until the
    // card goes, even when it is picked again in a task bar, and the panic key still works.
    void keysStayFromTheLockedAppWhileTheCardShows() {
        Program program;
        X11HotKeyBackend backend(program.logger, X11HotKeyBackend::qtConnection());
        HotKeysController controller(backend, program.logger);
        SafetyManager safety(controller, program.logger);
        int panics = 0;
        safety.onPanicKeyPressed = [&] { ++panics; };
        OtherApp editor;
        const xcb_window_t page = editor.openWindow(QRect(100, 100, 400, 300), false);
        QTRY_COMPARE_WITH_TIMEOUT(editor.inputFocus(), page, 10000);
        editor.type({}, XK_a);
        QTRY_COMPARE_WITH_TIMEOUT((editor.readEvents(), editor.keyPresses), 1, 10000);

        auto windows = program.cover();
        QTRY_VERIFY_WITH_TIMEOUT(quickWindow(windows.front()).isExposed(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(quickWindow(windows.front()).isActive(), 10000);
        editor.activate(page);
        QTRY_COMPARE_WITH_TIMEOUT(editor.inputFocus(), page, 10000);
        editor.type({}, XK_s);
        editor.type({XK_Shift_L}, XK_e);
        // X delivers in order: once the panic key is in, the letters were dealt with before it.
        editor.type({XK_Control_L, XK_Alt_L, XK_Super_L, XK_Shift_L}, XK_u);
        QTRY_COMPARE_WITH_TIMEOUT(panics, 1, 10000);
        editor.readEvents();
        QCOMPARE(editor.keyPresses, 1);

        windows.clear();
        // The three letters, the panic key's among them; modifiers alone are no keys.
        QVERIFY2(program.logger.lines.contains(
                     QStringLiteral("[Velmora] Kept 3 keys from Editor while it was locked")),
                 qPrintable(program.logger.lines.join(u'\n')));
        QCOMPARE(editor.inputFocus(), page);
        editor.type({}, XK_a);
        QTRY_COMPARE_WITH_TIMEOUT((editor.readEvents(), editor.keyPresses), 2, 10000);

        // A menu of another program holds the keyboard: one line says the card could not take it.
        OtherApp menu;
        std::free(xcb_grab_keyboard_reply(menu.connection(),
                                          xcb_grab_keyboard(menu.connection(), 1, menu.root(),
                                                            XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                                                            XCB_GRAB_MODE_ASYNC),
                                          nullptr));
        windows = program.cover();
        const QString refused = QStringLiteral(
            "[Velmora] Could not take the keyboard while the lock card shows: another program "
            "holds it");
        QTRY_VERIFY_WITH_TIMEOUT(program.logger.lines.contains(refused), 10000);
        QCOMPARE(program.logger.lines.count(refused), 1);
    }

    // Over a window full of text and without a blurring compositor, everything around the card is
    // one opaque colour, the card's own: nothing of the text can be read through it.
    void backdropShowsNothingOfTheWindowBehind() {
        Program program;
        OtherApp editor;
        const QRect screen = program.screens.screens().first();
        const xcb_window_t page = editor.openWindow(screen, false);
        QTRY_VERIFY_WITH_TIMEOUT(editor.viewable(page), 10000);
        editor.fillWithText(page, screen.size());
        QTRY_VERIFY_WITH_TIMEOUT(editor.capture(screen).count(0xFFFFFF) > 10000, 10000);

        const auto windows = program.cover();
        QTRY_VERIFY_WITH_TIMEOUT(quickWindow(windows.front()).isExposed(), 10000);
        auto* card = static_cast<LockOverlayWindow&>(*windows.front())
                         .view()
                         ->findChild<QQuickItem*>(QStringLiteral("card"));
        QVERIFY(card);
        // The card and its shadow, 20 points out and 8 down, are left out.
        const QSize cardSize(int(card->width()), int(card->height()));
        const QRect cardArea =
            QRect(screen.center() - QPoint(cardSize.width(), cardSize.height()) / 2, cardSize)
                .adjusted(-24, -24, 24, 32);
        const quint32 cardDark = 0x2C2C2E;
        const auto strayPixels = [&] {
            const QList<quint32> shown = editor.capture(screen);
            if (shown.isEmpty())
                return -1;
            int stray = 0;
            for (int y = 0; y < screen.height(); ++y) {
                for (int x = 0; x < screen.width(); ++x) {
                    const quint32 pixel = shown.at(y * screen.width() + x);
                    stray += !cardArea.contains(x, y) && pixel != cardDark;
                }
            }
            return stray;
        };
        QTRY_COMPARE_WITH_TIMEOUT(strayPixels(), 0, 10000);
    }

    void serviceCoversBothScreensAndFollowsAnUnpluggedScreen() {
        CoveringProgram program;
        program.service.showDriveRequired(program.editor());
        QCOMPARE(program.service.windowCount(), std::size_t(2));
        QVERIFY(m_desktop.setSecondScreen(false));
        QTRY_COMPARE_WITH_TIMEOUT(program.service.windowCount(), std::size_t(1), 10000);
        QVERIFY(m_desktop.setSecondScreen(true));
        QTRY_COMPARE_WITH_TIMEOUT(program.service.windowCount(), std::size_t(2), 10000);
        QVERIFY(program.logger.lines.contains(
            QStringLiteral("[Velmora] Overlays repositioned for screen change (1 screens)")));
    }

    // Force Quit on the second screen's card takes every overlay down, its own included.
    void forceQuitOnEitherScreenDismissesAll() {
        CoveringProgram program;
        const RunningApplication editor =
            program.workspace.launch(QStringLiteral("org.example.Editor"));
        program.service.showDriveRequired(program.editor());
        OtherApp user;
        QTRY_COMPARE_WITH_TIMEOUT(program.service.windowCount(), std::size_t(2), 10000);
        QQuickWindow* second = nullptr;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->isVisible() && window->geometry().x() == 1280)
                second = qobject_cast<QQuickWindow*>(window);
        }
        QVERIFY(second);
        QTRY_VERIFY_WITH_TIMEOUT(second->isExposed(), 10000);
        QVERIFY(!second->contentItem()->childItems().isEmpty());
        QQuickItem* view = second->contentItem()->childItems().first();
        auto* card = view->findChild<QQuickItem*>(QStringLiteral("card"));
        QVERIFY(card);
        QTRY_COMPARE_WITH_TIMEOUT(card->scale(), 1.0, 10000);
        auto* button = view->findChild<QQuickItem*>(QStringLiteral("forceQuit"));
        user.click(button->mapToGlobal(button->boundingRect().center()).toPoint());
        QTRY_VERIFY_WITH_TIMEOUT(!program.service.isShowing(), 10000);
        QCOMPARE(program.workspace.terminated, QList<RunningApplication>{editor});
        QVERIFY(program.logger.lines.contains(
            QStringLiteral("[Velmora] Overlay dismissed (reason: forceQuit)")));
    }

    void staysOnEveryDesktop() {
        Program program;
        const auto windows = program.cover();
        QTRY_VERIFY_WITH_TIMEOUT(quickWindow(windows.front()).isExposed(), 10000);
        OtherApp pager;
        pager.switchToDesktop(1);
        QTRY_COMPARE_WITH_TIMEOUT(pager.cardinal(pager.root(), "_NET_CURRENT_DESKTOP"), 1u, 10000);
        QVERIFY(pager.viewable(id(windows.front())));
        pager.switchToDesktop(0);
        QTRY_COMPARE_WITH_TIMEOUT(pager.cardinal(pager.root(), "_NET_CURRENT_DESKTOP"), 0u, 10000);
    }

    // Under GNOME's window manager the window stays managed: then these hints keep it on every
    // desktop and above, next to what Qt asks for.
    void managedWindowHintsKeepQtsStates() {
        OtherApp observer;
        QCOMPARE(X11OverlayHints::windowManagerName(observer.connection()), QByteArray("Openbox"));
        QVERIFY(X11OverlayHints::mayBypassWindowManager("Openbox", false));
        QVERIFY(!X11OverlayHints::mayBypassWindowManager("GNOME Shell", false));
        QVERIFY(!X11OverlayHints::mayBypassWindowManager("Mutter (Muffin)", false));
        QVERIFY(X11OverlayHints::mayBypassWindowManager("GNOME Shell", true));

        QWindow window;
        window.setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                        Qt::WindowDoesNotAcceptFocus);
        window.create();
        const auto xid = static_cast<xcb_window_t>(window.winId());
        X11OverlayHints::keepOnEveryDesktop(observer.connection(), xid);
        const QStringList asked = observer.states(xid);
        for (const char* state : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE",
                                  "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
            QVERIFY2(asked.contains(QLatin1String(state)), state);
        window.setWindowStates(Qt::WindowFullScreen);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.isExposed(), 10000);
        // The window manager now owns the states; openbox keeps "every desktop" as the desktop
        // number rather than as the sticky state, and grants no full-screen state to a tool
        // window (its geometry covers the screen anyway).
        QCOMPARE(observer.cardinal(xid, "_NET_WM_DESKTOP"), 0xFFFFFFFFu);
        const QStringList granted = observer.states(xid);
        for (const char* state :
             {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
            QVERIFY2(granted.contains(QLatin1String(state)), qPrintable(granted.join(u' ')));
    }

    void keyMonitorDropsCtrlQBeforeItsShortcutFires() {
        QWindow window;
        window.setGeometry(QRect(100, 100, 300, 200));
        PressCounter presses(&window);
        QShortcut quit(QKeySequence(QStringLiteral("Ctrl+Q")), &window);
        int quits = 0;
        connect(&quit, &QShortcut::activated, this, [&] { ++quits; });
        window.show();
        window.requestActivate();
        QTRY_VERIFY_WITH_TIMEOUT(window.isActive(), 10000);

        QtKeyMonitor monitor;
        QList<int> asked;
        const auto handle = monitor.install([&](const KeyPress& press) {
            asked.append(press.key);
            return press.key == Qt::Key_Q && press.modifiers.testFlag(Qt::ControlModifier);
        });
        OtherApp keyboard;
        keyboard.type({XK_Control_L}, XK_q);
        keyboard.type({XK_Control_L, XK_Shift_L}, XK_q);
        keyboard.type({XK_Control_L}, XK_e);
        QTRY_VERIFY_WITH_TIMEOUT(presses.keys.contains(Qt::Key_E), 10000);
        QVERIFY(!presses.keys.contains(Qt::Key_Q));
        QCOMPARE(quits, 0);
        // Each dropped press was looked at once, though it came as a shortcut check and a press.
        QCOMPARE(asked.count(Qt::Key_Q), 2);

        monitor.remove(handle);
        keyboard.type({XK_Control_L}, XK_q);
        QTRY_COMPARE_WITH_TIMEOUT(quits, 1, 10000);
    }

    void selfActivationRaisesAWindowOfTheProgramButNoOverlay() {
        Program program;
        const auto windows = program.cover();
        QTRY_VERIFY_WITH_TIMEOUT(quickWindow(windows.front()).isExposed(), 10000);
        QtSelfActivation selfActivation;
        // Only overlays are shown: nothing to raise, and no overlay gets focus.
        selfActivation.activate();
        QWindow settings;
        settings.setGeometry(QRect(50, 50, 300, 200));
        settings.show();
        OtherApp other;
        const xcb_window_t editor = other.openWindow(QRect(200, 200, 300, 200), false);
        QTRY_COMPARE_WITH_TIMEOUT(other.activeWindow(), editor, 10000);
        selfActivation.activate();
        QTRY_VERIFY_WITH_TIMEOUT(settings.isActive(), 10000);
        QVERIFY(!quickWindow(windows.front()).isActive());
    }

private:
    const X11Desktop& m_desktop;
};

int main(int argc, char** argv) {
    X11Desktop desktop;
    if (!desktop.display().isEmpty()) {
        qputenv("DISPLAY", desktop.display());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QGuiApplication application(argc, argv);
    LockOverlayWindowTest test(desktop);
    return QTest::qExec(&test, argc, argv);
}

#include "LockOverlayWindowTest.moc"
