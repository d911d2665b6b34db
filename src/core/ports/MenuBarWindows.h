#pragma once

#include <QRect>
#include <functional>
#include <memory>

class AboutViewModel;
class MenuBarViewModel;
class QScreen;

// The tray's panel: a small frameless window that closes by itself when the user clicks
// elsewhere.
class MenuBarPanel {
public:
    virtual ~MenuBarPanel() = default;
    virtual bool isShown() const = 0;
    // Next to the tray icon (or the point clicked), inside that screen's free area.
    virtual void showNear(const QRect& anchor) = 0;
    virtual void close() = 0;
    // The screen the panel was last shown on; null before that.
    virtual QScreen* screen() const = 0;
};

// A window that is made once and shown again after it was closed.
class ReusableWindow {
public:
    virtual ~ReusableWindow() = default;
    // Shows it, in front and with the keyboard focus.
    virtual void present() = 0;
};

// Makes the tray's windows; each is made on first use.
class MenuBarWindows {
public:
    virtual ~MenuBarWindows() = default;
    virtual std::unique_ptr<MenuBarPanel> makePanel(MenuBarViewModel& model) = 0;
    virtual std::unique_ptr<ReusableWindow> makeAboutWindow(AboutViewModel& model) = 0;
};
