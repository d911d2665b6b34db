#pragma once

#include "ports/SettingsWindows.h"
#include "settings/GeneralSettingsViewModel.h"
#include "settings/SettingsViewModel.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>

class LanguageManager;
class QScreen;
class Screens;
class SelfActivation;

// Owns the one settings window: made on the first request, then shown again as it was left,
// centred on the screen the request came from.
class SettingsWindowController : public QObject {
    Q_OBJECT

public:
    static inline const QSize windowSize{520, 480};

    struct Dependencies {
        Screens& screens;
        SettingsWindows& windows;
        LanguageManager& language;
        SelfActivation& activation;
        // A fresh General tab model; called when the window is made and after each language
        // change.
        std::function<std::unique_ptr<GeneralSettingsViewModel>()> makeGeneralModel;
    };

    explicit SettingsWindowController(Dependencies dependencies, QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // The Apps and Drives tabs' models; a tab without one shows a placeholder.
    void setTabModels(QObject* apps, QObject* drives);

    // Opens the window or brings it to the front, centred on the screen's available area; the
    // primary screen, then the first, when no screen is given.
    void showWindow(QScreen* screen);
    void showWindowOn(std::optional<QRect> availableArea);

    bool hasWindow() const { return m_window != nullptr; }
    SettingsViewModel& viewModel() { return m_viewModel; }
    GeneralSettingsViewModel* generalModel() const { return m_general.get(); }

private:
    void rebuildContent();
    QString title() const;
    void centre(const QRect& availableArea);
    void generalTabAppeared();

    Dependencies m_deps;
    SettingsViewModel m_viewModel;
    std::unique_ptr<GeneralSettingsViewModel> m_general;
    QPointer<QObject> m_apps;
    QPointer<QObject> m_drives;
    std::unique_ptr<SettingsWindow> m_window;
};
