#include "wayland/WaylandScreens.h"

#include "wayland/WaylandConnection.h"

#include "xdg-output-unstable-v1-client.h"
#include <wayland-client.h>

struct WaylandScreens::Output {
    WaylandScreens* owner = nullptr;
    wl_output* output = nullptr;
    zxdg_output_v1* logical = nullptr;
    QRect rect;
    // What the compositor said since its last "done".
    QRect pending;
    QSize modeSize;
    int scale = 1;
    bool announced = false;

    ~Output() {
        if (logical)
            zxdg_output_v1_destroy(logical);
        if (output)
            wl_output_destroy(output);
    }

    // Applies what was said since the last "done"; tells when the rectangle changed.
    void done() {
        QRect next = pending;
        if (!logical && modeSize.isValid())
            next.setSize(modeSize / std::max(scale, 1));
        if (next.isEmpty() || (announced && next == rect))
            return;
        rect = next;
        announced = true;
        owner->notifyChanged();
    }
};

namespace {

using Output = WaylandScreens::Output;

Output* outputOf(void* data) {
    return static_cast<Output*>(data);
}

const wl_output_listener outputListener = {
    // geometry: the position, used only without xdg-output.
    [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
       std::int32_t, const char*, const char*, std::int32_t) {
        if (!outputOf(data)->logical)
            outputOf(data)->pending.moveTo(x, y);
    },
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
       std::int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT)
            outputOf(data)->modeSize = QSize(width, height);
    },
    [](void* data, wl_output*) { outputOf(data)->done(); },
    [](void* data, wl_output*, std::int32_t factor) { outputOf(data)->scale = factor; },
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener logicalListener = {
    [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
        outputOf(data)->pending.moveTo(x, y);
    },
    [](void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
        outputOf(data)->pending.setSize(QSize(width, height));
    },
    // Sent by compositors of the older version only; the newer ones end with the output's "done".
    [](void* data, zxdg_output_v1*) { outputOf(data)->done(); },
    [](void*, zxdg_output_v1*, const char*) {},
    [](void*, zxdg_output_v1*, const char*) {},
};

} // namespace

WaylandScreens::WaylandScreens(WaylandConnection& connection, QObject* parent)
    : QObject(parent)
    , m_connection(connection) {
    m_outputManager =
        connection.bindFirst<zxdg_output_manager_v1>(zxdg_output_manager_v1_interface, 3);
    for (const auto& [name, global] : connection.globals()) {
        if (global.interface == QLatin1String(wl_output_interface.name))
            addOutput(name);
    }
    connect(&connection, &WaylandConnection::globalAdded, this,
            [this](std::uint32_t name, const QString& interface) {
                if (interface == QLatin1String(wl_output_interface.name))
                    addOutput(name);
            });
    connect(&connection, &WaylandConnection::globalRemoved, this,
            [this](std::uint32_t name) { removeOutput(name); });
}

WaylandScreens::~WaylandScreens() {
    m_outputs.clear();
    if (m_outputManager)
        zxdg_output_manager_v1_destroy(m_outputManager);
}

QList<QRect> WaylandScreens::screens() const {
    QList<QRect> result;
    for (const auto& [name, output] : m_outputs) {
        if (output->announced)
            result.append(output->rect);
    }
    return result;
}

wl_output* WaylandScreens::outputAt(const QRect& screen) const {
    for (const auto& [name, output] : m_outputs) {
        if (output->announced && output->rect == screen)
            return output->output;
    }
    return nullptr;
}

void WaylandScreens::addOutput(std::uint32_t name) {
    // Version 2 brings "done", which ends each batch of changes.
    auto* bound = static_cast<wl_output*>(m_connection.bind(name, &wl_output_interface, 2));
    if (!bound)
        return;
    auto output = std::make_unique<Output>();
    output->owner = this;
    output->output = bound;
    wl_output_add_listener(bound, &outputListener, output.get());
    if (m_outputManager) {
        output->logical = zxdg_output_manager_v1_get_xdg_output(m_outputManager, bound);
        zxdg_output_v1_add_listener(output->logical, &logicalListener, output.get());
    }
    m_outputs[name] = std::move(output);
    m_connection.flush();
}

void WaylandScreens::removeOutput(std::uint32_t name) {
    const auto found = m_outputs.find(name);
    if (found == m_outputs.end())
        return;
    const bool wasAnnounced = found->second->announced;
    m_outputs.erase(found);
    if (wasAnnounced)
        notifyChanged();
}
