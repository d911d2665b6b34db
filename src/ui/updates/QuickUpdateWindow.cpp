#include "updates/QuickUpdateWindow.h"

#include "ports/Logger.h"
#include "services/LanguageManager.h"
#include "theme/ThemeModule.h"
#include "theme/ViewLoader.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/updates/UpdateView.qml"));

} // namespace

QuickUpdateWindow::QuickUpdateWindow(LanguageManager& language, AppIconSource& icons,
                                     Logger& logger)
    : m_language(language)
    , m_icons(icons)
    , m_logger(logger) {}

QuickUpdateWindow::~QuickUpdateWindow() {
    m_view.reset();
    m_window.reset();
}

bool QuickUpdateWindow::isProgramActive() const {
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void QuickUpdateWindow::show(QObject& model) {
    if (!m_window)
        make(model);
    m_window->setWindowStates(m_window->windowStates() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

void QuickUpdateWindow::openLink(const QUrl& url) {
    if (!QDesktopServices::openUrl(url))
        m_logger.log(QStringLiteral("[Velmora] Could not open %1").arg(url.toString()));
}

void QuickUpdateWindow::make(QObject& model) {
    m_engine = std::make_unique<QQmlEngine>();
    ThemeModule::install(*m_engine, m_language, m_icons, m_logger);
    m_window = std::make_unique<QQuickWindow>();
    m_window->setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    m_window->setTitle(m_language.localized(QStringLiteral("Software Update")));
    m_window->resize(windowSize);
    m_window->setMinimumSize(windowSize);
    m_window->setMaximumSize(windowSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        m_window->setFramePosition(area.center() -
                                   QPoint(windowSize.width(), windowSize.height()) / 2);
    }
    m_view = ViewLoader::load(*m_engine, viewUrl, &model, *m_window, m_logger,
                              QStringLiteral("[Velmora] Update view failed to load: %1"));
    if (m_view)
        m_view->setSize(windowSize);
}
