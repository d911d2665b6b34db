#pragma once

#include "pickers/AppPickerWindowController.h"
#include "pickers/DrivePickerWindowController.h"
#include "settings/AppsSettingsViewModel.h"
#include "settings/DriveSettingsViewModel.h"

#include <QQmlEngine>
#include <memory>

class AppIconSource;
class Defaults;
class DriveMonitorService;
class InstalledApplications;
class LanguageManager;
class Logger;
class LooseningGuard;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class VolumeSource;

// The settings window's Apps and Drives tabs and the pickers they open. The pickers and their
// engines are made on first use.
class SettingsTabs {
public:
    struct Dependencies {
        ProtectedAppsManager& apps;
        ProtectedDrivesManager& drives;
        LooseningGuard& guard;
        const DriveMonitorService& monitor;
        const Defaults& defaults;
        LanguageManager& language;
        VolumeSource& volumes;
        const InstalledApplications& installedApps;
        AppIconSource& icons;
        Logger& logger;
    };

    explicit SettingsTabs(Dependencies dependencies);
    ~SettingsTabs();

    AppsSettingsViewModel& appsModel() { return m_appsModel; }
    DriveSettingsViewModel& drivesModel() { return m_drivesModel; }

private:
    void showAppPicker();

    Dependencies m_deps;
    std::unique_ptr<QQmlEngine> m_appPickerEngine;
    std::unique_ptr<AppPickerWindowController> m_appPicker;
    DrivePickerWindowController m_drivePicker;
    AppsSettingsViewModel m_appsModel;
    DriveSettingsViewModel m_drivesModel;
};
