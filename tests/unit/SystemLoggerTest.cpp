#include "session/SystemLogger.h"

#include <QtTest>

class SystemLoggerTest : public QObject {
    Q_OBJECT

private slots:
    // A hostile process name keeps its event on one line, with everything after it.
    void controlCharactersInNamesAreEscaped() {
        const QString name = QStringLiteral("evil") + QChar(u'\0') +
                             QStringLiteral("\nfake\tline\r") + QChar(0x1b) + QChar(0x85) +
                             QChar(0x2028) + QStringLiteral("ü 名");
        QCOMPARE(
            SystemLogger::escapeControlCharacters(
                QStringLiteral("[Velmora] killing new process: %1 (pid=42)").arg(name)),
            QStringLiteral("[Velmora] killing new process: evil\\x00\\nfake\\tline\\r\\x1b\\x85"
                           "\\u2028ü 名 (pid=42)"));
    }
};

QTEST_APPLESS_MAIN(SystemLoggerTest)
#include "SystemLoggerTest.moc"
