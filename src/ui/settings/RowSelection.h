#pragma once

#include <QList>
#include <QSet>
#include <QUuid>
#include <optional>

// The selected rows of a settings list, kept by their records' IDs so the selection follows the
// records when rows move, as a desktop list selects: a plain click selects only that row, Ctrl
// adds or takes it away, Shift selects the range from the last plain or Ctrl click.
class RowSelection {
public:
    // `rows` are the IDs shown, in order; a row outside them is ignored.
    void click(const QList<QUuid>& rows, qsizetype row, bool control, bool shift);
    bool contains(const QUuid& id) const { return m_selected.contains(id); }
    // The selected rows' positions in `rows`, ascending.
    QList<int> positions(const QList<QUuid>& rows) const;
    // Forgets the records that are gone.
    void keepOnly(const QSet<QUuid>& present);
    void clear();

private:
    QSet<QUuid> m_selected;
    std::optional<QUuid> m_anchor;
};
