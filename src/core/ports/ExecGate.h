#pragma once

#include "model/GatePolicy.h"

#include <QString>
#include <functional>

// The system's exec gate: a privileged service that refuses a protected program's start while its
// drive is missing, whether or not Velmora runs. Optional: most systems do not have it.
class ExecGate {
public:
    enum class Outcome {
        applied,
        // The owner was asked and did not allow the loosening.
        notAuthorized,
        // No gate is installed, or it cannot be reached.
        absent,
        failed,
    };
    using Done = std::function<void(Outcome outcome, const QString& detail)>;
    using RefusalHandler = std::function<void(qint64 pid, const QString& appId)>;

    virtual ~ExecGate() = default;

    // Replaces this user's policy; the answer comes later, on the main loop.
    virtual void setPolicy(const GatePolicy& policy, Done done) = 0;
    // The gate refused a program of this user.
    virtual void setRefusalHandler(RefusalHandler handler) = 0;
    // The gate was (re)started, or installed while Velmora runs: the policy is worth sending again.
    virtual void setStartHandler(std::function<void()> handler) = 0;
};
