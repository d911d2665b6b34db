#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <QVariantList>

// Rows for a QML list, each a map with the same keys (the roles) and an "id". A new list whose
// ids stand in the same order updates the rows in place, so their delegates and the list's
// scroll position survive; any other change resets the list.
class RowListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit RowListModel(QStringList roles, QObject* parent = nullptr);

    void setRows(const QVariantList& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    bool sameIds(const QVariantList& rows) const;

    QStringList m_roles;
    QVariantList m_rows;
};
