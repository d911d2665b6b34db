#include "onboarding/QuickOnboardingWindow.h"

#include "onboarding/OnboardingViewModel.h"
#include "ports/Logger.h"
#include "services/LanguageManager.h"
#include "theme/ThemeModule.h"
#include "theme/ViewLoader.h"
#include "theme/WindowPlacement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/onboarding/OnboardingView.qml"));
const QSize contentSize(480, 420);

// A window manager may still offer to close the window (Alt+F4); the walk ends only through its
// last button or by quitting the program.
class CloseRefusingWindow : public QQuickWindow {
public:
    bool isClosable = false;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Close && !isClosable) {
            event->ignore();
            return true;
        }
        return QQuickWindow::event(event);
    }
};

} // namespace

QuickOnboardingWindow::QuickOnboardingWindow(OnboardingViewModel& model, LanguageManager& language,
                                             AppIconSource& icons, Logger& logger)
    : m_engine(new QQmlEngine) {
    ThemeModule::install(*m_engine, language, icons, logger);
    auto* window = new CloseRefusingWindow;
    m_window = window;
    window->setFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                     Qt::WindowStaysOnTopHint);
    window->setTitle(language.localized(QStringLiteral("Welcome to Velmora")));
    window->setMinimumSize(contentSize);
    window->setMaximumSize(contentSize);
    window->resize(contentSize);
    window->setColor(Qt::black);

    std::unique_ptr<QQuickItem> view =
        ViewLoader::load(*m_engine, viewUrl, &model, *window, logger,
                         QStringLiteral("[Velmora] Onboarding view failed to load: %1"));
    if (!view) {
        // An empty window nobody could leave would be worse than skipping the walk.
        window->isClosable = true;
        return;
    }
    view->setSize(contentSize);
    view.release()->setParent(window);
    WindowPlacement::centre(*window, QGuiApplication::primaryScreen(), contentSize);
}

QuickOnboardingWindow::~QuickOnboardingWindow() {
    if (m_window) {
        static_cast<CloseRefusingWindow*>(m_window.data())->isClosable = true;
        m_window->close();
        // Possibly destroyed from inside the window's own click handler: later, not now.
        m_window->deleteLater();
    }
    if (m_engine)
        m_engine->deleteLater();
}

void QuickOnboardingWindow::bringToFront() {
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}
