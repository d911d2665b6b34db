// /proc/self/mountinfo, whose mount points carry whatever names users gave their folders.
#include "storage/MountTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const MountTable::Entry& entry : MountTable::parse(contents))
        MountTable::isHidden(entry);
    MountTable::unescape(contents);
    return 0;
}
