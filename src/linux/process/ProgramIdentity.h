#pragma once

#include <QString>
#include <sys/types.h>

// What a program file is, whatever it is called: the build ID its linker wrote into an ELF
// file, else its size and the SHA-256 of its contents. A copy has the same identity; a file
// changed in any byte has another.
class ProgramIdentity {
public:
    // "build-id:<hex>" when the file is an ELF file with a GNU build ID; otherwise
    // "sha256:<size>:<hex>" when `hashContents`, and "size:<size>" when not.
    static QString of(int fd, off_t size, bool hashContents);
    // The size a "sha256:" identity is of; -1 for other identities.
    static off_t hashedSize(const QString& identity);
    // The hex build ID in the notes of an ELF file; empty when there is none.
    static QByteArray buildId(int fd, off_t size);
};
