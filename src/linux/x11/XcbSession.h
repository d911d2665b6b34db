#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct xcb_connection_t;

// A connection of our own to the X server, with the few EWMH atoms the workspace needs.
class XcbSession {
public:
    using Window = std::uint32_t;
    using Atom = std::uint32_t;

    // Null when there is no X server to talk to (no DISPLAY, pure Wayland, a refused connection).
    static std::unique_ptr<XcbSession> open(const QByteArray& displayName = {});
    ~XcbSession();
    XcbSession(const XcbSession&) = delete;
    XcbSession& operator=(const XcbSession&) = delete;

    xcb_connection_t* connection() const { return m_connection; }
    Window root() const { return m_root; }
    int fileDescriptor() const;

    Atom activeWindowAtom() const { return m_activeWindow; }
    Atom wmPidAtom() const { return m_wmPid; }
    Atom clientListAtom() const { return m_clientList; }

    // The 32-bit values of a property; empty when it is missing or of another format.
    std::vector<std::uint32_t> property(Window window, Atom atom) const;
    std::optional<std::uint32_t> firstValue(Window window, Atom atom) const;

private:
    XcbSession(xcb_connection_t* connection, Window root);
    Atom intern(const char* name) const;

    xcb_connection_t* m_connection = nullptr;
    Window m_root = 0;
    Atom m_activeWindow = 0;
    Atom m_wmPid = 0;
    Atom m_clientList = 0;
};
