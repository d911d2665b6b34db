#pragma once

#include "ports/Screens.h"

#include <QObject>
#include <cstdint>
#include <map>
#include <memory>

class WaylandConnection;
struct wl_output;
struct zxdg_output_manager_v1;

// The compositor's outputs, in the order they appeared, each with its logical position and size
// (xdg-output; the output's own mode and scale where the compositor lacks it). Tells of outputs
// that come, go, move or change size.
class WaylandScreens : public QObject, public Screens {
    Q_OBJECT

public:
    explicit WaylandScreens(WaylandConnection& connection, QObject* parent = nullptr);
    ~WaylandScreens() override;

    QList<QRect> screens() const override;
    // The output whose logical rectangle is `screen`; null when none is.
    wl_output* outputAt(const QRect& screen) const;

    struct Output;

private:
    void addOutput(std::uint32_t name);
    void removeOutput(std::uint32_t name);

    WaylandConnection& m_connection;
    zxdg_output_manager_v1* m_outputManager = nullptr;
    // By registry name, which grows with every new global: the order outputs appeared in.
    std::map<std::uint32_t, std::unique_ptr<Output>> m_outputs;
};
