#include "app/SelfAgentPrompt.h"

#include "dbus/PolkitSelfAgent.h"

SelfAgentPrompt::SelfAgentPrompt(PolkitSelfAgent& agent, LanguageManager& language,
                                 AppIconSource& icons, Logger& logger)
    : m_window(m_model, language, icons, logger) {
    PasswordPromptViewModel* model = &m_model;
    QObject::connect(&agent, &PolkitSelfAgent::opened, model, &PasswordPromptViewModel::open);
    QObject::connect(&agent, &PolkitSelfAgent::requested, model, &PasswordPromptViewModel::ask);
    QObject::connect(&agent, &PolkitSelfAgent::infoShown, model,
                     &PasswordPromptViewModel::showInfo);
    QObject::connect(&agent, &PolkitSelfAgent::errorShown, model,
                     &PasswordPromptViewModel::showError);
    QObject::connect(&agent, &PolkitSelfAgent::attemptFailed, model,
                     &PasswordPromptViewModel::attemptFailed);
    QObject::connect(&agent, &PolkitSelfAgent::closed, model, &PasswordPromptViewModel::close);
    QObject::connect(model, &PasswordPromptViewModel::submitted, &agent, &PolkitSelfAgent::respond);
    QObject::connect(model, &PasswordPromptViewModel::cancelled, &agent, &PolkitSelfAgent::cancel);
}
