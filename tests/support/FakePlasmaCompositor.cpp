#include "support/FakePlasmaCompositor.h"

#include <QFile>
#include <algorithm>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <plasma-window-management-server.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>
#include <wayland-server.h>

namespace {

constexpr std::uint32_t version = 16;

} // namespace

// Lives on the compositor's thread; the test reaches it only through `run`.
struct FakePlasmaCompositor::Server {
    struct Window {
        Server* server = nullptr;
        int number = 0;
        QByteArray uuid;
        QByteArray appId;
        pid_t pid = 0;
        bool active = false;
        std::vector<wl_resource*> resources;
    };

    wl_display* display = nullptr;
    int wake = -1;
    std::mutex mutex;
    std::deque<std::function<void()>> work;
    std::vector<wl_resource*> managers;
    std::map<int, std::unique_ptr<Window>> windows;
    int windowsMade = 0;

    // Runs `task` on the compositor's thread and waits for it.
    void run(std::function<void()> task) {
        std::promise<void> done;
        {
            const std::lock_guard lock(mutex);
            work.push_back([&] {
                task();
                done.set_value();
            });
        }
        const std::uint64_t one = 1;
        (void)::write(wake, &one, sizeof one);
        done.get_future().wait();
    }

    void runWork() {
        std::uint64_t count = 0;
        (void)::read(wake, &count, sizeof count);
        std::deque<std::function<void()>> tasks;
        {
            const std::lock_guard lock(mutex);
            tasks.swap(work);
        }
        for (const auto& task : tasks)
            task();
    }

    static std::uint32_t flags(const Window& window) {
        return window.active ? ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE : 0;
    }

    void focus(int number) {
        // The window losing the focus hears it first, as KWin sends it.
        for (const bool becomingActive : {false, true}) {
            for (const auto& [each, window] : windows) {
                const bool active = each == number;
                if (active != becomingActive || window->active == active)
                    continue;
                window->active = active;
                for (wl_resource* resource : window->resources)
                    org_kde_plasma_window_send_state_changed(resource, flags(*window));
            }
        }
    }

    int open(const QString& appId, pid_t pid) {
        auto window = std::make_unique<Window>();
        window->server = this;
        window->number = ++windowsMade;
        window->uuid = "window-" + QByteArray::number(window->number);
        window->appId = appId.toUtf8();
        window->pid = pid;
        for (wl_resource* manager : managers)
            org_kde_plasma_window_management_send_window_with_uuid(manager, window->number,
                                                                   window->uuid.constData());
        windows.emplace(window->number, std::move(window));
        focus(windowsMade);
        return windowsMade;
    }

    void close(int number) {
        const auto found = windows.find(number);
        if (found == windows.end())
            return;
        for (wl_resource* resource : found->second->resources) {
            org_kde_plasma_window_send_unmapped(resource);
            wl_resource_set_user_data(resource, nullptr);
        }
        windows.erase(found);
    }

    void describe(Window& window, wl_resource* resource) {
        org_kde_plasma_window_send_app_id_changed(resource, window.appId.constData());
        org_kde_plasma_window_send_pid_changed(resource, static_cast<std::uint32_t>(window.pid));
        org_kde_plasma_window_send_state_changed(resource, flags(window));
        org_kde_plasma_window_send_initial_state(resource);
    }

    void getWindow(wl_client* client, wl_resource* manager, std::uint32_t id, const char* uuid) {
        wl_resource* resource = wl_resource_create(client, &org_kde_plasma_window_interface,
                                                   wl_resource_get_version(manager), id);
        const auto found = std::find_if(windows.begin(), windows.end(), [&](const auto& each) {
            return each.second->uuid == uuid;
        });
        Window* window = found == windows.end() ? nullptr : found->second.get();
        // Only what the watcher sends is served.
        static const auto implementation = [] {
            struct org_kde_plasma_window_interface requests {};
            requests.set_state = &Server::onSetState;
            requests.destroy = &Server::onDestroy;
            return requests;
        }();
        wl_resource_set_implementation(resource, &implementation, window, &Server::onGone);
        if (!window) {
            org_kde_plasma_window_send_unmapped(resource);
            return;
        }
        window->resources.push_back(resource);
        describe(*window, resource);
    }

    static Server* of(wl_resource* resource) {
        return static_cast<Server*>(wl_resource_get_user_data(resource));
    }

    static void onBind(wl_client* client, void* data, std::uint32_t boundVersion,
                       std::uint32_t id) {
        auto* server = static_cast<Server*>(data);
        wl_resource* manager = wl_resource_create(
            client, &org_kde_plasma_window_management_interface, boundVersion, id);
        static const auto implementation = [] {
            struct org_kde_plasma_window_management_interface requests {};
            requests.get_window_by_uuid = &Server::onGetWindow;
            return requests;
        }();
        wl_resource_set_implementation(manager, &implementation, server, [](wl_resource* gone) {
            std::erase(of(gone)->managers, gone);
        });
        server->managers.push_back(manager);
        for (const auto& [number, window] : server->windows)
            org_kde_plasma_window_management_send_window_with_uuid(manager, number,
                                                                   window->uuid.constData());
    }

    static void onGetWindow(wl_client* client, wl_resource* manager, std::uint32_t id,
                            const char* uuid) {
        of(manager)->getWindow(client, manager, id, uuid);
    }

    static void onSetState(wl_client*, wl_resource* resource, std::uint32_t flags,
                           std::uint32_t state) {
        auto* window = static_cast<Window*>(wl_resource_get_user_data(resource));
        const std::uint32_t active = ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
        if (window && (flags & active) && (state & active))
            window->server->focus(window->number);
    }

    static void onDestroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

    static void onGone(wl_resource* resource) {
        if (auto* window = static_cast<Window*>(wl_resource_get_user_data(resource)))
            std::erase(window->resources, resource);
    }
};

FakePlasmaCompositor::FakePlasmaCompositor() {
    auto server = std::make_unique<Server>();
    server->display = wl_display_create();
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = socket();
    if (!m_dir.isValid() || listening < 0 || path.size() >= int(sizeof address.sun_path)) {
        wl_display_destroy(server->display);
        return;
    }
    std::copy(path.begin(), path.end(), address.sun_path);
    if (::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listening, 8) != 0 || wl_display_add_socket_fd(server->display, listening) != 0) {
        ::close(listening);
        wl_display_destroy(server->display);
        return;
    }
    server->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    wl_event_loop_add_fd(
        wl_display_get_event_loop(server->display), server->wake, WL_EVENT_READABLE,
        [](int, std::uint32_t, void* data) {
            static_cast<Server*>(data)->runWork();
            return 0;
        },
        server.get());
    wl_global_create(server->display, &org_kde_plasma_window_management_interface, version,
                     server.get(), &Server::onBind);
    m_server = std::move(server);
    m_thread = std::thread([display = m_server->display] { wl_display_run(display); });
}

FakePlasmaCompositor::~FakePlasmaCompositor() {
    if (!m_server)
        return;
    m_server->run([this] { wl_display_terminate(m_server->display); });
    m_thread.join();
    wl_display_destroy_clients(m_server->display);
    wl_display_destroy(m_server->display);
    ::close(m_server->wake);
}

QByteArray FakePlasmaCompositor::socket() const {
    return QFile::encodeName(m_dir.filePath(QStringLiteral("wayland-0")));
}

int FakePlasmaCompositor::open(const QString& appId, pid_t pid) {
    int number = 0;
    m_server->run([&] { number = m_server->open(appId, pid); });
    return number;
}

void FakePlasmaCompositor::focus(int window) {
    m_server->run([&] { m_server->focus(window); });
}

void FakePlasmaCompositor::close(int window) {
    m_server->run([&] { m_server->close(window); });
}
