#pragma once

#include <QString>
#include <optional>

// Starting the program when the user logs in. Each call answers nullopt on success, otherwise
// the reason it failed, readable by the user.
class LoginItems {
public:
    virtual ~LoginItems() = default;

    virtual std::optional<QString> registerProgram() = 0;
    virtual std::optional<QString> unregisterProgram() = 0;
};
