#include "overlay/LockOverlayViewModel.h"
#include "support/OverlayModelGraph.h"

#include <QtTest>
#include <memory>

namespace {

const QString editorID = QStringLiteral("org.example.Editor");
const QString unknown = QStringLiteral("未知硬盘");

struct Fixture : OverlayModelGraph {
    QList<OverlayDismissReason> dismissals;

    std::unique_ptr<LockOverlayViewModel> model(const QString& bundleIdentifier = editorID) {
        return std::make_unique<LockOverlayViewModel>(
            LockOverlayViewModel::Dependencies{apps, drives, workspace, language},
            OverlayContent{QStringLiteral("Editor"), bundleIdentifier,
                           [this](OverlayDismissReason reason) { dismissals.append(reason); }});
    }

    ProtectedApp app(const QString& bundleIdentifier, std::optional<QUuid> driveID) const {
        return ProtectedApp{QUuid::createUuid(),
                            bundleIdentifier,
                            QStringLiteral("Editor"),
                            QString(),
                            true,
                            driveID,
                            QDateTime()};
    }

    QUuid addDrive(const QString& name) {
        drives.addDrive(name, QStringLiteral("/media/me/") + name, std::nullopt);
        return drives.drives().last().id;
    }
};

} // namespace

class LockOverlayViewModelTest : public QObject {
    Q_OBJECT

private slots:
    void driveNameComesFromTheFirstMatchingApp() {
        Fixture f;
        const QUuid vault = f.addDrive(QStringLiteral("Vault"));
        const QUuid other = f.addDrive(QStringLiteral("Other"));
        f.apps.setApps({f.app(QStringLiteral("org.example.Other"), other), f.app(editorID, vault),
                        f.app(editorID, other)});
        QCOMPARE(f.model()->driveName(), QStringLiteral("Vault"));
    }

    void driveNameIsUnknownWithoutAStoredDrive() {
        Fixture f;
        const QUuid vault = f.addDrive(QStringLiteral("Vault"));
        // Not in the store; in the store without a drive; its drive deleted from the drive list.
        QCOMPARE(f.model()->driveName(), unknown);
        f.apps.setApps({f.app(editorID, std::nullopt), f.app(editorID, vault)});
        QCOMPARE(f.model()->driveName(), unknown);
        f.apps.setApps({f.app(editorID, QUuid::createUuid())});
        QCOMPARE(f.model()->driveName(), unknown);
        // Identifiers match exactly, not ignoring case.
        f.apps.setApps({f.app(editorID.toUpper(), vault)});
        QCOMPARE(f.model()->driveName(), unknown);
    }

    // Every drive that would unlock the app is named, the first first; switched-off ones are not.
    void theCardNamesEverySpareDrive() {
        Fixture f;
        ProtectedApp editor = f.app(editorID, f.addDrive(QStringLiteral("VELKEY")));
        editor.spareDriveIDs = {f.addDrive(QStringLiteral("SPAREKEY")), QUuid::createUuid()};
        f.apps.setApps({editor});
        f.language.changeLanguage(AppLanguage::english);
        f.scheduler.advance(0);
        QCOMPARE(f.model()->driveLine(),
                 QStringLiteral("Requires the external drive “VELKEY” or “SPAREKEY”"));
        QCOMPARE(f.model()->driveName(), QStringLiteral("VELKEY"));

        editor.spareDriveIDs.append(f.addDrive(QStringLiteral("THIRD")));
        f.apps.setApps({editor});
        QCOMPARE(f.model()->driveLine(),
                 QStringLiteral("Requires the external drive “VELKEY”, “SPAREKEY” or “THIRD”"));
        f.language.changeLanguage(AppLanguage::chinese);
        f.scheduler.advance(0);
        QCOMPARE(f.model()->driveLine(),
                 QStringLiteral("需要移动硬盘「VELKEY」、「SPAREKEY」或「THIRD」"));

        f.drives.toggleDrive(f.drives.drives()[0]);
        f.drives.toggleDrive(f.drives.drives()[2]);
        QCOMPARE(f.model()->driveLine(), QStringLiteral("需要移动硬盘「SPAREKEY」"));
    }

    void longNamesAreCutWithAnEllipsis() {
        Fixture f;
        const QString huge(5 * 1024 * 1024, QLatin1Char('x'));
        f.apps.setApps({f.app(editorID, f.addDrive(huge))});
        auto model = std::make_unique<LockOverlayViewModel>(
            LockOverlayViewModel::Dependencies{f.apps, f.drives, f.workspace, f.language},
            OverlayContent{huge, editorID, {}});
        const QString cut = QString(199, QLatin1Char('x')) + QChar(0x2026);
        QCOMPARE(model->appName(), cut);
        QCOMPARE(model->driveName(), cut);
        QVERIFY(model->title().size() < 300);
        // A character of two UTF-16 units at the cut is dropped whole.
        const QString emoji = QString(198, QLatin1Char('a')) + QStringLiteral("😀") + huge;
        QCOMPARE(LockOverlayViewModel::shownName(emoji),
                 QString(198, QLatin1Char('a')) + QChar(0x2026));
        QCOMPARE(LockOverlayViewModel::shownName(QStringLiteral("Editor")),
                 QStringLiteral("Editor"));
    }

    void textsFollowTheLanguage() {
        Fixture f;
        f.apps.setApps({f.app(editorID, f.addDrive(QStringLiteral("Vault")))});
        f.language.changeLanguage(AppLanguage::chinese);
        f.scheduler.advance(0);
        auto model = f.model();
        QCOMPARE(model->driveLine(), QStringLiteral("需要移动硬盘「Vault」"));
        QCOMPARE(model->hint(), QStringLiteral("请连接移动硬盘后，再次尝试启动 Editor。"));

        QSignalSpy changed(model.get(), &LockOverlayViewModel::textsChanged);
        f.language.changeLanguage(AppLanguage::english);
        f.scheduler.advance(0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model->title(), QStringLiteral("Editor can't be opened"));
        QCOMPARE(model->forceQuitTitle(), QStringLiteral("Force Quit"));
    }

    void forceQuitAsksTheFirstInstanceToQuitThenDismisses() {
        Fixture f;
        f.workspace.launch(QStringLiteral("org.example.Other"));
        const RunningApplication first = f.workspace.launch(editorID);
        f.workspace.launch(editorID);
        auto model = f.model();
        model->forceQuitProtectedApp();
        QCOMPARE(f.workspace.terminated, QList<RunningApplication>{first});
        QVERIFY(f.workspace.forceTerminated.isEmpty());
        QCOMPARE(f.dismissals, QList<OverlayDismissReason>{OverlayDismissReason::forceQuit});

        // A second press before the overlays have closed changes nothing.
        model->forceQuitProtectedApp();
        QCOMPARE(f.workspace.terminated.size(), 1);
        QCOMPARE(f.dismissals.size(), 1);
    }

    void forceQuitDismissesAlsoWhenTheAppIsNotRunning() {
        Fixture f;
        f.workspace.launch(std::nullopt);
        f.model()->forceQuitProtectedApp();
        QVERIFY(f.workspace.terminated.isEmpty());
        QCOMPARE(f.dismissals, QList<OverlayDismissReason>{OverlayDismissReason::forceQuit});
    }
};

QTEST_GUILESS_MAIN(LockOverlayViewModelTest)
#include "LockOverlayViewModelTest.moc"
