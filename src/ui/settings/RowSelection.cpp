#include "settings/RowSelection.h"

#include <algorithm>

void RowSelection::click(const QList<QUuid>& rows, qsizetype row, bool control, bool shift) {
    if (row < 0 || row >= rows.size())
        return;
    const QUuid id = rows[row];
    const qsizetype anchorRow = m_anchor ? rows.indexOf(*m_anchor) : -1;
    if (shift && anchorRow >= 0) {
        m_selected.clear();
        for (qsizetype i = std::min(anchorRow, row); i <= std::max(anchorRow, row); ++i)
            m_selected.insert(rows[i]);
    } else if (control) {
        if (!m_selected.remove(id))
            m_selected.insert(id);
        m_anchor = id;
    } else {
        m_selected = {id};
        m_anchor = id;
    }
}

QList<int> RowSelection::positions(const QList<QUuid>& rows) const {
    QList<int> positions;
    for (int i = 0; i < rows.size(); ++i) {
        if (m_selected.contains(rows[i]))
            positions.append(i);
    }
    return positions;
}

void RowSelection::keepOnly(const QSet<QUuid>& present) {
    m_selected.intersect(present);
    if (m_anchor && !present.contains(*m_anchor))
        m_anchor.reset();
}

void RowSelection::clear() {
    m_selected.clear();
    m_anchor.reset();
}
