// The key file on a drive, which anyone holding the drive can write.
#include "storage/DriveKeyFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto secret = DriveKeyFile::parse(contents);
    if (!secret)
        return 0;
    // Whatever is accepted is a whole secret, and reads back the same once written out.
    if (secret->size() != DriveKeyFile::secretSize ||
        DriveKeyFile::parse(DriveKeyFile::format(*secret)) != secret)
        std::abort();
    return 0;
}
