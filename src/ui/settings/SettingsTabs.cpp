#include "settings/SettingsTabs.h"

#include "theme/ThemeModule.h"

#include <QGuiApplication>

SettingsTabs::SettingsTabs(Dependencies dependencies)
    : m_deps(dependencies)
    , m_drivePicker({dependencies.volumes, dependencies.drives, dependencies.language,
                     dependencies.icons, dependencies.logger})
    , m_appsModel(dependencies.apps, dependencies.drives, dependencies.guard, dependencies.language,
                  [this] { showAppPicker(); })
    , m_drivesModel({dependencies.drives, dependencies.guard, dependencies.monitor,
                     [this](QWindow* parent) { m_drivePicker.show(parent); }}) {}

SettingsTabs::~SettingsTabs() {
    // The picker's window goes before the engine it was made with.
    m_appPicker.reset();
}

// The picker opens over the window its button was pressed in: the settings window.
void SettingsTabs::showAppPicker() {
    if (!m_appPicker) {
        m_appPickerEngine = std::make_unique<QQmlEngine>();
        ThemeModule::install(*m_appPickerEngine, m_deps.language, m_deps.icons, m_deps.logger);
        m_appPicker =
            std::make_unique<AppPickerWindowController>(AppPickerWindowController::Dependencies{
                *m_appPickerEngine, m_deps.apps, m_deps.installedApps, m_deps.defaults,
                m_deps.language, m_deps.logger});
    }
    m_appPicker->show(QGuiApplication::focusWindow());
}
