#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// One text table in the `"key" = "value";` form, with /* */ and // comments and the usual
// backslash escapes. A damaged entry is skipped and reported; the rest of the table still counts.
class StringsTable {
public:
    static StringsTable parse(const QString& text);

    std::optional<QString> value(const QString& key) const;
    QStringList keys() const { return m_entries.keys(); }
    qsizetype size() const { return m_entries.size(); }
    // "line N: what was wrong", one per skipped entry.
    const QStringList& errors() const { return m_errors; }

private:
    QHash<QString, QString> m_entries;
    QStringList m_errors;
};
