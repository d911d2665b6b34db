#include "model/AppSettings.h"
#include "model/NeverProtectedList.h"
#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"
#include "model/StoredDate.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

QJsonValue json(const char* text) {
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(text));
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT

private slots:
    // Written the way the original platform's encoder writes: slashes escaped, any key order.
    void readsGoldenApplication() {
        const auto app = ProtectedApp::fromJson(json(
            R"({"path":"\/usr\/share\/applications\/org.gnome.TextEditor.desktop","isEnabled":false,)"
            R"("requiredDriveID":"9f1c2a3b-4d5e-4f60-8a7b-1c2d3e4f5a6b","dateAdded":786627296.5,)"
            R"("name":"Text Editor","id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
            R"("bundleIdentifier":"org.gnome.TextEditor","futureMember":[1,2]})"));
        QVERIFY(app);
        QCOMPARE(app->id,
                 QUuid::fromString(QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")));
        QCOMPARE(app->bundleIdentifier, QStringLiteral("org.gnome.TextEditor"));
        QCOMPARE(app->name, QStringLiteral("Text Editor"));
        QCOMPARE(app->path, QStringLiteral("/usr/share/applications/org.gnome.TextEditor.desktop"));
        QCOMPARE(app->isEnabled, false);
        QCOMPARE(app->requiredDriveID,
                 QUuid::fromString(QStringLiteral("9F1C2A3B-4D5E-4F60-8A7B-1C2D3E4F5A6B")));
        // 786627296.5 s after 2001-01-01 is Unix time 1764934496.5.
        QCOMPARE(app->dateAdded.toMSecsSinceEpoch(), Q_INT64_C(1764934496500));
    }

    void writesApplicationWithUpperCaseIdsAndWithoutAbsentMembers() {
        ProtectedApp app{QUuid::fromString(QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")),
                         QStringLiteral("org.example.App"),
                         QStringLiteral("App"),
                         QStringLiteral("/opt/app"),
                         true,
                         std::nullopt,
                         StoredDate::fromStored(0)};
        QJsonObject object = app.toJson();
        QCOMPARE(object.value(QStringLiteral("id")).toString(),
                 QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
        QVERIFY(!object.contains(QStringLiteral("requiredDriveID")));
        QCOMPARE(object.value(QStringLiteral("dateAdded")).toDouble(), 0.0);
        QCOMPARE(object.keys().size(), 6);

        app.requiredDriveID = QUuid::createUuid();
        object = app.toJson();
        QCOMPARE(object.value(QStringLiteral("requiredDriveID")).toString(),
                 object.value(QStringLiteral("requiredDriveID")).toString().toUpper());
        QCOMPARE(ProtectedApp::fromJson(object), app);
    }

    void nullOrMissingOptionalMembersReadAsAbsent() {
        const auto withNull = ProtectedApp::fromJson(json(
            R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","bundleIdentifier":"a","name":"a",)"
            R"("path":"/a","isEnabled":true,"requiredDriveID":null,"dateAdded":1})"));
        QVERIFY(withNull);
        QVERIFY(!withNull->requiredDriveID);
        QVERIFY(!withNull->toJson().contains(QStringLiteral("requiredDriveID")));

        const auto drive = ProtectedDrive::fromJson(
            json(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"Key","mountPoint":)"
                 R"("\/media\/me\/Key","isEnabled":true,"dateAdded":12.25})"));
        QVERIFY(drive);
        QVERIFY(!drive->volumeUUIDString);
        QVERIFY(!drive->toJson().contains(QStringLiteral("volumeUUIDString")));
        QCOMPARE(drive->mountPoint, QStringLiteral("/media/me/Key"));
    }

    // A drive saved before drives carried keys reads and writes back exactly as it was; the added
    // members round-trip, and a mistyped one makes the record unreadable, never half-read.
    void driveKeyMembersAreAddedWithoutChangingOlderRecords() {
        const QByteArray older =
            R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"Key","mountPoint":"/k",)"
            R"("isEnabled":true,"dateAdded":12.25,"volumeUUIDString":"AAAA-1111"})";
        const auto drive = ProtectedDrive::fromJson(json(older.constData()));
        QVERIFY(drive);
        QCOMPARE(QJsonValue(drive->toJson()), json(older.constData()));

        ProtectedDrive keyed = *drive;
        keyed.keyHash = QStringLiteral("ab12");
        keyed.previousKeyHash = QStringLiteral("cd34");
        keyed.cannotHoldKey = true;
        keyed.hardware = HardwareIdentity{"SanDisk", "Cruzer", "4C53", "0x5000"};
        QCOMPARE(ProtectedDrive::fromJson(keyed.toJson()), keyed);

        for (const char* mistyped : {R"("keyHash":5)", R"("cannotHoldKey":"yes")",
                                     R"("hardware":{"vendor":"a"})", R"("hardware":"SanDisk")"}) {
            QByteArray text = older;
            text.replace(R"("name")", QByteArray(mistyped) + R"(,"name")");
            QVERIFY2(!ProtectedDrive::fromJson(json(text.constData())), mistyped);
        }
    }

    // An app saved before spare drives reads and writes back exactly as it was; spares round-trip
    // after the first drive; a damaged spare list only ever leaves fewer keys, and spares without
    // a first drive still lock the app.
    void spareDrivesAreAddedWithoutChangingOlderRecords() {
        const QByteArray older =
            R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","bundleIdentifier":"a","name":"a",)"
            R"("path":"/a","isEnabled":true,"dateAdded":1,)"
            R"("requiredDriveID":"9F1C2A3B-4D5E-4F60-8A7B-1C2D3E4F5A6B"})";
        const auto app = ProtectedApp::fromJson(json(older.constData()));
        QVERIFY(app);
        QVERIFY(app->spareDriveIDs.isEmpty());
        QCOMPARE(QJsonValue(app->toJson()), json(older.constData()));
        QCOMPARE(QJsonDocument(app->toJson()).toJson(QJsonDocument::Compact),
                 QJsonDocument(json(older.constData()).toObject()).toJson(QJsonDocument::Compact));

        const QUuid first = *app->requiredDriveID;
        const QUuid spare = QUuid::createUuid();
        const QUuid other = QUuid::createUuid();
        ProtectedApp spared = *app;
        spared.setRequiredDriveIDs({first, spare, first, other, spare});
        QCOMPARE(spared.requiredDriveID, first);
        QCOMPARE(spared.requiredDriveIDs(), QList<QUuid>({first, spare, other}));
        QCOMPARE(ProtectedApp::fromJson(spared.toJson()), spared);
        QCOMPARE(spared.toJson().value(QStringLiteral("requiredDriveID")),
                 app->toJson().value(QStringLiteral("requiredDriveID")));
        spared.setRequiredDriveIDs({});
        QVERIFY(!spared.hasRequiredDrive());
        QVERIFY(!spared.toJson().contains(QStringLiteral("spareDriveIDs")));

        QByteArray damaged = older;
        damaged.replace(R"("name")", R"("spareDriveIDs":[7,"not an id",null,)"
                                     R"("0E1F2A3B-4C5D-4E6F-8A9B-0C1D2E3F4A5B"],"name")");
        const auto kept = ProtectedApp::fromJson(json(damaged.constData()));
        QVERIFY(kept);
        QCOMPARE(kept->requiredDriveIDs().size(), 2);
        QByteArray notAList = older;
        notAList.replace(R"("name")", R"("spareDriveIDs":"x","name")");
        QCOMPARE(ProtectedApp::fromJson(json(notAList.constData())), app);

        const auto orphan = ProtectedApp::fromJson(
            json(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","bundleIdentifier":"a",)"
                 R"("name":"a","path":"/a","isEnabled":true,"dateAdded":1,)"
                 R"("spareDriveIDs":["0E1F2A3B-4C5D-4E6F-8A9B-0C1D2E3F4A5B"]})"));
        QVERIFY(orphan);
        QCOMPARE(orphan->requiredDriveID,
                 QUuid::fromString(QStringLiteral("0E1F2A3B-4C5D-4E6F-8A9B-0C1D2E3F4A5B")));
        QVERIFY(orphan->spareDriveIDs.isEmpty());
    }

    void rejectsRecordsWithMissingOrMistypedMembers_data() {
        QTest::addColumn<QByteArray>("text");
        const QByteArray valid =
            R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","bundleIdentifier":"a","name":"a",)"
            R"("path":"/a","isEnabled":true,"dateAdded":1})";
        QTest::newRow("valid control") << QByteArray();
        QTest::newRow("no path") << QByteArray(valid).replace(R"("path":"/a",)", "");
        QTest::newRow("enabled as number") << QByteArray(valid).replace("true", "1");
        QTest::newRow("date as text")
            << QByteArray(valid).replace(R"("dateAdded":1)", R"("dateAdded":"1")");
        QTest::newRow("id not a uuid") << QByteArray(valid).replace("E621E1F8-", "E621E1F8");
        QTest::newRow("drive id a number")
            << QByteArray(valid).replace(R"("name")", R"("requiredDriveID":5,"name")");
        QTest::newRow("not an object") << QByteArray("[]");
    }

    void rejectsRecordsWithMissingOrMistypedMembers() {
        QFETCH(QByteArray, text);
        if (text.isEmpty()) {
            QVERIFY(ProtectedApp::fromJson(json(
                R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","bundleIdentifier":"a","name":"a",)"
                R"("path":"/a","isEnabled":true,"dateAdded":1})")));
            return;
        }
        QVERIFY(!ProtectedApp::fromJson(json(text.constData())));
    }

    void equalityTakesEveryField() {
        ProtectedApp a{QUuid::createUuid(),
                       QStringLiteral("x"),
                       QStringLiteral("x"),
                       QStringLiteral("/x"),
                       true,
                       std::nullopt,
                       StoredDate::fromStored(5)};
        ProtectedApp b = a;
        QCOMPARE(a, b);
        b.isEnabled = false;
        QVERIFY(!(a == b));
    }

    void neverProtectedListIsExactAndCaseSensitive() {
        const auto& list = NeverProtectedList::identifiers();
        QVERIFY(list.contains(QStringLiteral("com.apple.finder")));
        QVERIFY(!list.contains(QStringLiteral("com.apple.Finder")));
        QVERIFY(!list.contains(QStringLiteral("com.apple.finder.helper")));
        QVERIFY(list.contains(QStringLiteral("com.tarnwick.Velmora")));
        QVERIFY(list.contains(QStringLiteral("org.gnome.Nautilus")));
        QVERIFY(list.contains(QStringLiteral("org.kde.konsole")));
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "RecordsTest.moc"
