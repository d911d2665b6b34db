// A stored gate policy: root-only, but read back by a root daemon after any disk fault.
#include "GatePolicy.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    GatePolicy policy;
    QString error;
    if (!GatePolicy::fromJson(contents, policy, error))
        return 0;
    GatePolicy again;
    if (!GatePolicy::fromJson(policy.toJson(), again, error) || !(again == policy))
        __builtin_trap();
    policy.isLoosenedBy(again);
    return 0;
}
