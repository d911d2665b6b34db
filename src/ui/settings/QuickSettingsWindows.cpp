#include "settings/QuickSettingsWindows.h"

#include "ports/Logger.h"
#include "theme/ThemeModule.h"
#include "theme/ViewLoader.h"

#include <QQuickItem>
#include <QQuickWindow>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/settings/SettingsView.qml"));

class QuickSettingsWindow : public SettingsWindow {
public:
    QuickSettingsWindow(QQmlEngine& engine, const QString& title, const QSize& size,
                        QObject& viewModel, Logger& logger)
        : m_window(std::make_unique<QQuickWindow>()) {
        m_window->setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
        m_window->setTitle(title);
        m_window->resize(size);
        m_window->setMinimumSize(size);
        m_window->setMaximumSize(size);
        m_view = ViewLoader::load(engine, viewUrl, &viewModel, *m_window, logger,
                                  QStringLiteral("[Velmora] Settings view failed to load: %1"));
        if (m_view)
            m_view->setSize(size);
    }
    ~QuickSettingsWindow() override { m_view.reset(); }

    QSize frameSize() const override { return m_window->frameGeometry().size(); }
    void moveFrameTo(const QPoint& topLeft) override { m_window->setFramePosition(topLeft); }
    void showAndRaise() override {
        m_window->setWindowStates(m_window->windowStates() & ~Qt::WindowMinimized);
        m_window->show();
        m_window->raise();
        m_window->requestActivate();
    }
    void setTitle(const QString& title) override { m_window->setTitle(title); }

private:
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_view;
};

} // namespace

QuickSettingsWindows::QuickSettingsWindows(LanguageManager& language, AppIconSource& icons,
                                           Logger& logger)
    : m_language(language)
    , m_icons(icons)
    , m_logger(logger) {}

QuickSettingsWindows::~QuickSettingsWindows() = default;

std::unique_ptr<SettingsWindow>
QuickSettingsWindows::create(const QString& title, const QSize& contentSize, QObject& viewModel) {
    if (!m_engine) {
        m_engine = std::make_unique<QQmlEngine>();
        ThemeModule::install(*m_engine, m_language, m_icons, m_logger);
    }
    return std::make_unique<QuickSettingsWindow>(*m_engine, title, contentSize, viewModel,
                                                 m_logger);
}
