#include "settings/SettingsWindowController.h"

#include "ports/Screens.h"
#include "ports/SelfActivation.h"
#include "services/LanguageManager.h"

#include <QScreen>

SettingsWindowController::SettingsWindowController(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(std::move(dependencies)) {
    connect(&m_deps.language, &LanguageManager::currentLanguageChanged, this, [this] {
        if (!m_window)
            return;
        m_window->setTitle(title());
        rebuildContent();
    });
    connect(&m_viewModel, &SettingsViewModel::selectedTabChanged, this,
            &SettingsWindowController::generalTabAppeared);
}

SettingsWindowController::~SettingsWindowController() {
    // The window's views read the models until it is gone.
    m_window.reset();
}

void SettingsWindowController::setTabModels(QObject* apps, QObject* drives) {
    m_apps = apps;
    m_drives = drives;
    if (m_window)
        m_viewModel.rebuild(m_general.get(), m_apps, m_drives);
}

void SettingsWindowController::showWindow(QScreen* screen) {
    showWindowOn(screen ? std::optional<QRect>(screen->availableGeometry()) : std::nullopt);
}

void SettingsWindowController::showWindowOn(std::optional<QRect> availableArea) {
    if (!availableArea) {
        // The list starts with the primary screen.
        const QList<QRect> areas = m_deps.screens.availableAreas();
        if (!areas.isEmpty())
            availableArea = areas.first();
    }
    if (!m_window) {
        rebuildContent();
        m_window = m_deps.windows.create(title(), windowSize, m_viewModel);
    } else {
        generalTabAppeared();
    }
    if (availableArea)
        centre(*availableArea);
    m_window->showAndRaise();
    m_deps.activation.activate();
}

// Every tab's content starts over in the new language; the General tab reads the settings anew.
void SettingsWindowController::rebuildContent() {
    std::unique_ptr<GeneralSettingsViewModel> previous = std::move(m_general);
    m_general = m_deps.makeGeneralModel();
    m_viewModel.rebuild(m_general.get(), m_apps, m_drives);
    // The old content may still be reading it until the views are replaced.
    if (previous)
        previous.release()->deleteLater();
    generalTabAppeared();
}

QString SettingsWindowController::title() const {
    return m_deps.language.localized(QStringLiteral("Velmora Settings"));
}

void SettingsWindowController::centre(const QRect& availableArea) {
    const QSize frame = m_window->frameSize();
    const QPointF centre = QRectF(availableArea).center();
    m_window->moveFrameTo(QPoint(qRound(centre.x() - frame.width() * 0.5),
                                 qRound(centre.y() - frame.height() * 0.5)));
}

void SettingsWindowController::generalTabAppeared() {
    if (m_general && m_viewModel.selectedTab() == SettingsViewModel::general)
        m_general->appear();
}
