#pragma once

class QObject;
class QUrl;

// The small window that reports an update check, made on its first showing.
class UpdateWindow {
public:
    virtual ~UpdateWindow() = default;
    // Whether one of the program's windows is the active one right now.
    virtual bool isProgramActive() const = 0;
    // Shows the window with its content bound to the model, or brings it to the front.
    virtual void show(QObject& model) = 0;
    // Hands a release's download page to the desktop's browser.
    virtual void openLink(const QUrl& url) = 0;
};
