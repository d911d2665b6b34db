#include "services/UpdateViewModel.h"

UpdateViewModel::UpdateViewModel(QString currentVersion, std::function<void(const QUrl&)> openUrl,
                                 QObject* parent)
    : QObject(parent)
    , m_currentVersion(std::move(currentVersion))
    , m_openUrl(std::move(openUrl)) {}

void UpdateViewModel::showChecking() {
    set(State::checking);
}

void UpdateViewModel::showUpToDate() {
    set(State::upToDate);
}

void UpdateViewModel::showAvailable(const QString& version, const QString& notes,
                                    const QUrl& downloadUrl) {
    set(State::available, version, notes, {}, downloadUrl);
}

void UpdateViewModel::showFailed(const QString& error) {
    set(State::failed, {}, {}, error);
}

void UpdateViewModel::showPackageManager() {
    set(State::packageManager);
}

void UpdateViewModel::download() {
    if (m_state == State::available && m_downloadUrl.isValid() && m_openUrl)
        m_openUrl(m_downloadUrl);
}

void UpdateViewModel::set(State state, QString version, QString notes, QString error, QUrl url) {
    m_state = state;
    m_version = std::move(version);
    m_notes = std::move(notes);
    m_error = std::move(error);
    m_downloadUrl = std::move(url);
    emit changed();
}
