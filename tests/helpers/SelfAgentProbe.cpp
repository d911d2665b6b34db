// Asks polkit for the program's own action the way Velmora does, with no desktop agent, and
// answers Velmora's own agent from the command line: each argument is the answer to one password
// question, "-" cancels. Prints what the agent did and the answer, one line each.
#include "dbus/PolkitAuthBackend.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList answers = application.arguments().mid(1);
    QTextStream out(stdout);
    const auto say = [&out](const QString& line) { out << line << Qt::endl; };
    PolkitAuthBackend backend(QDBusConnection::systemBus(), 60000);
    PolkitSelfAgent& agent = backend.selfAgent();
    QObject::connect(&agent, &PolkitSelfAgent::opened, [&] { say(QStringLiteral("opened")); });
    QObject::connect(&agent, &PolkitSelfAgent::closed, [&] { say(QStringLiteral("closed")); });
    QObject::connect(&agent, &PolkitSelfAgent::attemptFailed,
                     [&](int left) { say(QStringLiteral("failed %1").arg(left)); });
    QObject::connect(&agent, &PolkitSelfAgent::requested, [&](const QString& prompt, bool) {
        say(QStringLiteral("asked ") + prompt.trimmed());
        const QString answer = answers.isEmpty() ? QStringLiteral("-") : answers.takeFirst();
        if (answer == u"-")
            agent.cancel();
        else
            agent.respond(answer);
    });
    backend.authenticate(QStringLiteral("Quit Velmora"),
                         [&](AuthBackend::Result result, const QString& error) {
                             say(QStringLiteral("result %1 %2").arg(int(result)).arg(error));
                             QCoreApplication::exit(0);
                         });
    return QCoreApplication::exec();
}
