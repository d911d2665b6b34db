#include "settings/DriveSettingsViewModel.h"

#include "model/ProtectedDrivesManager.h"
#include "services/DriveMonitorService.h"
#include "services/LooseningGuard.h"

#include <QPointer>

#include <QVariantMap>
#include <QWindow>
#include <algorithm>

DriveSettingsViewModel::DriveSettingsViewModel(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(std::move(dependencies))
    , m_rows(m_deps.drives.drives())
    , m_rowModel({"id", "name", "mountPoint", "uuidLine", "isEnabled", "isMounted", "symbol",
                  "symbolTone", "dotTone", "isSelected", "cannotHoldKey", "hardwareLine"}) {
    connect(&m_deps.drives, &ProtectedDrivesManager::drivesChanged, this,
            &DriveSettingsViewModel::redraw);
    connect(&m_deps.monitor, &DriveMonitorService::willChange, this, [this] {
        if (m_views == 0)
            return;
        askMountStates(false);
        publish();
    });
    m_rowModel.setRows(rows());
}

QVariantList DriveSettingsViewModel::rows() const {
    QVariantList list;
    for (const ProtectedDrive& drive : m_rows) {
        const bool mounted = isMounted(drive.id);
        list.append(QVariantMap{
            {QStringLiteral("id"), drive.id.toString(QUuid::WithoutBraces)},
            {QStringLiteral("name"), drive.name},
            {QStringLiteral("mountPoint"), drive.mountPoint},
            {QStringLiteral("uuidLine"), drive.volumeUUIDString.value_or(QString())},
            {QStringLiteral("isEnabled"), drive.isEnabled},
            {QStringLiteral("isMounted"), mounted},
            // The fill needs the drive switched on as well; the colour follows the mount alone.
            {QStringLiteral("symbol"), drive.isEnabled && mounted
                                           ? QStringLiteral("externaldrive.fill")
                                           : QStringLiteral("externaldrive")},
            {QStringLiteral("symbolTone"),
             mounted ? QStringLiteral("success") : QStringLiteral("secondary")},
            {QStringLiteral("dotTone"),
             mounted ? QStringLiteral("success") : QStringLiteral("error")},
            {QStringLiteral("isSelected"), m_selection.contains(drive.id)},
            {QStringLiteral("cannotHoldKey"), drive.cannotHoldKey},
            {QStringLiteral("hardwareLine"), drive.hardware ? drive.hardware->text() : QString()},
        });
    }
    return list;
}

QList<int> DriveSettingsViewModel::selection() const {
    return m_selection.positions(rowIds());
}

QList<QUuid> DriveSettingsViewModel::rowIds() const {
    QList<QUuid> ids;
    for (const ProtectedDrive& drive : m_rows)
        ids.append(drive.id);
    return ids;
}

void DriveSettingsViewModel::viewAppeared() {
    ++m_views;
    askMountStates(false);
    publish();
}

void DriveSettingsViewModel::viewDisappeared() {
    m_views = std::max(0, m_views - 1);
}

void DriveSettingsViewModel::addDrive(QObject* window) {
    if (m_deps.showDrivePicker)
        m_deps.showDrivePicker(qobject_cast<QWindow*>(window));
}

void DriveSettingsViewModel::toggleDrive(const QString& id) {
    const auto drive = rowDrive(id);
    if (!drive)
        return;
    ProtectedDrivesManager& drives = m_deps.drives;
    m_deps.guard.whenAllowed(
        m_deps.guard.loosensToggling(*drive),
        [&drives, drive = *drive] { drives.toggleDrive(drive); }, restoreRows());
}

void DriveSettingsViewModel::removeDrive(const QString& id) {
    if (const auto drive = rowDrive(id))
        removeDrives({*drive});
}

void DriveSettingsViewModel::clickRow(int position, int modifiers) {
    if (position < 0 || position >= m_rows.size())
        return;
    const auto flags = Qt::KeyboardModifiers::fromInt(modifiers);
    m_selection.click(rowIds(), position, flags.testFlag(Qt::ControlModifier),
                      flags.testFlag(Qt::ShiftModifier));
    publish();
}

void DriveSettingsViewModel::deleteSelected() {
    deleteRows(selection());
}

void DriveSettingsViewModel::deleteRows(const QList<int>& positions) {
    QList<int> sorted = positions;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    // Collected before the first removal, which moves the rows after it.
    QList<ProtectedDrive> doomed;
    for (int position : sorted) {
        if (position >= 0 && position < m_rows.size())
            doomed.append(m_rows.at(position));
    }
    m_selection.clear();
    removeDrives(doomed);
}

void DriveSettingsViewModel::removeDrives(const QList<ProtectedDrive>& doomed) {
    const bool loosens = m_deps.guard.loosensRemoving(doomed);
    ProtectedDrivesManager& drives = m_deps.drives;
    m_deps.guard.whenAllowed(
        loosens,
        [&drives, doomed] {
            for (const ProtectedDrive& drive : doomed)
                drives.removeDrive(drive);
        },
        restoreRows());
}

// The switches of a refused change show the stored state again.
std::function<void()> DriveSettingsViewModel::restoreRows() {
    return [self = QPointer<DriveSettingsViewModel>(this)] {
        if (self)
            self->redraw();
    };
}

void DriveSettingsViewModel::redraw() {
    m_rows = m_deps.drives.drives();
    QSet<QUuid> present;
    for (const ProtectedDrive& drive : m_rows)
        present.insert(drive.id);
    m_selection.keepOnly(present);
    for (auto it = m_mounted.begin(); it != m_mounted.end();)
        it = present.contains(it.key()) ? std::next(it) : m_mounted.erase(it);
    // A row that just appeared asks at once; the others keep the answer of the last poll.
    if (m_views > 0)
        askMountStates(true);
    publish();
}

void DriveSettingsViewModel::publish() {
    m_rowModel.setRows(rows());
    emit rowsChanged();
}

void DriveSettingsViewModel::askMountStates(bool onlyNewRows) {
    for (const ProtectedDrive& drive : m_rows) {
        if (onlyNewRows && m_mounted.contains(drive.id))
            continue;
        m_mounted.insert(drive.id, m_deps.monitor.isDriveMounted(drive));
    }
}

std::optional<ProtectedDrive> DriveSettingsViewModel::rowDrive(const QString& id) const {
    const QUuid wanted(id);
    for (const ProtectedDrive& drive : m_rows) {
        if (drive.id == wanted)
            return drive;
    }
    return std::nullopt;
}
