#include "services/ExecGateService.h"
#include "fakes/FakeExecGate.h"
#include "fakes/FakeWorkspace.h"
#include "model/ProtectedAppsManager.h"
#include "support/DriveStores.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

using Outcome = ExecGate::Outcome;

const QString editorID = QStringLiteral("org.example.Editor");
const QString buildId = QStringLiteral("build-id:0badc0de");

// The service on fakes: drive "Vault" (VAULT-UUID) and the editor requiring it, its program known
// by build ID and by size.
struct Rig : DriveStores {
    ProtectedAppsManager apps{defaults, logger};
    FakeWorkspace workspace;
    FakeExecGate gate;
    ExecGateService service{{gate, workspace, scheduler, defaults, apps, drives, logger}};
    QList<QString> refused;

    Rig() {
        drives.addDrive(QStringLiteral("Vault"), QStringLiteral("/media/me/Vault"),
                        QStringLiteral("VAULT-UUID"));
        apps.addApp(editorID, QStringLiteral("Editor"), QString());
        apps.setRequiredDriveID(apps.apps().first(), drives.drives().first().id);
        setPrograms({buildId, QStringLiteral("size:4096")});
        service.onRefused = [this](const ProtectedApp& app) { refused.append(app.name); };
    }
    // Where the app monitor writes what it read of the programs.
    void setPrograms(const QStringList& programs) {
        QList<ProtectedApp> stored = defaults.protectedApps();
        stored.first().programs = programs;
        defaults.setProtectedApps(stored);
    }
    void setProtection(bool on) {
        AppSettings settings = defaults.appSettings();
        settings.isProtectionEnabled = on;
        defaults.setAppSettings(settings);
    }
};

} // namespace

class ExecGateServiceTest : public QObject {
    Q_OBJECT

private slots:
    // Only apps with a drive by UUID and an identity by contents are sent; a size alone would
    // refuse unrelated programs. Nothing is sent again until something changed.
    void sendsThisUsersPolicyWhenItChanges() {
        Rig rig;
        rig.apps.addApp(QStringLiteral("org.example.Loose"), QStringLiteral("Loose"), QString());
        rig.service.start();
        QCOMPARE(rig.gate.policies.size(), 1);
        const GatePolicy first = rig.gate.policies.last();
        QCOMPARE(first.apps.size(), 1);
        QCOMPARE(first.apps[0].appId, editorID);
        QCOMPARE(first.apps[0].programIdentities, QStringList{buildId});
        QCOMPARE(first.apps[0].driveUuids, QStringList{QStringLiteral("VAULT-UUID")});
        QCOMPARE(rig.service.state(), ExecGateService::State::active);

        rig.scheduler.advance(5);
        QCOMPARE(rig.gate.policies.size(), 1);
        rig.setProtection(!first.protectionOn);
        rig.scheduler.advance(1);
        QCOMPARE(rig.gate.policies.size(), 2);
        QCOMPARE(rig.gate.policies.last().protectionOn, !first.protectionOn);

        rig.setPrograms({QStringLiteral("size:4096")});
        rig.scheduler.advance(1);
        QVERIFY(rig.gate.policies.last().apps.isEmpty());
    }

    // Every switched-on drive of the app known by UUID opens it at the gate, the first first; a
    // switched-off one opens nothing, and with all of them off the app is not gated.
    void theGateLetsAnyOfTheAppsDrivesOpenIt() {
        Rig rig;
        rig.drives.addDrive(QStringLiteral("Spare"), QStringLiteral("/media/me/Spare"),
                            QStringLiteral("SPARE-UUID"));
        rig.drives.addDrive(QStringLiteral("Old"), QStringLiteral("/media/me/Old"), std::nullopt);
        rig.apps.setRequiredDriveIDs(rig.apps.apps().first(),
                                     {rig.drives.drives()[0].id, QUuid::createUuid(),
                                      rig.drives.drives()[2].id, rig.drives.drives()[1].id});
        rig.service.start();
        QCOMPARE(rig.gate.policies.last().apps.at(0).driveUuids,
                 QStringList({QStringLiteral("VAULT-UUID"), QStringLiteral("SPARE-UUID")}));
        rig.drives.toggleDrive(rig.drives.drives()[1]);
        rig.scheduler.advance(1.0);
        QCOMPARE(rig.gate.policies.last().apps.at(0).driveUuids,
                 QStringList{QStringLiteral("VAULT-UUID")});
        rig.drives.toggleDrive(rig.drives.drives()[0]);
        rig.scheduler.advance(1.0);
        QVERIFY(rig.gate.policies.last().apps.isEmpty());
    }

    // One request at a time, the newest policy next; a missing gate is said once; a refused
    // loosening is not asked again until the policy changes once more; a restarted gate gets it.
    void answersOfTheGate() {
        Rig rig;
        rig.gate.answer.reset();
        rig.service.start();
        rig.setProtection(false);
        rig.scheduler.advance(3);
        QCOMPARE(rig.gate.policies.size(), 1);
        rig.gate.reply(Outcome::absent);
        rig.scheduler.advance(1);
        QCOMPARE(rig.gate.policies.size(), 2);
        QVERIFY(!rig.gate.policies.last().protectionOn);
        rig.gate.reply(Outcome::absent);
        QCOMPARE(rig.service.state(), ExecGateService::State::absent);
        QCOMPARE(rig.logger.lines.filter(QStringLiteral("Exec gate not installed")).size(), 1);

        rig.gate.answer = Outcome::notAuthorized;
        rig.setProtection(true);
        rig.scheduler.advance(3);
        QCOMPARE(rig.gate.policies.size(), 3);

        rig.gate.answer = Outcome::applied;
        QSignalSpy changed(&rig.service, &ExecGateService::stateChanged);
        rig.gate.started();
        QCOMPARE(rig.gate.policies.size(), 4);
        QCOMPARE(rig.service.state(), ExecGateService::State::active);
        QCOMPARE(changed.size(), 1);
    }

    void aRefusalReportsTheApp() {
        Rig rig;
        rig.service.start();
        rig.gate.refused(4242, editorID);
        rig.gate.refused(4243, QStringLiteral("org.example.Unknown"));
        QCOMPARE(rig.refused, QList<QString>{QStringLiteral("Editor")});
        QVERIFY(rig.logger.lines.contains(
            QStringLiteral("[Velmora] Start of Editor (pid=4242) refused by the exec gate")));
    }
};

QTEST_GUILESS_MAIN(ExecGateServiceTest)
#include "ExecGateServiceTest.moc"
