#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class AppPickerViewModel;
class InstalledApplications;
class Defaults;
class LanguageManager;
class Logger;
class ProtectedAppsManager;
class QQmlEngine;
class QQuickItem;
class QQuickWindow;
class QWindow;
struct AppInfo;

// Owns the "Add Applications" window. Closing it with its close button keeps it, selection and
// all, for the next show(); confirming or cancelling drops it, so the next show() scans afresh.
class AppPickerWindowController : public QObject {
    Q_OBJECT

public:
    static constexpr int width = 440;
    static constexpr int height = 520;

    struct Dependencies {
        // An engine with the style kit installed.
        QQmlEngine& engine;
        ProtectedAppsManager& apps;
        const InstalledApplications& scanner;
        const Defaults& defaults;
        const LanguageManager& language;
        Logger& logger;
    };

    explicit AppPickerWindowController(Dependencies dependencies, QObject* parent = nullptr);
    ~AppPickerWindowController() override;

    // Brings the open picker to the front, or makes one centred on `parent` (on the screen
    // without one).
    void show(QWindow* parent);

    // The picker kept for the next show(), if any.
    QQuickWindow* window() const { return m_window.get(); }
    AppPickerViewModel* model() const { return m_model.get(); }
    QQuickItem* view() const { return m_view.get(); }

private:
    void makePicker();
    void place(QWindow* parent);
    void closePicker();

    Dependencies m_deps;
    std::unique_ptr<AppPickerViewModel> m_model;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_view;
};
