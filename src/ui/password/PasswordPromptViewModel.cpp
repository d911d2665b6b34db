#include "password/PasswordPromptViewModel.h"

#include <QRegularExpression>

namespace {

// PAM's usual "Password: " comes in the system's language, not the program's.
bool isPlainPasswordQuestion(const QString& question) {
    static const QRegularExpression plain(QStringLiteral("^\\s*password\\s*:?\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    return plain.match(question).hasMatch();
}

} // namespace

PasswordPromptViewModel::PasswordPromptViewModel(QObject* parent)
    : QObject(parent) {}

void PasswordPromptViewModel::open() {
    m_open = true;
    m_asking = false;
    m_question.clear();
    m_remark.clear();
    m_lastAttemptFailed = false;
    emit changed();
}

void PasswordPromptViewModel::ask(const QString& question, bool echo) {
    if (!m_open)
        return;
    m_question = isPlainPasswordQuestion(question) ? QString() : question.trimmed();
    m_echo = echo;
    m_asking = true;
    emit changed();
}

void PasswordPromptViewModel::showInfo(const QString& text) {
    if (!m_open)
        return;
    m_remark = text.trimmed();
    m_remarkIsError = false;
    emit changed();
}

void PasswordPromptViewModel::showError(const QString& text) {
    if (!m_open)
        return;
    m_remark = text.trimmed();
    m_remarkIsError = true;
    emit changed();
}

void PasswordPromptViewModel::attemptFailed() {
    if (!m_open)
        return;
    m_lastAttemptFailed = true;
    m_asking = false;
    emit changed();
}

void PasswordPromptViewModel::close() {
    if (!m_open)
        return;
    m_open = false;
    m_asking = false;
    emit changed();
}

void PasswordPromptViewModel::submit(const QString& answer) {
    if (!m_asking)
        return;
    m_asking = false;
    m_remark.clear();
    m_lastAttemptFailed = false;
    emit changed();
    emit submitted(answer);
}

void PasswordPromptViewModel::cancel() {
    if (!m_open)
        return;
    emit cancelled();
}
