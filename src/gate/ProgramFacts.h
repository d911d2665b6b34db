#pragma once

#include <QString>
#include <sys/types.h>

// What the gate needs to know of an executed file: its identity, and whether the kernel will
// go on to load an ELF interpreter for it.
struct ProgramFacts {
    QString identity;
    bool hasInterpreter = false;

    static ProgramFacts of(int fd, off_t size);
    // True for an ELF file with a PT_INTERP segment.
    static bool readsInterpreter(int fd);
};
