#pragma once

#include <QObject>
#include <QString>

// What Velmora's own password window shows while polkit asks through Velmora's agent: the
// question PAM asks, its remarks, and whether the last password was wrong. The window may only
// send a password while a question is open.
class PasswordPromptViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isOpen READ isOpen NOTIFY changed)
    // Empty for PAM's plain password question, whose localized label the view shows.
    Q_PROPERTY(QString question READ question NOTIFY changed)
    Q_PROPERTY(bool echo READ echo NOTIFY changed)
    Q_PROPERTY(bool isAsking READ isAsking NOTIFY changed)
    // PAM's own remark, shown as it came.
    Q_PROPERTY(QString remark READ remark NOTIFY changed)
    Q_PROPERTY(bool remarkIsError READ remarkIsError NOTIFY changed)
    Q_PROPERTY(bool lastAttemptFailed READ lastAttemptFailed NOTIFY changed)

public:
    explicit PasswordPromptViewModel(QObject* parent = nullptr);

    bool isOpen() const { return m_open; }
    QString question() const { return m_question; }
    bool echo() const { return m_echo; }
    bool isAsking() const { return m_asking; }
    QString remark() const { return m_remark; }
    bool remarkIsError() const { return m_remarkIsError; }
    bool lastAttemptFailed() const { return m_lastAttemptFailed; }

    // From the agent.
    void open();
    void ask(const QString& question, bool echo);
    void showInfo(const QString& text);
    void showError(const QString& text);
    void attemptFailed();
    void close();

    // From the view.
    Q_INVOKABLE void submit(const QString& answer);
    Q_INVOKABLE void cancel();

signals:
    void changed();
    void submitted(const QString& answer);
    void cancelled();

private:
    bool m_open = false;
    QString m_question;
    bool m_echo = false;
    bool m_asking = false;
    QString m_remark;
    bool m_remarkIsError = false;
    bool m_lastAttemptFailed = false;
};
