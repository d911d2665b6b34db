// A desktop entry as any package may install it.
#include "xdg/DesktopEntry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DesktopEntry::parse(contents);
    DesktopEntry::splitExec(QString::fromUtf8(contents));
    return 0;
}
