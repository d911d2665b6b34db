#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <unordered_map>

class QSocketNotifier;

// Learns the moment any process executes one of a set of files: the kernel reports the open of
// an executable to inotify before the new program runs, without privileges. A file replaced by a
// package upgrade is watched again under its path.
class ExecWatcher : public QObject {
    Q_OBJECT

public:
    explicit ExecWatcher(std::function<void()> onExecuted, QObject* parent = nullptr);
    ~ExecWatcher() override;

    bool isSupported() const { return m_fd >= 0; }
    void setFiles(const QStringList& files);
    // The files under watch right now; missing ones are tried again a little later.
    QStringList watchedFiles() const;

private:
    void watchAll();
    void readEvents();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_onExecuted;
    QStringList m_files;
    std::unordered_map<int, QString> m_watches;
    QTimer m_retry;
};
