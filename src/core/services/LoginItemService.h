#pragma once

class Defaults;
class LoginItems;
class Logger;

// Brings the program's start at login in line with the user's choice. The settings window and
// onboarding each have their own routine and log lines.
class LoginItemService {
public:
    LoginItemService(LoginItems& loginItems, Defaults& defaults, Logger& logger);

    // The settings window: registers or unregisters, logging success and failure.
    void updateLaunchAtLogin(bool enabled);
    // Onboarding: stores the choice in the settings, then registers or unregisters; only a
    // failure is logged.
    void saveLaunchAtLogin(bool enabled);

private:
    LoginItems& m_loginItems;
    Defaults& m_defaults;
    Logger& m_logger;
};
