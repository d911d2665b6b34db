// Stored records and settings as they come back from the settings file: any bytes under each key.
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "ports/Logger.h"

#include <cstddef>
#include <cstdint>

namespace {

class QuietLogger : public Logger {
public:
    void log(const QString&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    MemoryStore store;
    for (const char* key : {"protectedApps", "protectedDrives", "appSettings"})
        store.setBytes(QString::fromLatin1(key), bytes);
    QuietLogger logger;
    Defaults defaults(store, logger);
    defaults.protectedApps();
    defaults.protectedDrives();
    defaults.appSettings();
    // Writing keeps what could not be read aside first.
    defaults.setProtectedApps({});
    defaults.setAppSettings(AppSettings{});
    return 0;
}
