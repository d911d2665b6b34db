#pragma once

#include "process/FileKey.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <sys/types.h>

// The identities of files already read, by (device, inode, size, modification time): most new
// processes run one of a few programs, and reading one costs a stat once it is known. Contents
// are hashed only for files of a size some identity sought has, so a large unknown program
// costs no more than its ELF notes.
class ProgramIdentityCache {
public:
    void setHashedSizes(QSet<off_t> sizes);
    // The identity of the open file; empty when it is not a regular file or cannot be read.
    QString identityOf(int fd);
    // The same for a path; a FIFO or device there is not waited on.
    QString identityOfPath(const QString& path);
    // The program a process runs, known without opening it when it was read before.
    QString identityOfProgram(pid_t pid);

private:
    QSet<off_t> m_hashedSizes;
    QHash<FileKey, QString> m_identities;
};
