#include "menubar/MenuBarController.h"

#include "model/Defaults.h"

MenuBarController::MenuBarController(Defaults& defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults) {}

void MenuBarController::setup() {
    m_isSetUp = true;
    m_iconState =
        m_defaults.appSettings().isProtectionEnabled ? IconState::active : IconState::idle;
    updateIcon();
}

void MenuBarController::updateIcon() {
    if (!m_isSetUp)
        return;
    emit iconChanged(m_iconState);
}
