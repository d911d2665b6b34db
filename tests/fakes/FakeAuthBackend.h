#pragma once

#include "ports/AuthBackend.h"

#include <QList>

// Scripted owner authentication: requests wait in `pending` until the test answers them.
class FakeAuthBackend : public AuthBackend {
public:
    std::optional<QString> unavailability() override { return unavailableBecause; }
    bool hasBiometrics() override { return biometrics; }
    void authenticate(const QString& reason, Reply reply) override {
        reasons.append(reason);
        pending.append(std::move(reply));
    }

    // Answers the oldest open request.
    void answer(Result result, const QString& error = {}) { pending.takeFirst()(result, error); }

    std::optional<QString> unavailableBecause;
    bool biometrics = false;
    QStringList reasons;
    QList<Reply> pending;
};
