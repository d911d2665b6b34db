#pragma once

#include <QObject>
#include <QUrl>
#include <functional>

// What the update window shows: the check under way, its result, or that updates come from the
// package manager.
class UpdateViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(State state READ state NOTIFY changed)
    Q_PROPERTY(QString version READ version NOTIFY changed)
    Q_PROPERTY(QString notes READ notes NOTIFY changed)
    Q_PROPERTY(QString errorText READ errorText NOTIFY changed)
    Q_PROPERTY(QString currentVersion READ currentVersion CONSTANT)

public:
    enum class State { checking, upToDate, available, failed, packageManager };
    Q_ENUM(State)

    // `openUrl` hands the download link to the desktop.
    UpdateViewModel(QString currentVersion, std::function<void(const QUrl&)> openUrl,
                    QObject* parent = nullptr);

    State state() const { return m_state; }
    QString version() const { return m_version; }
    QString notes() const { return m_notes; }
    QString errorText() const { return m_error; }
    QString currentVersion() const { return m_currentVersion; }
    QUrl downloadUrl() const { return m_downloadUrl; }

    void showChecking();
    void showUpToDate();
    void showAvailable(const QString& version, const QString& notes, const QUrl& downloadUrl);
    void showFailed(const QString& error);
    void showPackageManager();

    Q_INVOKABLE void download();

signals:
    void changed();

private:
    void set(State state, QString version = {}, QString notes = {}, QString error = {},
             QUrl url = {});

    QString m_currentVersion;
    std::function<void(const QUrl&)> m_openUrl;
    State m_state = State::checking;
    QString m_version;
    QString m_notes;
    QString m_error;
    QUrl m_downloadUrl;
};
