#include "pickers/DrivePickerWindowController.h"

#include "pickers/DrivePickerViewModel.h"
#include "ports/Logger.h"
#include "services/LanguageManager.h"
#include "theme/ThemeModule.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickView>
#include <QScreen>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/pickers/DrivePickerView.qml"));
const QSize windowSize(480, 360);

} // namespace

DrivePickerWindowController::DrivePickerWindowController(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(dependencies) {
    connect(&m_deps.language, &LanguageManager::currentLanguageChanged, this,
            &DrivePickerWindowController::updateTitle);
}

DrivePickerWindowController::~DrivePickerWindowController() = default;

void DrivePickerWindowController::show(QWindow* parent) {
    if (!m_window)
        makeWindow();
    if (!m_window->isVisible()) {
        // The list is read each time the window appears, and otherwise only on "Refresh".
        m_model->scanVolumes();
        placeOver(parent);
        m_window->show();
    }
    m_window->raise();
    m_window->requestActivate();
}

void DrivePickerWindowController::makeWindow() {
    m_engine = std::make_unique<QQmlEngine>();
    ThemeModule::install(*m_engine, m_deps.language, m_deps.icons, m_deps.logger);
    m_model = std::make_unique<DrivePickerViewModel>(m_deps.volumes, m_deps.drives);
    m_window = std::make_unique<QQuickView>(m_engine.get(), nullptr);
    m_window->setResizeMode(QQuickView::SizeRootObjectToView);
    m_window->setColor(Qt::black);
    m_window->resize(windowSize);
    m_window->setMinimumSize(QSize(320, 240));
    m_window->setInitialProperties(
        {{QStringLiteral("model"), QVariant::fromValue(static_cast<QObject*>(m_model.get()))}});
    m_window->setSource(viewUrl);
    if (m_window->status() == QQuickView::Error) {
        QStringList errors;
        for (const QQmlError& error : m_window->errors())
            errors.append(error.toString());
        m_deps.logger.log(QStringLiteral("[Velmora] Drive picker view failed to load: %1")
                              .arg(errors.join(QStringLiteral("; "))));
    }
    QQuickView* window = m_window.get();
    connect(m_model.get(), &DrivePickerViewModel::dismissRequested, window, &QWindow::close);
    updateTitle();
}

void DrivePickerWindowController::updateTitle() {
    if (m_window)
        m_window->setTitle(m_deps.language.text(QStringLiteral("Add External Drive")));
}

void DrivePickerWindowController::placeOver(QWindow* parent) {
    m_window->setTransientParent(parent);
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect area =
        parent ? parent->geometry() : (screen ? screen->availableGeometry() : QRect());
    if (area.isEmpty())
        return;
    QRect frame(QPoint(), m_window->size());
    frame.moveCenter(area.center());
    m_window->setPosition(frame.topLeft());
}
