#include "platform/linux/SystemLogger.h"

#include <cstdio>
#include <syslog.h>

SystemLogger::SystemLogger() {
    openlog("velmora", LOG_PID, LOG_USER);
}

SystemLogger::~SystemLogger() {
    closelog();
}

void SystemLogger::log(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fprintf(stderr, "%s\n", bytes.constData());
    std::fflush(stderr);
    syslog(LOG_NOTICE, "%s", bytes.constData());
}
