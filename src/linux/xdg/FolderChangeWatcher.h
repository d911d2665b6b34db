#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>
#include <memory>

class QSocketNotifier;

// Tells when a file in one of a set of folders is added, removed, renamed or written and closed:
// a desktop entry copied into place is first created empty and only then filled.
class FolderChangeWatcher : public QObject {
    Q_OBJECT

public:
    explicit FolderChangeWatcher(QObject* parent = nullptr);
    ~FolderChangeWatcher() override;

    // Replaces the folders watched; missing ones are left out. In a folder named in
    // `awaiting`, only the appearance or loss of a subfolder of that name counts.
    void setFolders(const QStringList& folders, const QHash<QString, QString>& awaiting = {});
    QStringList folders() const { return m_folders; }

signals:
    void changed();

private:
    void readEvents();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QStringList m_folders;
    // The subfolder name awaited in a watch; empty when every change counts.
    QHash<int, QByteArray> m_watches;
};
