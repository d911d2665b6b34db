#include "about/AboutWindow.h"

#include "about/AboutViewModel.h"
#include "ports/Logger.h"
#include "services/LanguageManager.h"
#include "theme/ViewLoader.h"
#include "theme/WindowPlacement.h"

#include <QQuickItem>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/about/AboutView.qml"));

} // namespace

AboutWindow::AboutWindow(QQmlEngine& engine, AboutViewModel& model, LanguageManager& language,
                         Logger& logger)
    : m_window(std::make_unique<QQuickWindow>()) {
    m_window->setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    m_window->setMinimumSize(windowSize());
    m_window->setMaximumSize(windowSize());
    m_window->resize(windowSize());
    m_window->setColor(QColor(30, 30, 30));
    const auto updateTitle = [this, &language] {
        m_window->setTitle(language.localized(QStringLiteral("About Velmora")));
    };
    updateTitle();
    QObject::connect(&language, &LanguageManager::currentLanguageChanged, m_window.get(),
                     updateTitle);

    m_view = ViewLoader::load(engine, viewUrl, &model, *m_window, logger,
                              QStringLiteral("[Velmora] About view failed to load: %1"));
    if (m_view)
        m_view->setSize(windowSize());
}

AboutWindow::~AboutWindow() {
    m_view.reset();
}

void AboutWindow::present() {
    if (!m_wasShown) {
        m_wasShown = true;
        WindowPlacement::centre(*m_window, m_window->screen(), windowSize());
    }
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}
