#include "settings/RowListModel.h"

#include <QVariantMap>

namespace {

QVariant idOf(const QVariant& row) {
    return row.toMap().value(QStringLiteral("id"));
}

} // namespace

RowListModel::RowListModel(QStringList roles, QObject* parent)
    : QAbstractListModel(parent)
    , m_roles(std::move(roles)) {}

void RowListModel::setRows(const QVariantList& rows) {
    if (!sameIds(rows)) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
        return;
    }
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i) == m_rows.at(i))
            continue;
        m_rows[i] = rows.at(i);
        emit dataChanged(index(i), index(i));
    }
}

int RowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant RowListModel::data(const QModelIndex& index, int role) const {
    const int column = role - Qt::UserRole;
    if (!index.isValid() || index.row() >= m_rows.size() || column < 0 || column >= m_roles.size())
        return {};
    return m_rows.at(index.row()).toMap().value(m_roles.at(column));
}

QHash<int, QByteArray> RowListModel::roleNames() const {
    QHash<int, QByteArray> names;
    for (int i = 0; i < m_roles.size(); ++i)
        names.insert(Qt::UserRole + i, m_roles.at(i).toUtf8());
    return names;
}

bool RowListModel::sameIds(const QVariantList& rows) const {
    if (rows.size() != m_rows.size())
        return false;
    for (int i = 0; i < rows.size(); ++i) {
        if (idOf(rows.at(i)) != idOf(m_rows.at(i)))
            return false;
    }
    return true;
}
