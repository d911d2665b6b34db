#pragma once

#include "ports/LoginItems.h"

#include <QStringList>

// Records each call ("register" / "unregister"); `failure` makes every call fail with that text.
class FakeLoginItems : public LoginItems {
public:
    std::optional<QString> registerProgram() override {
        calls.append(QStringLiteral("register"));
        return failure;
    }
    std::optional<QString> unregisterProgram() override {
        calls.append(QStringLiteral("unregister"));
        return failure;
    }

    QStringList calls;
    std::optional<QString> failure;
};
