#include "password/PasswordPromptWindow.h"

#include "password/PasswordPromptViewModel.h"
#include "services/LanguageManager.h"
#include "theme/ThemeModule.h"
#include "theme/ViewLoader.h"
#include "theme/WindowPlacement.h"

#include <QEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/password/PasswordPromptView.qml"));

// The window manager's close button answers like Cancel; the model then closes the window.
class CloseIsCancel : public QObject {
public:
    CloseIsCancel(PasswordPromptViewModel& model, QObject* parent)
        : QObject(parent)
        , m_model(model) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close)
            return QObject::eventFilter(watched, event);
        event->ignore();
        m_model.cancel();
        return true;
    }

private:
    PasswordPromptViewModel& m_model;
};

} // namespace

QSize PasswordPromptWindow::windowSize() {
    return {400, 250};
}

PasswordPromptWindow::PasswordPromptWindow(PasswordPromptViewModel& model,
                                           LanguageManager& language, AppIconSource& icons,
                                           Logger& logger)
    : m_model(model)
    , m_language(language)
    , m_icons(icons)
    , m_logger(logger) {
    connect(&m_model, &PasswordPromptViewModel::changed, this, &PasswordPromptWindow::follow);
}

PasswordPromptWindow::~PasswordPromptWindow() {
    m_view.reset();
    m_window.reset();
}

void PasswordPromptWindow::follow() {
    if (!m_model.isOpen()) {
        if (m_window)
            m_window->hide();
        return;
    }
    if (!m_window)
        make();
    if (m_window->isVisible())
        return;
    WindowPlacement::centre(*m_window, m_window->screen(), windowSize());
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

void PasswordPromptWindow::make() {
    m_engine = std::make_unique<QQmlEngine>();
    ThemeModule::install(*m_engine, m_language, m_icons, m_logger);
    m_window = std::make_unique<QQuickWindow>();
    m_window->setFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                       Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_window->setMinimumSize(windowSize());
    m_window->setMaximumSize(windowSize());
    m_window->resize(windowSize());
    m_window->setColor(QColor(30, 30, 30));
    m_window->installEventFilter(new CloseIsCancel(m_model, m_window.get()));
    const auto updateTitle = [this] {
        m_window->setTitle(m_language.localized(QStringLiteral("Authentication Required")));
    };
    updateTitle();
    connect(&m_language, &LanguageManager::currentLanguageChanged, m_window.get(), updateTitle);
    m_view = ViewLoader::load(*m_engine, viewUrl, &m_model, *m_window, m_logger,
                              QStringLiteral("[Velmora] Password view failed to load: %1"));
    if (m_view)
        m_view->setSize(windowSize());
}
