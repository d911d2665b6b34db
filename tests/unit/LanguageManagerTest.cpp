#include "services/LanguageManager.h"
#include "app/AppDelegate.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString quitKey = QStringLiteral("Quit Velmora");

void saveLanguage(Defaults& defaults, AppLanguage language) {
    AppSettings settings = defaults.appSettings();
    settings.appLanguage = language;
    defaults.setAppSettings(settings);
}

void writeTable(const QString& root, const QString& code, const QByteArray& text) {
    QDir().mkpath(root + u'/' + code + QStringLiteral(".lproj"));
    QFile file(root + u'/' + code + QStringLiteral(".lproj/Localizable.strings"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class LanguageManagerTest : public QObject {
    Q_OBJECT

private slots:
    // The manager is made with the stored settings, before any view, so the first text a
    // starting program builds is already in the saved language.
    void savedChineseGivesChineseFromTheFirstText() {
        MemoryStore store;
        CapturingLogger logger;
        Defaults(store, logger).setAppSettings([] {
            AppSettings settings;
            settings.appLanguage = AppLanguage::chinese;
            return settings;
        }());
        FakeScheduler scheduler;
        FakeVolumeSource volumes;
        FakeAppIconSource icons;
        AppDelegate delegate(Ports{scheduler, store, volumes, logger, icons});

        QCOMPARE(delegate.language().currentLanguage(), AppLanguage::chinese);
        QCOMPARE(delegate.language().localized(quitKey), QStringLiteral("退出 Velmora"));
        QCOMPARE(delegate.language().text(QStringLiteral("%lld protected apps"), {0}),
                 QStringLiteral("0 个受保护的应用"));
    }

    void changeSavesSwitchesTablesThenTellsViews() {
        MemoryStore store;
        CapturingLogger logger;
        Defaults defaults(store, logger);
        AppSettings before;
        before.driveCheckIntervalSeconds = 12;
        before.requirePasswordToQuit = true;
        defaults.setAppSettings(before);
        FakeScheduler scheduler;
        LanguageManager manager(defaults, scheduler, logger,
                                LanguageManager::defaultTablesDirectory(),
                                [] { return QStringList{QStringLiteral("en-US")}; });
        QSignalSpy viewsTold(&manager, &LanguageManager::currentLanguageChanged);
        QSignalSpy posted(&manager, &LanguageManager::languageDidChange);

        manager.changeLanguage(AppLanguage::japanese);

        QCOMPARE(manager.currentLanguage(), AppLanguage::japanese);
        AppSettings saved = defaults.appSettings();
        QCOMPARE(saved.appLanguage, AppLanguage::japanese);
        before.appLanguage = AppLanguage::japanese;
        QCOMPARE(saved.toJson(), before.toJson());
        QCOMPARE(manager.localized(quitKey), QStringLiteral("Velmora を終了"));
        QCOMPARE(posted.count(), 1);
        QCOMPARE(posted.first().first().toString(), QStringLiteral("ja"));
        // Views hear of it on the next pass of the event loop, with the new tables in place.
        QCOMPARE(viewsTold.count(), 0);
        const int revision = manager.revision();
        scheduler.advance(0);
        QCOMPARE(viewsTold.count(), 1);
        QVERIFY(manager.revision() != revision);

        // Choosing the same language again runs every step again.
        manager.changeLanguage(AppLanguage::japanese);
        scheduler.advance(0);
        QCOMPARE(posted.count(), 2);
        QCOMPARE(viewsTold.count(), 2);
    }

    void systemAfterChineseFollowsThePreferredLanguagesAgain() {
        MemoryStore store;
        CapturingLogger logger;
        Defaults defaults(store, logger);
        saveLanguage(defaults, AppLanguage::chinese);
        FakeScheduler scheduler;
        QStringList preferred{QStringLiteral("ko-KR"), QStringLiteral("en-US")};
        LanguageManager manager(defaults, scheduler, logger,
                                LanguageManager::defaultTablesDirectory(),
                                [&preferred] { return preferred; });
        QCOMPARE(manager.localized(quitKey), QStringLiteral("退出 Velmora"));

        manager.changeLanguage(AppLanguage::system);
        QCOMPARE(manager.localized(quitKey), QStringLiteral("Velmora 종료"));
        QCOMPARE(defaults.appSettings().appLanguage, AppLanguage::system);

        // Traditional Chinese has no table of its own and must not get the Simplified one.
        preferred = {QStringLiteral("zh-TW"), QStringLiteral("ja-JP")};
        manager.changeLanguage(AppLanguage::system);
        QCOMPARE(manager.tableCode(), QStringLiteral("ja"));
        preferred = {QStringLiteral("zh-Hans-CN")};
        manager.changeLanguage(AppLanguage::system);
        QCOMPARE(manager.tableCode(), QStringLiteral("zh-Hans"));
        // No table for any preferred language: the English texts.
        preferred = {QStringLiteral("fr-FR"), QStringLiteral("de")};
        manager.changeLanguage(AppLanguage::system);
        QCOMPARE(manager.tableCode(), QStringLiteral("en"));
        QCOMPARE(manager.localized(QStringLiteral("%@ 无法启动")),
                 QStringLiteral("%@ can't be opened"));
    }

    void missingOrDamagedTablesFallBackQuietly() {
        QTemporaryDir root;
        writeTable(root.path(), QStringLiteral("en"), "\"Cancel\" = \"Cancel\";\n");
        writeTable(root.path(), QStringLiteral("ko"),
                   "\"Cancel\" = \"취소\";\nbroken line;\n\"Refresh\" = \"새로 고침\";\n");
        MemoryStore store;
        CapturingLogger logger;
        Defaults defaults(store, logger);
        FakeScheduler scheduler;
        LanguageManager manager(defaults, scheduler, logger, root.path(),
                                [] { return QStringList{QStringLiteral("ko-KR")}; });

        // No ja.lproj: the system's choice applies.
        manager.changeLanguage(AppLanguage::japanese);
        QCOMPARE(manager.tableCode(), QStringLiteral("ko"));
        QCOMPARE(manager.localized(QStringLiteral("Cancel")), QStringLiteral("취소"));
        // The damaged line is skipped and named in the log; the entries around it still count.
        QCOMPARE(manager.localized(QStringLiteral("Refresh")), QStringLiteral("새로 고침"));
        QVERIFY(logger.lines.join(u'\n').contains(QStringLiteral("line 2")));
        // A key no table has shows as itself.
        QCOMPARE(manager.text(QStringLiteral("Velmora %@"), {QStringLiteral("1.0")}),
                 QStringLiteral("Velmora 1.0"));
    }

    // Only the program's own texts are looked up in its tables; Qt's texts and QML's qsTr keep
    // Qt's translations.
    void qtsOwnTextsAreNeverRedirected() {
        MemoryStore store;
        CapturingLogger logger;
        Defaults defaults(store, logger);
        saveLanguage(defaults, AppLanguage::chinese);
        FakeScheduler scheduler;
        LanguageManager manager(defaults, scheduler, logger);
        QCOMPARE(manager.localized(QStringLiteral("Cancel")), QStringLiteral("取消"));

        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
        QCOMPARE(QCoreApplication::translate("QDialogButtonBox", "Cancel"),
                 QStringLiteral("Cancel"));
        QJSEngine engine;
        engine.installExtensions(QJSEngine::TranslationExtension);
        QCOMPARE(engine.evaluate(QStringLiteral("qsTr('Cancel')")).toString(),
                 QStringLiteral("Cancel"));
    }
};

QTEST_MAIN(LanguageManagerTest)
#include "LanguageManagerTest.moc"
