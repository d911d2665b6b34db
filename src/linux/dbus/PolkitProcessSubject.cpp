#include "dbus/PolkitProcessSubject.h"

#include <QCoreApplication>
#include <QFile>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace {

// Field 22 of /proc/self/stat.
std::optional<quint64> processStartTime() {
    QFile stat(u"/proc/self/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = stat.readAll();
    // The command name may contain spaces and parentheses; the fields start after the last ')'.
    const qsizetype end = line.lastIndexOf(')');
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(end + 2).split(' ');
    constexpr int startTimeIndex = 22 - 3;
    bool ok = false;
    const quint64 startTime = fields.value(startTimeIndex).toULongLong(&ok);
    return ok ? std::optional(startTime) : std::nullopt;
}

} // namespace

std::optional<QDBusArgument> PolkitProcessSubject::thisProcess() {
    const auto startTime = processStartTime();
    if (!startTime)
        return std::nullopt;
    QDBusArgument subject;
    subject.beginStructure();
    subject << u"unix-process"_s
            << QVariantMap{{u"pid"_s, quint32(QCoreApplication::applicationPid())},
                           {u"start-time"_s, *startTime}};
    subject.endStructure();
    return subject;
}
