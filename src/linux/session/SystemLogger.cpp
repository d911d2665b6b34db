#include "session/SystemLogger.h"

#include <cstdio>
#include <syslog.h>

namespace {

bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

QString escaped(char16_t c) {
    switch (c) {
    case u'\n':
        return QStringLiteral("\\n");
    case u'\t':
        return QStringLiteral("\\t");
    case u'\r':
        return QStringLiteral("\\r");
    default:
        return c <= 0xff ? QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'))
                         : QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
    }
}

} // namespace

SystemLogger::SystemLogger() {
    openlog("velmora", LOG_PID, LOG_USER);
}

SystemLogger::~SystemLogger() {
    closelog();
}

void SystemLogger::log(const QString& line) {
    const QByteArray bytes = escapeControlCharacters(line).toUtf8();
    std::fprintf(stderr, "%s\n", bytes.constData());
    std::fflush(stderr);
    syslog(LOG_NOTICE, "%s", bytes.constData());
}

QString SystemLogger::escapeControlCharacters(const QString& line) {
    QString result;
    result.reserve(line.size());
    for (const QChar c : line) {
        if (isControl(c.unicode()))
            result += escaped(c.unicode());
        else
            result += c;
    }
    return result;
}
