// /proc/PID/stat, environ and cgroup of any process, its name chosen by whoever started it.
#include "process/ProcessFiles.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto stat = ProcessFiles::parseStat(contents)) {
        stat->isKernelThread();
        stat->hasEnded();
    }
    ProcessFiles::variable(contents, "FLATPAK_ID");
    ProcessFiles::variable(contents, "");
    ProcessFiles::unifiedCgroupOf(contents);
    return 0;
}
