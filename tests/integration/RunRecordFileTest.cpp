#include "storage/RunRecordFile.h"
#include "fakes/CapturingLogger.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class RunRecordFileTest : public QObject {
    Q_OBJECT

private slots:
    // Never ran, ran, and a record nobody can read are three different answers.
    void readsBackWhatItRecordedAndDistrustsAnythingElse() {
        QTemporaryDir runtime;
        CapturingLogger logger;
        const QString path = runtime.filePath(QStringLiteral("velmora/last-running"));
        RunRecordFile record(path, logger);
        QCOMPARE(record.lastRunning(), std::optional(QDateTime()));

        const QDateTime before = QDateTime::currentDateTimeUtc();
        record.recordRunning();
        const std::optional<QDateTime> recorded = record.lastRunning();
        QVERIFY(recorded && recorded->isValid());
        QVERIFY(*recorded >= before && *recorded <= QDateTime::currentDateTimeUtc());

        for (const QByteArray& damaged : {QByteArray("yesterday\n"), QByteArray(4096, '\x01')}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(damaged);
            file.close();
            QCOMPARE(record.lastRunning(), std::nullopt);
        }
        QCOMPARE(logger.lines.size(), 2);
        QVERIFY(logger.lines.first().startsWith(
            QStringLiteral("[Velmora] Cannot read when Velmora last ran (")));
    }

    void withoutARuntimeFolderNothingIsKeptAndAFailedWriteIsLoggedOnce() {
        CapturingLogger logger;
        RunRecordFile none(QString(), logger);
        none.recordRunning();
        QCOMPARE(none.lastRunning(), std::nullopt);

        QTemporaryDir runtime;
        QFile blocker(runtime.filePath(QStringLiteral("velmora")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RunRecordFile blocked(runtime.filePath(QStringLiteral("velmora/last-running")), logger);
        blocked.recordRunning();
        blocked.recordRunning();
        QCOMPARE(logger.lines.size(), 1);
        QVERIFY(logger.lines.first().startsWith(
            QStringLiteral("[Velmora] Cannot record that Velmora is running (")));
    }
};

QTEST_GUILESS_MAIN(RunRecordFileTest)
#include "RunRecordFileTest.moc"
