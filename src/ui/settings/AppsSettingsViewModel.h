#pragma once

#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"
#include "settings/RowSelection.h"

#include <QAbstractListModel>
#include <QSet>
#include <QVariantList>
#include <functional>
#include <optional>

class LanguageManager;
class LooseningGuard;
class ProtectedAppsManager;
class ProtectedDrivesManager;

// The Apps tab: one row per protected app in the store's order, each naming its app by ID, with
// the drive menu's entries and choice, the protection switch, removal, and a row selection that
// Delete or Backspace removes. Changes that lower protection go through the guard; a refused one
// leaves the rows as they were.
class AppsSettingsViewModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY appsChanged)
    Q_PROPERTY(QVariantList driveMenu READ driveMenu NOTIFY driveMenuChanged)
    Q_PROPERTY(bool isDriveMenuEnabled READ isDriveMenuEnabled NOTIFY driveMenuChanged)

public:
    enum Role {
        AppIdRole = Qt::UserRole + 1,
        NameRole,
        BundleIdentifierRole,
        IsEnabledRole,
        // The entry of the row's drive menu shown for the row.
        DriveIndexRole,
        IsSelectedRole,
        // The row's own drive menu: driveMenu(), then its entries for spare drives.
        DriveEntriesRole,
    };

    static QString noDriveValue() { return QStringLiteral("none"); }
    // The row's entry naming all of its drives, shown when it has several; choosing it changes
    // nothing.
    static QString chosenDrivesValue() { return QStringLiteral("chosen"); }
    // Prefixes of the entries adding a drive as a spare, and taking one of several away.
    static QString addDrivePrefix() { return QStringLiteral("add:"); }
    static QString dropDrivePrefix() { return QStringLiteral("drop:"); }

    AppsSettingsViewModel(ProtectedAppsManager& apps, const ProtectedDrivesManager& drives,
                          LooseningGuard& guard, const LanguageManager& language,
                          std::function<void()> openPicker, QObject* parent = nullptr);

    bool isEmpty() const;
    // {value, title} pairs: "none" first, then each registered drive by its ID's text.
    QVariantList driveMenu() const;
    bool isDriveMenuEnabled() const;
    // The menu value a row shows: "none" also when the app names a drive no longer registered,
    // "chosen" when it names several.
    QString driveValue(const ProtectedApp& app) const;
    // driveMenu(); with the app's several drives named together; a "+ another drive" entry for
    // each drive not yet chosen; with several, an entry taking each away.
    QVariantList driveEntries(const ProtectedApp& app) const;

    Q_INVOKABLE void addApp();
    Q_INVOKABLE void selectDrive(const QString& appId, const QString& value);
    Q_INVOKABLE void toggle(const QString& appId);
    Q_INVOKABLE void remove(const QString& appId);
    // A plain click selects only this row, Ctrl adds or takes it away, Shift extends from the last
    // plainly clicked row.
    Q_INVOKABLE void selectRow(int row, bool control, bool shift);
    Q_INVOKABLE void removeSelected();
    // The apps at these positions are collected first, then each is removed; one confirmation
    // covers them all.
    void removeAppsAt(const QList<int>& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void appsChanged();
    void driveMenuChanged();

private:
    std::optional<ProtectedApp> app(const QString& appId) const;
    // The drives a menu value leaves the app with; nullopt for a value that is not an entry.
    std::optional<QList<QUuid>> chosenDrives(const ProtectedApp& app, const QString& value) const;
    QList<ProtectedDrive> registeredDrives(const ProtectedApp& app) const;
    int driveIndex(const ProtectedApp& app) const;
    void removeApps(const QList<ProtectedApp>& doomed);
    std::function<void()> restoreRows();
    void followApps();
    void refreshRows();

    ProtectedAppsManager& m_apps;
    const ProtectedDrivesManager& m_drives;
    LooseningGuard& m_guard;
    const LanguageManager& m_language;
    std::function<void()> m_openPicker;
    // The IDs shown, in order; an unchanged order updates rows in place.
    QList<QUuid> m_shownIds;
    RowSelection m_selection;
};
