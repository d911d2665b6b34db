#pragma once

#include "model/ProtectedDrive.h"
#include "settings/RowListModel.h"
#include "settings/RowSelection.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>
#include <QVariantList>
#include <functional>

class DriveMonitorService;
class LooseningGuard;
class ProtectedDrivesManager;
class QWindow;

// The Drives tab: the registered drives with their mount state, switched on and off and removed
// through the store. A row's mount state is asked when it appears and at every poll of the drive
// monitor, never kept longer. Switching off or removing a drive that protected apps need goes
// through the guard.
class DriveSettingsViewModel : public QObject {
    Q_OBJECT
    // The rows() for a list view; one role per key.
    Q_PROPERTY(QObject* rowModel READ rowModel CONSTANT)
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY rowsChanged)

public:
    struct Dependencies {
        ProtectedDrivesManager& drives;
        LooseningGuard& guard;
        const DriveMonitorService& monitor;
        // Opens the drive picker over the given window (null: none).
        std::function<void(QWindow*)> showDrivePicker;
    };

    explicit DriveSettingsViewModel(Dependencies dependencies, QObject* parent = nullptr);

    // One map per drive, in the store's order: id, name, mountPoint, uuidLine (empty: no third
    // line), isEnabled, isMounted, symbol, symbolTone, dotTone, isSelected.
    QVariantList rows() const;
    QObject* rowModel() { return &m_rowModel; }
    bool isEmpty() const { return m_rows.isEmpty(); }
    bool isMounted(const QUuid& id) const { return m_mounted.value(id, false); }
    QList<int> selection() const;

    // The view tells when it is shown and gone; mount states are asked only while it is shown.
    Q_INVOKABLE void viewAppeared();
    Q_INVOKABLE void viewDisappeared();

    Q_INVOKABLE void addDrive(QObject* window);
    // The row's actions name the drive the row was drawn with, never a position.
    Q_INVOKABLE void toggleDrive(const QString& id);
    Q_INVOKABLE void removeDrive(const QString& id);

    // A click on a row: alone selects it; with Ctrl adds or takes it away; with Shift selects
    // from the last clicked row to it. `modifiers` are Qt::KeyboardModifiers.
    Q_INVOKABLE void clickRow(int position, int modifiers);
    // Delete or Backspace: removes the drives at the selected positions, collected first.
    Q_INVOKABLE void deleteSelected();
    void deleteRows(const QList<int>& positions);

signals:
    void rowsChanged();

private:
    QList<QUuid> rowIds() const;
    void redraw();
    void publish();
    void askMountStates(bool onlyNewRows);
    std::optional<ProtectedDrive> rowDrive(const QString& id) const;
    void removeDrives(const QList<ProtectedDrive>& doomed);
    std::function<void()> restoreRows();

    Dependencies m_deps;
    // Copies of the drives as the rows were drawn.
    QList<ProtectedDrive> m_rows;
    QHash<QUuid, bool> m_mounted;
    RowSelection m_selection;
    int m_views = 0;
    RowListModel m_rowModel;
};
