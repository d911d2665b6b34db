#include "pickers/AppPickerWindowController.h"

#include "model/ProtectedAppsManager.h"
#include "pickers/AppPickerViewModel.h"
#include "ports/Logger.h"
#include "services/LanguageManager.h"
#include "theme/ViewLoader.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/pickers/AppPickerView.qml"));

} // namespace

AppPickerWindowController::AppPickerWindowController(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(dependencies) {}

AppPickerWindowController::~AppPickerWindowController() {
    // The view reads the model until it is gone.
    m_view.reset();
}

void AppPickerWindowController::show(QWindow* parent) {
    if (!m_window) {
        makePicker();
        place(parent);
    }
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

void AppPickerWindowController::makePicker() {
    m_model = std::make_unique<AppPickerViewModel>(
        AppPickerViewModel::Dependencies{m_deps.scanner, m_deps.defaults, m_deps.language});
    ProtectedAppsManager& store = m_deps.apps;
    const QPointer<AppPickerWindowController> self(this);
    // The choice is kept even if the controller went away meanwhile.
    m_model->onAppsSelected = [self, &store](const QList<AppInfo>& chosen) {
        for (const AppInfo& app : chosen)
            store.addApp(app.bundleIdentifier, app.name, app.path);
        if (self)
            self->closePicker();
    };
    m_model->onCancel = [self] {
        if (self)
            self->closePicker();
    };
    m_model->loadInstalledApps();

    m_window = std::make_unique<QQuickWindow>();
    m_window->setFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    m_window->setTitle(m_deps.language.text(QStringLiteral("Add Applications")));
    m_window->setColor(QColor(30, 30, 30));
    m_window->setMinimumSize(QSize(width, height));
    m_window->setMaximumSize(QSize(width, height));
    m_window->resize(width, height);

    m_view =
        ViewLoader::load(m_deps.engine, viewUrl, m_model.get(), *m_window, m_deps.logger,
                         QStringLiteral("[Velmora] Application picker view failed to load: %1"));
    if (!m_view)
        return;
    m_view->setSize(QSizeF(width, height));
    m_view->forceActiveFocus();
}

void AppPickerWindowController::place(QWindow* parent) {
    m_window->setTransientParent(parent);
    QRect around;
    if (parent)
        around = parent->geometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        around = screen->availableGeometry();
    m_window->setPosition(around.x() + around.width() / 2 - width / 2,
                          around.y() + around.height() / 2 - height / 2);
}

// Runs inside the view's own button handler, so the window, view and model go on the next pass.
void AppPickerWindowController::closePicker() {
    if (!m_window)
        return;
    m_window->close();
    if (m_view)
        m_view.release()->deleteLater();
    m_window.release()->deleteLater();
    m_model.release()->deleteLater();
}
