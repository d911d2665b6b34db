#pragma once

#include <QObject>
#include <QPointer>

// What the settings window shows: the selected tab and each tab's view model. When the content
// generation changes, every tab's content is built anew (after a language change); the window and
// the selected tab stay.
class SettingsViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(int selectedTab READ selectedTab WRITE setSelectedTab NOTIFY selectedTabChanged)
    Q_PROPERTY(QObject* generalModel READ generalModel NOTIFY contentChanged)
    Q_PROPERTY(QObject* appsModel READ appsModel NOTIFY contentChanged)
    Q_PROPERTY(QObject* drivesModel READ drivesModel NOTIFY contentChanged)
    Q_PROPERTY(int contentGeneration READ contentGeneration NOTIFY contentChanged)

public:
    // The tabs in display order.
    enum SettingsTab { general, apps, drives };
    Q_ENUM(SettingsTab)

    using QObject::QObject;

    int selectedTab() const { return m_selectedTab; }
    void setSelectedTab(int tab);
    QObject* generalModel() const { return m_general; }
    QObject* appsModel() const { return m_apps; }
    QObject* drivesModel() const { return m_drives; }
    int contentGeneration() const { return m_generation; }

    // Replaces the tabs' models and has every tab's content built again.
    void rebuild(QObject* general, QObject* apps, QObject* drives);

signals:
    void selectedTabChanged();
    void contentChanged();

private:
    int m_selectedTab = general;
    QPointer<QObject> m_general;
    QPointer<QObject> m_apps;
    QPointer<QObject> m_drives;
    int m_generation = 0;
};
