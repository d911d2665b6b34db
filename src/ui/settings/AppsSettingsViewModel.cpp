#include "settings/AppsSettingsViewModel.h"

#include "model/AppKeys.h"
#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"
#include "model/Uuid.h"
#include "services/LanguageManager.h"
#include "services/LooseningGuard.h"

#include <QPointer>

namespace {

QString idText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QList<QUuid> idsOf(const QList<ProtectedApp>& apps) {
    QList<QUuid> ids;
    for (const ProtectedApp& app : apps)
        ids.append(app.id);
    return ids;
}

} // namespace

AppsSettingsViewModel::AppsSettingsViewModel(ProtectedAppsManager& apps,
                                             const ProtectedDrivesManager& drives,
                                             LooseningGuard& guard, const LanguageManager& language,
                                             std::function<void()> openPicker, QObject* parent)
    : QAbstractListModel(parent)
    , m_apps(apps)
    , m_drives(drives)
    , m_guard(guard)
    , m_language(language)
    , m_openPicker(std::move(openPicker))
    , m_shownIds(idsOf(apps.apps())) {
    connect(&m_apps, &ProtectedAppsManager::appsChanged, this, &AppsSettingsViewModel::followApps);
    connect(&m_drives, &ProtectedDrivesManager::drivesChanged, this, [this] {
        emit driveMenuChanged();
        refreshRows();
    });
    connect(&m_language, &LanguageManager::currentLanguageChanged, this, [this] {
        emit driveMenuChanged();
        refreshRows();
    });
}

bool AppsSettingsViewModel::isEmpty() const {
    return m_apps.apps().isEmpty();
}

QVariantList AppsSettingsViewModel::driveMenu() const {
    QVariantList entries{QVariantMap{
        {QStringLiteral("value"), noDriveValue()},
        {QStringLiteral("title"), m_language.text(QStringLiteral("No drive required"))}}};
    for (const ProtectedDrive& drive : m_drives.drives())
        entries.append(QVariantMap{{QStringLiteral("value"), idText(drive.id)},
                                   {QStringLiteral("title"), drive.name}});
    return entries;
}

bool AppsSettingsViewModel::isDriveMenuEnabled() const {
    return !m_drives.drives().isEmpty();
}

QString AppsSettingsViewModel::driveValue(const ProtectedApp& app) const {
    const QList<ProtectedDrive> registered = registeredDrives(app);
    if (registered.isEmpty())
        return noDriveValue();
    return registered.size() == 1 ? idText(registered.first().id) : chosenDrivesValue();
}

QVariantList AppsSettingsViewModel::driveEntries(const ProtectedApp& app) const {
    QVariantList entries = driveMenu();
    const QList<ProtectedDrive> registered = registeredDrives(app);
    if (registered.isEmpty())
        return entries;
    const auto entry = [](const QString& value, const QString& title) {
        return QVariantMap{{QStringLiteral("value"), value}, {QStringLiteral("title"), title}};
    };
    if (registered.size() > 1) {
        QString together = registered.first().name;
        for (const ProtectedDrive& drive : registered.mid(1))
            together = m_language.text(QStringLiteral("%@ or %@"), {together, drive.name});
        entries.append(entry(chosenDrivesValue(), together));
    }
    const QList<QUuid> chosen = app.requiredDriveIDs();
    for (const ProtectedDrive& drive : m_drives.drives()) {
        if (!chosen.contains(drive.id))
            entries.append(
                entry(addDrivePrefix() + idText(drive.id),
                      m_language.text(QStringLiteral("+ another drive: %@"), {drive.name})));
    }
    if (registered.size() < 2)
        return entries;
    for (const ProtectedDrive& drive : registered)
        entries.append(entry(dropDrivePrefix() + idText(drive.id),
                             m_language.text(QStringLiteral("Remove %@"), {drive.name})));
    return entries;
}

QList<ProtectedDrive> AppsSettingsViewModel::registeredDrives(const ProtectedApp& app) const {
    return AppKeys(app, m_drives.drives()).registered();
}

int AppsSettingsViewModel::driveIndex(const ProtectedApp& app) const {
    const QString value = driveValue(app);
    const QVariantList entries = driveEntries(app);
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].toMap().value(QStringLiteral("value")).toString() == value)
            return i;
    }
    return 0;
}

void AppsSettingsViewModel::addApp() {
    if (m_openPicker)
        m_openPicker();
}

void AppsSettingsViewModel::selectDrive(const QString& appId, const QString& value) {
    const std::optional<ProtectedApp> found = app(appId);
    if (!found)
        return;
    const std::optional<QList<QUuid>> driveIds = chosenDrives(*found, value);
    if (!driveIds || *driveIds == found->requiredDriveIDs())
        return;
    ProtectedAppsManager& apps = m_apps;
    m_guard.whenAllowed(
        m_guard.loosensDriveChoice(*found, *driveIds),
        [&apps, app = *found, ids = *driveIds] { apps.setRequiredDriveIDs(app, ids); },
        restoreRows());
}

std::optional<QList<QUuid>> AppsSettingsViewModel::chosenDrives(const ProtectedApp& app,
                                                                const QString& value) const {
    QList<QUuid> ids = app.requiredDriveIDs();
    if (value == noDriveValue())
        return QList<QUuid>{};
    if (value == chosenDrivesValue())
        return ids;
    const bool adds = value.startsWith(addDrivePrefix());
    const bool drops = value.startsWith(dropDrivePrefix());
    const QString idPart = value.mid(adds    ? addDrivePrefix().size()
                                     : drops ? dropDrivePrefix().size()
                                             : 0);
    const std::optional<QUuid> id = Uuid::fromStored(idPart);
    // Only registered drives can be chosen; a stale menu's value is ignored.
    if (!id || !m_drives.drive(*id))
        return std::nullopt;
    if (adds)
        ids.append(*id);
    else if (drops)
        ids.removeAll(*id);
    else
        ids = {*id};
    return ids;
}

void AppsSettingsViewModel::toggle(const QString& appId) {
    const std::optional<ProtectedApp> found = app(appId);
    if (!found)
        return;
    ProtectedAppsManager& apps = m_apps;
    m_guard.whenAllowed(
        LooseningGuard::protects(*found), [&apps, app = *found] { apps.toggleApp(app); },
        restoreRows());
}

void AppsSettingsViewModel::remove(const QString& appId) {
    if (const std::optional<ProtectedApp> found = app(appId))
        removeApps({*found});
}

void AppsSettingsViewModel::selectRow(int row, bool control, bool shift) {
    if (row < 0 || row >= m_shownIds.size())
        return;
    m_selection.click(m_shownIds, row, control, shift);
    refreshRows();
}

void AppsSettingsViewModel::removeSelected() {
    removeAppsAt(m_selection.positions(m_shownIds));
}

void AppsSettingsViewModel::removeAppsAt(const QList<int>& rows) {
    QList<int> ascending = rows;
    std::sort(ascending.begin(), ascending.end());
    const QList<ProtectedApp>& apps = m_apps.apps();
    QList<ProtectedApp> collected;
    for (int row : ascending) {
        if (row >= 0 && row < apps.size())
            collected.append(apps[row]);
    }
    removeApps(collected);
}

void AppsSettingsViewModel::removeApps(const QList<ProtectedApp>& doomed) {
    const bool loosens = std::any_of(doomed.begin(), doomed.end(), &LooseningGuard::protects);
    ProtectedAppsManager& apps = m_apps;
    m_guard.whenAllowed(
        loosens,
        [&apps, doomed] {
            for (const ProtectedApp& each : doomed)
                apps.removeApp(each);
        },
        restoreRows());
}

// The switches and menus of a refused change show the stored state again.
std::function<void()> AppsSettingsViewModel::restoreRows() {
    return [self = QPointer<AppsSettingsViewModel>(this)] {
        if (self)
            self->refreshRows();
    };
}

int AppsSettingsViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_shownIds.size());
}

QVariant AppsSettingsViewModel::data(const QModelIndex& index, int role) const {
    const QList<ProtectedApp>& apps = m_apps.apps();
    if (!index.isValid() || index.row() >= apps.size())
        return {};
    const ProtectedApp& app = apps[index.row()];
    switch (role) {
    case AppIdRole:
        return idText(app.id);
    case NameRole:
    case Qt::DisplayRole:
        return app.name;
    case BundleIdentifierRole:
        return app.bundleIdentifier;
    case IsEnabledRole:
        return app.isEnabled;
    case DriveIndexRole:
        return driveIndex(app);
    case IsSelectedRole:
        return m_selection.contains(app.id);
    case DriveEntriesRole:
        return driveEntries(app);
    default:
        return {};
    }
}

QHash<int, QByteArray> AppsSettingsViewModel::roleNames() const {
    return {{AppIdRole, "appId"},
            {NameRole, "name"},
            {BundleIdentifierRole, "bundleIdentifier"},
            {IsEnabledRole, "isEnabled"},
            {DriveIndexRole, "driveIndex"},
            {IsSelectedRole, "isSelected"},
            {DriveEntriesRole, "driveEntries"}};
}

std::optional<ProtectedApp> AppsSettingsViewModel::app(const QString& appId) const {
    const QUuid id = QUuid::fromString(appId);
    for (const ProtectedApp& each : m_apps.apps()) {
        if (each.id == id)
            return each;
    }
    return std::nullopt;
}

// Rows of removed apps leave the selection; an unchanged order is updated in place so a flipped
// switch or a chosen drive does not rebuild the list.
void AppsSettingsViewModel::followApps() {
    const QList<QUuid> ids = idsOf(m_apps.apps());
    const QSet<QUuid> present(ids.begin(), ids.end());
    m_selection.keepOnly(present);
    if (ids == m_shownIds) {
        refreshRows();
    } else {
        beginResetModel();
        m_shownIds = ids;
        endResetModel();
    }
    emit appsChanged();
}

void AppsSettingsViewModel::refreshRows() {
    if (!m_shownIds.isEmpty())
        emit dataChanged(index(0), index(int(m_shownIds.size()) - 1));
}
