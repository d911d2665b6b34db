#pragma once

#include "password/PasswordPromptViewModel.h"
#include "password/PasswordPromptWindow.h"

class AppIconSource;
class LanguageManager;
class Logger;
class PolkitSelfAgent;

// Velmora's own polkit agent and its password window, tied together: the agent's questions go
// to the window, the window's answers to the agent.
class SelfAgentPrompt {
public:
    SelfAgentPrompt(PolkitSelfAgent& agent, LanguageManager& language, AppIconSource& icons,
                    Logger& logger);

private:
    PasswordPromptViewModel m_model;
    PasswordPromptWindow m_window;
};
