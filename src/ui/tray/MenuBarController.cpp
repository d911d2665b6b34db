#include "tray/MenuBarController.h"

#include "about/AboutViewModel.h"
#include "model/Defaults.h"
#include "ports/DesktopAppearance.h"
#include "ports/Logger.h"
#include "ports/MenuBarWindows.h"
#include "ports/StatusItem.h"
#include "services/LanguageManager.h"
#include "services/LooseningGuard.h"
#include "services/OverlayWindowService.h"
#include "tray/MenuBarIcon.h"
#include "tray/MenuBarViewModel.h"

#include <QPointer>

namespace {

MenuBarIcon::State iconStateOf(MenuBarController::IconState state) {
    return static_cast<MenuBarIcon::State>(static_cast<int>(state));
}

} // namespace

MenuBarController::MenuBarController(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(std::move(dependencies)) {}

MenuBarController::~MenuBarController() {
    // The windows read their models until they are gone.
    m_panel.reset();
    m_aboutWindow.reset();
}

void MenuBarController::setup() {
    m_isSetUp = true;
    m_iconState = currentState();
    if (!m_deps.statusItem.isTrayAvailable())
        m_deps.logger.log(QStringLiteral("[Velmora] No system tray found; launch Velmora again "
                                         "from the application menu to open its settings"));
    QPointer<MenuBarController> self(this);
    m_deps.statusItem.setActivationHandler([self](QPoint pointer) {
        if (self)
            self->togglePopover(pointer);
    });
    m_deps.appearance.setChangeHandler([self] {
        if (self)
            self->updateIcon();
    });
    connect(&m_deps.overlays, &OverlayWindowService::showingChanged, this,
            &MenuBarController::updateIcon);
    connect(&m_deps.language, &LanguageManager::currentLanguageChanged, this,
            &MenuBarController::updateIcon);
    m_deps.statusItem.show(currentIcon(), toolTip());
    emit iconChanged(m_iconState);
}

void MenuBarController::updateIcon() {
    if (!m_isSetUp)
        return;
    m_iconState = currentState();
    m_deps.statusItem.setIcon(currentIcon());
    m_deps.statusItem.setToolTip(toolTip());
    emit iconChanged(m_iconState);
}

// The panic key and the time-out withdraw the overlays but leave protection on: active again.
MenuBarController::IconState MenuBarController::currentState() const {
    if (m_deps.overlays.isShowing())
        return IconState::locked;
    return m_deps.defaults.appSettings().isProtectionEnabled ? IconState::active : IconState::idle;
}

QString MenuBarController::toolTip() const {
    static const QString keys[] = {QStringLiteral("Protection Off"),
                                   QStringLiteral("Protection Active"),
                                   QStringLiteral("App Locked")};
    const QString state = m_deps.language.localized(keys[static_cast<int>(m_iconState)]);
    return m_deps.language.text(QStringLiteral("Velmora — %@"), {state});
}

// Trays do not tint icons: a dark glyph on a light desktop, a light one otherwise.
QIcon MenuBarController::currentIcon() const {
    const QColor glyph = m_deps.appearance.colorScheme() == DesktopAppearance::ColorScheme::light
                             ? MenuBarIcon::darkGlyph()
                             : MenuBarIcon::lightGlyph();
    return MenuBarIcon::icon(iconStateOf(m_iconState), glyph);
}

void MenuBarController::togglePopover(QPoint pointer) {
    if (m_panel && m_panel->isShown()) {
        m_panel->close();
        return;
    }
    QRect anchor = m_deps.statusItem.geometry();
    if (anchor.isEmpty())
        anchor = QRect(pointer, QSize(1, 1));
    panel().showNear(anchor);
}

void MenuBarController::toggleProtection() {
    const bool wasEnabled = m_deps.defaults.appSettings().isProtectionEnabled;
    // The panel holds the pointer while open; it goes first so the dialog can be answered.
    if (m_deps.guard.asksFor(wasEnabled))
        closePanel();
    QPointer<MenuBarController> self(this);
    m_deps.guard.whenAllowed(
        wasEnabled,
        [self, wasEnabled] {
            if (self)
                self->setProtectionEnabled(!wasEnabled);
        },
        [self, wasEnabled] {
            if (self && self->m_panelModel)
                self->m_panelModel->showProtection(wasEnabled);
        });
}

void MenuBarController::setProtectionEnabled(bool enabled) {
    AppSettings settings = m_deps.defaults.appSettings();
    settings.isProtectionEnabled = enabled;
    m_deps.defaults.setAppSettings(settings);
    if (m_panelModel)
        m_panelModel->showProtection(enabled);
    // Switching on looks at nothing running now; enforcement starts with the next event.
    if (!enabled)
        m_deps.overlays.hide(OverlayDismissReason::cancelled);
    updateIcon();
}

void MenuBarController::showAboutWindow() {
    if (!m_aboutWindow) {
        m_aboutModel = std::make_unique<AboutViewModel>(m_deps.version);
        m_aboutWindow = m_deps.windows.makeAboutWindow(*m_aboutModel);
    }
    m_aboutWindow->present();
}

MenuBarPanel& MenuBarController::panel() {
    if (m_panel)
        return *m_panel;
    QPointer<MenuBarController> self(this);
    MenuBarViewModel::Callbacks callbacks;
    callbacks.onToggleProtection = [self] {
        if (self)
            self->toggleProtection();
    };
    callbacks.onSettingsClicked = [self] {
        if (!self)
            return;
        self->closePanel();
        emit self->openSettingsRequested(self->m_panel ? self->m_panel->screen() : nullptr);
    };
    callbacks.onAboutClicked = [self] {
        if (!self)
            return;
        self->closePanel();
        self->showAboutWindow();
    };
    // The panel holds the pointer while open; it goes first so a quit prompt can be answered.
    callbacks.onQuitClicked = [self] {
        if (!self)
            return;
        self->closePanel();
        if (self->onQuitRequested)
            self->onQuitRequested();
    };
    m_panelModel = std::make_unique<MenuBarViewModel>(
        m_deps.apps, m_deps.drives, m_deps.defaults.appSettings().isProtectionEnabled,
        std::move(callbacks));
    m_panel = m_deps.windows.makePanel(*m_panelModel);
    return *m_panel;
}

void MenuBarController::closePanel() {
    if (m_panel)
        m_panel->close();
}
