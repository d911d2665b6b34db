#pragma once

#include <QString>
#include <QTemporaryDir>

// A filesystem that never answers, as a failing USB stick behaves: a FUSE mount whose server
// never replies, so every access to it waits. When the object goes, the connection is aborted
// (the waiting calls fail) and the mount detached.
class HungFuseMount {
public:
    HungFuseMount();
    ~HungFuseMount();

    // Empty when mounted; otherwise why not, for QSKIP.
    QString error() const { return m_error; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    int m_fd = -1;
    QString m_error;
};
