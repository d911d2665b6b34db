// A stored gate policy: root-only, but read back by a root daemon after any disk fault.
#include "UserPolicy.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    UserPolicy policy;
    QString error;
    if (!UserPolicy::fromJson(contents, policy, error))
        return 0;
    UserPolicy again;
    if (!UserPolicy::fromJson(policy.toJson(), again, error) || !(again == policy))
        __builtin_trap();
    policy.isLoosenedBy(again);
    return 0;
}
