#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <memory>

class QObject;

// The settings window: an ordinary titled window that can be closed and minimised but not
// resized. Closing only hides it.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;
    // The outer size, frame included.
    virtual QSize frameSize() const = 0;
    virtual void moveFrameTo(const QPoint& topLeft) = 0;
    // Shows it, restores it when minimised, and brings it in front with the keyboard focus.
    virtual void showAndRaise() = 0;
    // The title follows a change of the interface language.
    virtual void setTitle(const QString& title) = 0;
};

// Makes the settings window with its content bound to the given view model.
class SettingsWindows {
public:
    virtual ~SettingsWindows() = default;
    virtual std::unique_ptr<SettingsWindow> create(const QString& title, const QSize& contentSize,
                                                   QObject& viewModel) = 0;
};
