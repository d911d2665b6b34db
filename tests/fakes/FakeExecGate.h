#pragma once

#include "ports/ExecGate.h"

#include <QList>

// An exec gate that keeps each request until the test answers it; `answer` empty means the
// requests wait.
class FakeExecGate : public ExecGate {
public:
    void setPolicy(const GatePolicy& policy, Done done) override {
        policies.append(policy);
        pending.append(std::move(done));
        if (answer)
            reply(*answer);
    }
    void setRefusalHandler(RefusalHandler handler) override { refused = std::move(handler); }
    void setStartHandler(std::function<void()> handler) override { started = std::move(handler); }

    void reply(Outcome outcome, const QString& detail = {}) {
        const QList<Done> waiting = std::exchange(pending, {});
        for (const Done& done : waiting)
            done(outcome, detail);
    }

    std::optional<Outcome> answer = Outcome::applied;
    QList<GatePolicy> policies;
    QList<Done> pending;
    RefusalHandler refused;
    std::function<void()> started;
};
