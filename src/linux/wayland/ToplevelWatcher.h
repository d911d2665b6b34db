#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <sys/types.h>

// A compositor's list of windows, as one of its protocols reports it: tells which window became
// the activated one, once per change of window, and raises a window on request.
class ToplevelWatcher : public QObject {
    Q_OBJECT

public:
    struct Window {
        QString appId;
        // 0 when the compositor does not name the process behind the window.
        pid_t pid = 0;
    };
    // The window that is now the activated one, or nullopt when none is.
    using ActivationHandler = std::function<void(const std::optional<Window>& window)>;
    using WindowFilter = std::function<bool(const Window& window)>;

    // False once the compositor stopped the list or the connection was lost.
    virtual bool isWatching() const = 0;
    // Asks the compositor to activate the first window passing `matches`; false when there is
    // none or the compositor cannot be asked.
    virtual bool activate(const WindowFilter& matches) = 0;

signals:
    // No more windows will be reported.
    void stopped();

protected:
    explicit ToplevelWatcher(ActivationHandler onActivated);

    // Never reused, unlike a protocol object's address.
    std::uint64_t newSerial() { return ++m_serials; }
    // A window as the compositor now describes it. A focus change touches two windows, each
    // reported on its own, so the activated window is judged once the burst has been read.
    void changed(std::uint64_t serial, Window window, bool activated);
    void removed(std::uint64_t serial);
    // Forgets every window without reporting.
    void clear() { m_windows.clear(); }
    // The serial of the first window passing `matches`, or 0.
    std::uint64_t find(const WindowFilter& matches) const;

private:
    struct Known {
        Window window;
        bool activated = false;
        // When it last became activated, to pick the newest when a compositor marks several.
        std::uint64_t activatedAt = 0;
    };

    void scheduleSettle();
    void settle();

    ActivationHandler m_onActivated;
    // By serial, so in the order the windows appeared.
    std::map<std::uint64_t, Known> m_windows;
    std::uint64_t m_serials = 0;
    std::uint64_t m_activeSerial = 0;
    std::uint64_t m_activations = 0;
    bool m_settleScheduled = false;
};
