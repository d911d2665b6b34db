#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

class QLocalSocket;

// sway's IPC socket (the i3 protocol): commands, queries and event subscriptions, all without
// waiting. Replies come back in the order the messages were sent.
class SwayIpc : public QObject {
    Q_OBJECT

public:
    enum class Message : std::uint32_t {
        runCommand = 0,
        getWorkspaces = 1,
        subscribe = 2,
        getOutputs = 3,
        getTree = 4,
    };
    // Event types as sway numbers them, without the high bit it sets on events.
    enum class Event : std::uint32_t {
        workspace = 0,
        output = 1,
        mode = 2,
        window = 3,
        barconfigUpdate = 4,
        binding = 5,
        shutdown = 6,
        tick = 7,
    };
    using ReplyHandler = std::function<void(const QJsonDocument& reply)>;

    // Null without a sway socket (`path` empty) or when it refuses the connection.
    static std::unique_ptr<SwayIpc> connectTo(const QString& path);
    ~SwayIpc() override;

    // `reply` (optional) gets the answer; a null document when the connection went first.
    void send(Message type, const QByteArray& payload, ReplyHandler reply = {});
    void runCommand(const QString& command, ReplyHandler reply = {});
    // Events of these kinds arrive through `eventReceived` from now on.
    void subscribe(const QStringList& events, ReplyHandler reply = {});
    // Blocks until every message sent has been answered, at most `timeoutMs`; only for the way
    // out, where sway would drop messages still unread when the connection closes.
    void waitForReplies(int timeoutMs);

signals:
    void eventReceived(SwayIpc::Event type, const QJsonDocument& payload);
    void disconnected();

private:
    explicit SwayIpc(std::unique_ptr<QLocalSocket> socket);
    void readMessages();
    void dropPendingReplies();

    std::unique_ptr<QLocalSocket> m_socket;
    QByteArray m_buffer;
    std::deque<ReplyHandler> m_pending;
};
