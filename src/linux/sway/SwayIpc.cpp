#include "sway/SwayIpc.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QLocalSocket>
#include <cstring>

namespace {

constexpr char magic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr qsizetype headerSize = sizeof(magic) + 2 * sizeof(std::uint32_t);
constexpr std::uint32_t eventBit = 0x80000000u;
// Far beyond any tree sway sends; a longer length means the stream is not what we expect.
constexpr std::uint32_t largestPayload = 64u << 20;

std::uint32_t readNumber(const char* data) {
    std::uint32_t value = 0;
    std::memcpy(&value, data, sizeof value);
    return value;
}

QByteArray frame(std::uint32_t type, const QByteArray& payload) {
    QByteArray message(magic, sizeof magic);
    const auto length = static_cast<std::uint32_t>(payload.size());
    message.append(reinterpret_cast<const char*>(&length), sizeof length);
    message.append(reinterpret_cast<const char*>(&type), sizeof type);
    return message + payload;
}

} // namespace

std::unique_ptr<SwayIpc> SwayIpc::connectTo(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    auto socket = std::make_unique<QLocalSocket>();
    // A local socket connects at once or not at all.
    socket->connectToServer(path);
    if (socket->state() != QLocalSocket::ConnectedState)
        return nullptr;
    return std::unique_ptr<SwayIpc>(new SwayIpc(std::move(socket)));
}

SwayIpc::SwayIpc(std::unique_ptr<QLocalSocket> socket)
    : m_socket(std::move(socket)) {
    connect(m_socket.get(), &QLocalSocket::readyRead, this, &SwayIpc::readMessages);
    connect(m_socket.get(), &QLocalSocket::disconnected, this, [this] {
        dropPendingReplies();
        emit disconnected();
    });
}

SwayIpc::~SwayIpc() {
    m_socket->disconnect(this);
}

void SwayIpc::send(Message type, const QByteArray& payload, ReplyHandler reply) {
    if (m_socket->state() != QLocalSocket::ConnectedState) {
        if (reply)
            reply(QJsonDocument());
        return;
    }
    m_pending.push_back(std::move(reply));
    m_socket->write(frame(static_cast<std::uint32_t>(type), payload));
}

void SwayIpc::runCommand(const QString& command, ReplyHandler reply) {
    send(Message::runCommand, command.toUtf8(), std::move(reply));
}

void SwayIpc::subscribe(const QStringList& events, ReplyHandler reply) {
    send(Message::subscribe,
         QJsonDocument(QJsonArray::fromStringList(events)).toJson(QJsonDocument::Compact),
         std::move(reply));
}

void SwayIpc::waitForReplies(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    m_socket->flush();
    // readyRead, and with it readMessages, is emitted from within the wait.
    while (!m_pending.empty() && !deadline.hasExpired() &&
           m_socket->waitForReadyRead(int(deadline.remainingTime()))) {
    }
}

void SwayIpc::readMessages() {
    m_buffer.append(m_socket->readAll());
    while (m_buffer.size() >= headerSize) {
        const std::uint32_t length = readNumber(m_buffer.constData() + sizeof magic);
        if (std::memcmp(m_buffer.constData(), magic, sizeof magic) != 0 ||
            length > largestPayload) {
            // Out of step with the stream: nothing after this can be trusted.
            m_socket->abort();
            return;
        }
        if (m_buffer.size() < headerSize + qsizetype(length))
            return;
        const std::uint32_t type = readNumber(m_buffer.constData() + sizeof magic + 4);
        const QJsonDocument payload =
            QJsonDocument::fromJson(m_buffer.mid(headerSize, qsizetype(length)));
        m_buffer.remove(0, headerSize + qsizetype(length));
        if (type & eventBit) {
            emit eventReceived(static_cast<Event>(type & ~eventBit), payload);
            continue;
        }
        if (m_pending.empty())
            continue;
        ReplyHandler reply = std::move(m_pending.front());
        m_pending.pop_front();
        if (reply)
            reply(payload);
    }
}

void SwayIpc::dropPendingReplies() {
    std::deque<ReplyHandler> pending;
    pending.swap(m_pending);
    for (ReplyHandler& reply : pending) {
        if (reply)
            reply(QJsonDocument());
    }
}
