#pragma once

#include "ports/DriveKeyFiles.h"

#include <QObject>
#include <memory>

// Key files in ".velmora/<user>@<host>.key" at the top of a volume. Each operation runs on a
// thread of its own, so a hung drive holds up only that thread; the answer comes back on the
// main thread, or never. A thread still stuck when the program ends does not hold up the exit.
class LinuxDriveKeyFiles : public QObject, public DriveKeyFiles {
    Q_OBJECT

public:
    explicit LinuxDriveKeyFiles(QString fileName = defaultFileName(), QObject* parent = nullptr);
    ~LinuxDriveKeyFiles() override;

    static QString defaultFileName();

    void read(const QString& mountPath, Done done) override;
    void write(const QString& mountPath, const QByteArray& secret, Done done) override;

    // Done on the calling thread; the adapter's threads run these.
    static Result readNow(const QString& mountPath, const QString& fileName);
    static Result writeNow(const QString& mountPath, const QString& fileName,
                           const QByteArray& secret);

    struct Mailbox;

private:
    void runDetached(std::function<Result()> work, Done done);

    QString m_fileName;
    std::shared_ptr<Mailbox> m_mailbox;
};
