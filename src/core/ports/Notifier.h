#pragma once

#include <QString>
#include <functional>

// User notifications from the desktop's notification server.
class Notifier {
public:
    virtual ~Notifier() = default;

    // Answers whether notifications can be shown at all; may answer later, on the main loop.
    virtual void requestPermission(std::function<void(bool granted)> answer) = 0;
    // A post replaces the notification last posted with the same identifier, if the server still
    // shows it. Failures are logged only.
    virtual void post(const QString& identifier, const QString& title, const QString& body,
                      bool withSound) = 0;
};
