#include "fakes/FakeAppIconSource.h"
#include "overlay/LockOverlayViewModel.h"
#include "support/OverlayModelGraph.h"
#include "support/ViewRenderer.h"

#include <QQuickItem>
#include <QtTest>
#include <memory>

namespace {

const QString editorID = QStringLiteral("org.example.Editor");
const QString longName =
    QStringLiteral("Professional Audio Workstation and Multitrack Recording Suite Deluxe Edition");
const QSize screen(1440, 900);

struct Kit : OverlayModelGraph {
    FakeAppIconSource icons;
    // The views read their models until the renderer is gone.
    std::vector<std::unique_ptr<LockOverlayViewModel>> models;
    std::unique_ptr<ViewRenderer> renderer;

    // A fresh view, since a renderer shows one.
    QQuickItem* load(const QString& appName, bool startedWhileAway = false) {
        renderer = std::make_unique<ViewRenderer>(language, icons, logger);
        models.push_back(std::make_unique<LockOverlayViewModel>(
            LockOverlayViewModel::Dependencies{apps, drives, workspace, language},
            OverlayContent{appName, editorID, {}, startedWhileAway}));
        return renderer->load(
            QUrl(QStringLiteral("qrc:/qt/qml/Velmora/overlay/LockOverlayView.qml")), screen,
            {{QStringLiteral("model"), QVariant::fromValue(models.back().get())}});
    }

    void setLanguage(AppLanguage chosen) {
        language.changeLanguage(chosen);
        scheduler.advance(0);
    }
};

QQuickItem* child(QQuickItem* root, const char* objectName) {
    return root->findChild<QQuickItem*>(QString::fromLatin1(objectName));
}

QRectF sceneRect(QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

QImage filled(const QColor& color) {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

} // namespace

class LockOverlayViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_kit = std::make_unique<Kit>(); }
    void cleanup() { m_kit.reset(); }

    // Pictures for people to look at, in <build>/views: a long name with a known drive, a short
    // one whose drive is unknown, one with a spare drive, and one found running that started
    // while Velmora was not running, in English and Chinese.
    void rendersEachCaseCentredAndWithinTheScreen() {
        m_kit->icons.icons.insert(editorID, filled(QColor(60, 120, 220)));
        m_kit->drives.addDrive(QStringLiteral("Studio Archive"), QStringLiteral("/media/me/Studio"),
                               std::nullopt);
        const ProtectedApp stored{QUuid::createUuid(), editorID, longName,
                                  QString(),           true,     m_kit->drives.drives().first().id,
                                  QDateTime()};
        m_kit->drives.addDrive(QStringLiteral("SPAREKEY"), QStringLiteral("/media/me/SPAREKEY"),
                               std::nullopt);
        ProtectedApp spared = stored;
        spared.spareDriveIDs = {m_kit->drives.drives().last().id};
        m_kit->logger.lines.clear();
        struct Case {
            QString appName;
            bool inStore;
            QString picture;
            bool spares = false;
            bool startedWhileAway = false;
        };
        const QList<Case> cases{
            {longName, true, QStringLiteral("long-name")},
            {QStringLiteral("Editor"), false, QStringLiteral("unknown-drive")},
            {QString(100000, u'W'), false, QStringLiteral("huge-name")},
            {QStringLiteral("Editor"), true, QStringLiteral("spare-keys"), true},
            {QStringLiteral("Editor"), true, QStringLiteral("started-unseen"), false, true}};
        for (AppLanguage language : {AppLanguage::english, AppLanguage::chinese}) {
            m_kit->setLanguage(language);
            for (const Case& c : cases) {
                m_kit->apps.setApps(c.inStore ? QList<ProtectedApp>{c.spares ? spared : stored}
                                              : QList<ProtectedApp>{});
                QQuickItem* root = m_kit->load(c.appName, c.startedWhileAway);
                QVERIFY2(root, qPrintable(m_kit->renderer->errors()));
                QQuickItem* card = child(root, "card");
                // The card grows and fades in once.
                QVERIFY(card->scale() < 1.0);
                QTRY_COMPARE_WITH_TIMEOUT(card->scale(), 1.0, 5000);
                QTRY_COMPARE_WITH_TIMEOUT(card->opacity(), 1.0, 5000);
                const QImage image = m_kit->renderer->grab();
                ViewRenderer::save(image, QStringLiteral("lock-overlay-") + c.picture + u'-' +
                                              AppLanguages::rawValue(language));

                const QRectF cardRect = sceneRect(card);
                QVERIFY(qAbs(cardRect.center().x() - 720) <= 1);
                QVERIFY(qAbs(cardRect.center().y() - 450) <= 1);
                QVERIFY(QRectF(QPointF(0, 0), screen).contains(cardRect));
                QVERIFY(child(root, "hint")->width() <= 300);
                QCOMPARE(child(root, "startNote")->isVisible(), c.startedWhileAway);
                const QRectF lastLine =
                    sceneRect(child(root, c.startedWhileAway ? "startNote" : "hint"));
                const QRectF button = sceneRect(child(root, "forceQuit"));
                QCOMPARE(button.top() - lastLine.bottom(), 24.0);
                QCOMPARE(sceneRect(child(root, "appIcon")).top() - cardRect.top(), 40.0);
                QCOMPARE(cardRect.bottom() - button.bottom(), 40.0);
                const QString driveLine = child(root, "driveLine")->property("text").toString();
                QCOMPARE(driveLine.contains(QStringLiteral("未知硬盘")), !c.inStore);
                // Without a compositor's blur nothing behind the card shows: the backdrop is the
                // card's own grey.
                QCOMPARE(image.pixelColor(10, 10), QColor(44, 44, 46));
                QCOMPARE(image.pixelColor(cardRect.left() + 8, cardRect.center().y()),
                         QColor(44, 44, 46));
            }
        }
        QVERIFY2(m_kit->logger.lines.isEmpty(), qPrintable(m_kit->logger.lines.join(u'\n')));
    }

private:
    std::unique_ptr<Kit> m_kit;
};

QTEST_MAIN(LockOverlayViewTest)
#include "LockOverlayViewTest.moc"
