#include "fakes/FakeAppIconSource.h"
#include "password/PasswordPromptViewModel.h"
#include "password/PasswordPromptWindow.h"
#include "support/OverlayModelGraph.h"
#include "support/ViewRenderer.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/password/PasswordPromptView.qml"));

QQuickItem* child(QQuickItem* root, const char* name) {
    return root->findChild<QQuickItem*>(QString::fromLatin1(name));
}

// Plays polkit's agent: keeps what the window answered.
struct FakeSession {
    explicit FakeSession(PasswordPromptViewModel& model) {
        QObject::connect(&model, &PasswordPromptViewModel::submitted,
                         [this](const QString& answer) { answers.append(answer); });
        QObject::connect(&model, &PasswordPromptViewModel::cancelled, [this] { ++cancels; });
    }
    QStringList answers;
    int cancels = 0;
};

struct Kit : OverlayModelGraph {
    FakeAppIconSource icons;
    PasswordPromptViewModel model;
    FakeSession session{model};
    std::unique_ptr<ViewRenderer> renderer;

    QQuickItem* load(AppLanguage chosen) {
        language.changeLanguage(chosen);
        scheduler.advance(0);
        renderer = std::make_unique<ViewRenderer>(language, icons, logger);
        return renderer->load(viewUrl, PasswordPromptWindow::windowSize(),
                              {{QStringLiteral("model"), QVariant::fromValue(&model)}});
    }
    void type(const QString& text) {
        for (const QChar c : text)
            QTest::keyClick(&renderer->window(), c.toLatin1());
        QTest::keyClick(&renderer->window(), Qt::Key_Return);
    }
    QString save(const QString& name) {
        return ViewRenderer::save(renderer->grab(),
                                  u"password-prompt-"_qs + name + u'-' +
                                      AppLanguages::rawValue(language.currentLanguage()));
    }
};

} // namespace

class PasswordPromptViewTest : public QObject {
    Q_OBJECT

private slots:
    // A password goes out only while PAM asks, once, and the field is empty again afterwards;
    // a wrong one is said, and the next question can be answered; Escape refuses.
    void answersOnlyWhileAsked() {
        Kit kit;
        QQuickItem* root = kit.load(AppLanguage::english);
        QVERIFY2(root, qPrintable(kit.renderer->errors()));
        kit.model.open();
        QQuickItem* field = child(root, "passwordField");
        kit.type(QStringLiteral("early"));
        QVERIFY(kit.session.answers.isEmpty());

        kit.model.ask(QStringLiteral("Password: "), false);
        QTRY_VERIFY(field->hasActiveFocus());
        QCOMPARE(kit.model.question(), QString());
        QCOMPARE(field->property("echoMode").toInt(), 2); // TextInput.Password
        kit.save(QStringLiteral("asking"));
        kit.type(QStringLiteral("hunter2"));
        kit.type(QStringLiteral("again"));
        QCOMPARE(kit.session.answers, QStringList{QStringLiteral("hunter2")});
        QCOMPARE(field->property("text").toString(), QString());
        kit.save(QStringLiteral("checking"));

        kit.model.attemptFailed();
        kit.model.ask(QStringLiteral("Password: "), false);
        QCOMPARE(child(root, "feedback")->property("text").toString(),
                 QStringLiteral("That password didn't work. Try again."));
        kit.save(QStringLiteral("wrong"));
        QTest::mouseClick(&kit.renderer->window(), Qt::LeftButton, {},
                          child(root, "authenticate")->mapToScene(QPointF(10, 10)).toPoint());
        QCOMPARE(kit.session.answers.size(), 2);
        QCOMPARE(kit.session.answers.last(), QString());

        kit.model.ask(QStringLiteral("Verification code:"), true);
        QCOMPARE(kit.model.question(), QStringLiteral("Verification code:"));
        QCOMPARE(field->property("echoMode").toInt(), 0); // TextInput.Normal
        kit.model.showError(QStringLiteral("Account locked"));
        QCOMPARE(child(root, "feedback")->property("text").toString(),
                 QStringLiteral("Account locked"));
        QTest::keyClick(&kit.renderer->window(), Qt::Key_Escape);
        QCOMPARE(kit.session.cancels, 1);

        kit.model.close();
        kit.model.cancel();
        kit.model.submit(QStringLiteral("late"));
        QCOMPARE(kit.session.cancels, 1);
        QCOMPARE(kit.session.answers.size(), 2);
    }

    // Every text of the window comes from the program's tables, in each language.
    void speaksEveryLanguage() {
        for (AppLanguage language : {AppLanguage::english, AppLanguage::chinese,
                                     AppLanguage::japanese, AppLanguage::korean}) {
            Kit kit;
            QQuickItem* root = kit.load(language);
            QVERIFY2(root, qPrintable(kit.renderer->errors()));
            kit.model.open();
            kit.model.attemptFailed();
            kit.model.ask(QStringLiteral("Password:"), false);
            kit.save(QStringLiteral("wrong"));
            if (language == AppLanguage::english)
                continue;
            QVERIFY(child(root, "heading")->property("text").toString() !=
                    QStringLiteral("Authentication Required"));
            QVERIFY(child(root, "feedback")->property("text").toString() !=
                    QStringLiteral("That password didn't work. Try again."));
        }
    }

    // The window is made when first asked, follows the model, and its close button refuses.
    void windowFollowsTheQuestion() {
        Kit kit;
        PasswordPromptWindow window(kit.model, kit.language, kit.icons, kit.logger);
        QVERIFY(!window.window());
        kit.model.open();
        QVERIFY(window.window() && window.window()->isVisible());
        QCOMPARE(window.window()->title(), QStringLiteral("Authentication Required"));
        QVERIFY(window.window()->flags().testFlag(Qt::WindowStaysOnTopHint));
        window.window()->close();
        QCOMPARE(kit.session.cancels, 1);
        QVERIFY(window.window()->isVisible());
        kit.model.close();
        QVERIFY(!window.window()->isVisible());
        QVERIFY(kit.logger.lines.filter(QStringLiteral("failed to load")).isEmpty());
    }
};

QTEST_MAIN(PasswordPromptViewTest)
#include "PasswordPromptViewTest.moc"
