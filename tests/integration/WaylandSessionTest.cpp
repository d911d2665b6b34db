#include "support/SwaySession.h"
#include "sway/SwayIpc.h"
#include "wayland/WaylandConnection.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

// The program's own Wayland connection and sway's IPC, against a real headless sway.
class WaylandSessionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!m_sway.start())
            QSKIP(qPrintable(m_sway.error()));
    }

    void connectionSeesGlobalsAsTheyCome() {
        auto connection = WaylandConnection::open(m_sway.waylandDisplay());
        QVERIFY(connection);
        QVERIFY(connection->find(QStringLiteral("zwlr_layer_shell_v1")));
        QVERIFY(connection->find(QStringLiteral("zwlr_foreign_toplevel_manager_v1")));
        QSignalSpy added(connection.get(), &WaylandConnection::globalAdded);
        const QString output = m_sway.createOutput();
        QVERIFY(!output.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(added.begin(), added.end(),
                                             [](const QList<QVariant>& arguments) {
                                                 return arguments.at(1) ==
                                                        QStringLiteral("wl_output");
                                             }),
                                 10000);
    }

    void ipcAnswersInOrderAndDeliversEvents() {
        auto ipc = SwayIpc::connectTo(m_sway.ipcSocket());
        QVERIFY(ipc);
        QStringList answers;
        ipc->send(SwayIpc::Message::getOutputs, {}, [&](const QJsonDocument& reply) {
            answers.append(reply.isArray() ? QStringLiteral("outputs") : QStringLiteral("?"));
        });
        ipc->subscribe({QStringLiteral("tick")}, [&](const QJsonDocument& reply) {
            answers.append(reply.object().value(QStringLiteral("success")).toBool()
                               ? QStringLiteral("subscribed")
                               : QStringLiteral("?"));
        });
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, 10000);
        QCOMPARE(answers, (QStringList{QStringLiteral("outputs"), QStringLiteral("subscribed")}));
        QSignalSpy events(ipc.get(), &SwayIpc::eventReceived);
        m_sway.swaymsg(
            {QStringLiteral("-t"), QStringLiteral("send_tick"), QStringLiteral("hello")});
        QTRY_VERIFY_WITH_TIMEOUT(
            std::any_of(events.begin(), events.end(),
                        [](const QList<QVariant>& arguments) {
                            return arguments.at(1).toJsonDocument().object().value(
                                       QStringLiteral("payload")) == QStringLiteral("hello");
                        }),
            10000);
    }

    void noSocketMeansNoConnection() {
        QVERIFY(!WaylandConnection::open("/nonexistent/wayland-0"));
        QVERIFY(!SwayIpc::connectTo(QStringLiteral("/nonexistent/sway.sock")));
    }

private:
    SwaySession m_sway;
};

QTEST_GUILESS_MAIN(WaylandSessionTest)
#include "WaylandSessionTest.moc"
