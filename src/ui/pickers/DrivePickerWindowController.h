#pragma once

#include <QObject>
#include <memory>

class AppIconSource;
class DrivePickerViewModel;
class LanguageManager;
class Logger;
class ProtectedDrivesManager;
class QQmlEngine;
class QQuickView;
class QWindow;
class VolumeSource;

// Owns the "Add External Drive" window. It is made on the first show and kept when closed, so
// the next show brings the same window back.
class DrivePickerWindowController : public QObject {
    Q_OBJECT

public:
    struct Dependencies {
        VolumeSource& volumes;
        ProtectedDrivesManager& drives;
        LanguageManager& language;
        AppIconSource& icons;
        Logger& logger;
    };

    explicit DrivePickerWindowController(Dependencies dependencies, QObject* parent = nullptr);
    ~DrivePickerWindowController() override;

    // Opens the picker centred on `parent` (or on the screen without one), or brings the open
    // one to the front.
    void show(QWindow* parent = nullptr);

    // Null until the first show.
    QQuickView* window() const { return m_window.get(); }
    DrivePickerViewModel* model() const { return m_model.get(); }

private:
    void makeWindow();
    void updateTitle();
    void placeOver(QWindow* parent);

    Dependencies m_deps;
    // In this order, so the window (which reads the model) goes first and the engine last.
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<DrivePickerViewModel> m_model;
    std::unique_ptr<QQuickView> m_window;
};
