#include "services/LanguageManager.h"
#include "app/AppDelegate.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "support/FakePorts.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString quitKey = QStringLiteral("Quit Velmora");

} // namespace

class LanguageManagerTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_logger.lines.clear();
        m_store = std::make_unique<MemoryStore>();
        m_defaults = std::make_unique<Defaults>(*m_store, m_logger);
        m_preferred = {QStringLiteral("en-US")};
    }

    // The delegate makes the manager before anything else, so the first text a starting program
    // builds is already in the saved language.
    void savedChineseGivesChineseFromTheFirstText() {
        saveLanguage(AppLanguage::chinese);
        FakePorts fakes;
        fakes.store = *m_store;
        AppDelegate delegate(fakes.ports());

        QCOMPARE(delegate.language().currentLanguage(), AppLanguage::chinese);
        QCOMPARE(delegate.language().localized(quitKey), QStringLiteral("退出 Velmora"));
        QCOMPARE(delegate.language().text(QStringLiteral("%lld protected apps"), {0}),
                 QStringLiteral("0 个受保护的应用"));
    }

    void changeSavesSwitchesTablesThenTellsViews() {
        AppSettings before;
        before.driveCheckIntervalSeconds = 12;
        m_defaults->setAppSettings(before);
        auto manager = make();
        QSignalSpy viewsTold(manager.get(), &LanguageManager::currentLanguageChanged);
        QSignalSpy posted(manager.get(), &LanguageManager::languageDidChange);

        manager->changeLanguage(AppLanguage::japanese);
        before.appLanguage = AppLanguage::japanese;
        QCOMPARE(m_defaults->appSettings().toJson(), before.toJson());
        QCOMPARE(manager->localized(quitKey), QStringLiteral("Velmora を終了"));
        QCOMPARE(posted.count(), 1);
        QCOMPARE(posted.first().first().toString(), QStringLiteral("ja"));
        // Views hear of it on the next pass of the event loop, when the new table is in place.
        QCOMPARE(viewsTold.count(), 0);
        m_scheduler.advance(0);
        QCOMPARE(viewsTold.count(), 1);

        // The same language again runs every step again.
        manager->changeLanguage(AppLanguage::japanese);
        m_scheduler.advance(0);
        QCOMPARE(posted.count(), 2);
        QCOMPARE(viewsTold.count(), 2);
    }

    void systemAfterChineseFollowsThePreferredLanguagesAgain() {
        saveLanguage(AppLanguage::chinese);
        m_preferred = {QStringLiteral("ko-KR"), QStringLiteral("en-US")};
        auto manager = make();
        QCOMPARE(manager->localized(quitKey), QStringLiteral("退出 Velmora"));

        manager->changeLanguage(AppLanguage::system);
        QCOMPARE(manager->localized(quitKey), QStringLiteral("Velmora 종료"));

        // Traditional Chinese must not get the Simplified table; the next language does.
        m_preferred = {QStringLiteral("zh-TW"), QStringLiteral("ja-JP")};
        manager->changeLanguage(AppLanguage::system);
        QCOMPARE(manager->tableCode(), QStringLiteral("ja"));
        m_preferred = {QStringLiteral("zh-Hans-CN")};
        manager->changeLanguage(AppLanguage::system);
        QCOMPARE(manager->tableCode(), QStringLiteral("zh-Hans"));
        // No table for any preferred language: English.
        m_preferred = {QStringLiteral("fr-FR"), QStringLiteral("de")};
        manager->changeLanguage(AppLanguage::system);
        QCOMPARE(manager->localized(QStringLiteral("%@ 无法启动")),
                 QStringLiteral("%@ can't be opened"));
    }

    void missingOrDamagedTablesFallBackQuietly() {
        QTemporaryDir root;
        writeTable(root.path() + QStringLiteral("/en.lproj"), "\"Cancel\" = \"Cancel\";");
        writeTable(root.path() + QStringLiteral("/ko.lproj"),
                   "\"Cancel\" = \"취소\";\nbroken line;\n\"Refresh\" = \"새로 고침\";");
        m_preferred = {QStringLiteral("ko-KR")};
        auto manager = make(root.path());

        // No ja.lproj: the system's choice applies.
        manager->changeLanguage(AppLanguage::japanese);
        QCOMPARE(manager->localized(QStringLiteral("Cancel")), QStringLiteral("취소"));
        // The damaged line is skipped and named in the log; the entries around it still count.
        QCOMPARE(manager->localized(QStringLiteral("Refresh")), QStringLiteral("새로 고침"));
        QVERIFY(m_logger.lines.join(u'\n').contains(QStringLiteral("line 2")));
        // A key no table has shows as itself.
        QCOMPARE(manager->text(QStringLiteral("Velmora %@"), {QStringLiteral("1.0")}),
                 QStringLiteral("Velmora 1.0"));
    }

    // Counts read right in every language: English has a singular, the others one form; the
    // panel's rows go through the same lookup from QML.
    void countsTakeTheirLanguagesPluralForm() {
        auto manager = make();
        const QString drives = QStringLiteral("%lld external drives");
        const QString apps = QStringLiteral("%lld protected apps");
        const struct {
            AppLanguage language;
            QStringList expected;
        } cases[] = {
            {AppLanguage::english,
             {QStringLiteral("1 external drive"), QStringLiteral("2 external drives"),
              QStringLiteral("0 external drives"), QStringLiteral("1 protected app")}},
            {AppLanguage::chinese,
             {QStringLiteral("1 个移动硬盘"), QStringLiteral("2 个移动硬盘"),
              QStringLiteral("0 个移动硬盘"), QStringLiteral("1 个受保护的应用")}},
            {AppLanguage::japanese,
             {QStringLiteral("外付けドライブ：1 台"), QStringLiteral("外付けドライブ：2 台"),
              QStringLiteral("外付けドライブ：0 台"), QStringLiteral("保護中のアプリ：1 個")}},
            {AppLanguage::korean,
             {QStringLiteral("외장 드라이브 1개"), QStringLiteral("외장 드라이브 2개"),
              QStringLiteral("외장 드라이브 0개"), QStringLiteral("보호된 앱 1개")}},
        };
        for (const auto& each : cases) {
            manager->changeLanguage(each.language);
            QCOMPARE((QStringList{manager->plural(drives, 1), manager->plural(drives, 2),
                                  manager->plural(drives, 0), manager->plural(apps, 1)}),
                     each.expected);
        }
        QJSEngine engine;
        QJSEngine::setObjectOwnership(manager.get(), QJSEngine::CppOwnership);
        engine.globalObject().setProperty(QStringLiteral("language"),
                                          engine.newQObject(manager.get()));
        QCOMPARE(
            engine.evaluate(QStringLiteral("language.plural('%lld protected apps', 1)")).toString(),
            QStringLiteral("보호된 앱 1개"));
    }

    // Only the program's own texts are looked up in its tables; Qt's keep Qt's translations.
    void qtsOwnTextsAreNeverRedirected() {
        saveLanguage(AppLanguage::chinese);
        auto manager = make();
        QCOMPARE(manager->localized(QStringLiteral("Cancel")), QStringLiteral("取消"));

        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
        QJSEngine engine;
        engine.installExtensions(QJSEngine::TranslationExtension);
        QCOMPARE(engine.evaluate(QStringLiteral("qsTr('Cancel')")).toString(),
                 QStringLiteral("Cancel"));
    }

private:
    std::unique_ptr<LanguageManager> make(const QString& tables = {}) {
        return std::make_unique<LanguageManager>(
            *m_defaults, m_scheduler, m_logger,
            tables.isEmpty() ? LanguageManager::defaultTablesDirectory() : tables,
            [this] { return m_preferred; });
    }

    void saveLanguage(AppLanguage language) {
        AppSettings settings = m_defaults->appSettings();
        settings.appLanguage = language;
        m_defaults->setAppSettings(settings);
    }

    static void writeTable(const QString& folder, const QByteArray& text) {
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/Localizable.strings"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    CapturingLogger m_logger;
    FakeScheduler m_scheduler;
    std::unique_ptr<MemoryStore> m_store;
    std::unique_ptr<Defaults> m_defaults;
    QStringList m_preferred;
};

QTEST_MAIN(LanguageManagerTest)
#include "LanguageManagerTest.moc"
