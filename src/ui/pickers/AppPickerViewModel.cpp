#include "pickers/AppPickerViewModel.h"

#include "model/Defaults.h"
#include "model/NeverProtectedList.h"
#include "ports/InstalledApplications.h"
#include "services/LanguageManager.h"

#include <QLocale>

AppPickerViewModel::AppPickerViewModel(Dependencies dependencies, QObject* parent)
    : QAbstractListModel(parent)
    , m_deps(dependencies) {}

QString AppPickerViewModel::desktopLocale(const LanguageManager& language) {
    if (language.currentLanguage() == AppLanguage::system)
        return QLocale::system().name();
    return QLocale(language.currentLanguageRawValue()).name();
}

void AppPickerViewModel::loadInstalledApps() {
    QSet<QString> excluded = NeverProtectedList::identifiers();
    for (const ProtectedApp& app : m_deps.defaults.protectedApps())
        excluded.insert(app.bundleIdentifier);
    m_installed = m_deps.scanner.scan(excluded, desktopLocale(m_deps.language));
    refilter();
}

QList<AppInfo> AppPickerViewModel::filteredApps() const {
    QList<AppInfo> result;
    result.reserve(m_rows.size());
    for (qsizetype row : m_rows)
        result.append(m_installed[row]);
    return result;
}

void AppPickerViewModel::setSearchText(const QString& text) {
    if (text == m_searchText)
        return;
    m_searchText = text;
    emit searchTextChanged();
    refilter();
}

void AppPickerViewModel::toggleSelection(const QString& bundleIdentifier) {
    if (!m_selected.remove(bundleIdentifier))
        m_selected.insert(bundleIdentifier);
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        if (m_installed[m_rows[row]].bundleIdentifier == bundleIdentifier)
            emit dataChanged(index(int(row)), index(int(row)), {IsSelectedRole});
    }
    emit selectionChanged();
}

void AppPickerViewModel::confirm() {
    if (m_selected.isEmpty())
        return;
    QList<AppInfo> chosen;
    for (const AppInfo& app : m_installed) {
        if (m_selected.contains(app.bundleIdentifier))
            chosen.append(app);
    }
    if (onAppsSelected)
        onAppsSelected(chosen);
}

void AppPickerViewModel::cancel() {
    if (onCancel)
        onCancel();
}

int AppPickerViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant AppPickerViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const AppInfo& app = m_installed[m_rows[index.row()]];
    switch (role) {
    case BundleIdentifierRole:
        return app.bundleIdentifier;
    case NameRole:
    case Qt::DisplayRole:
        return app.name;
    case IsSelectedRole:
        return m_selected.contains(app.bundleIdentifier);
    default:
        return {};
    }
}

QHash<int, QByteArray> AppPickerViewModel::roleNames() const {
    return {{BundleIdentifierRole, "bundleIdentifier"},
            {NameRole, "name"},
            {IsSelectedRole, "isSelected"}};
}

// No trimming, no folding of accents: both the English and the localised names are searched.
bool AppPickerViewModel::matches(const AppInfo& app) const {
    if (m_searchText.isEmpty())
        return true;
    if (app.name.contains(m_searchText, Qt::CaseInsensitive) ||
        app.bundleIdentifier.contains(m_searchText, Qt::CaseInsensitive))
        return true;
    return std::any_of(
        app.searchableNames.begin(), app.searchableNames.end(),
        [&](const QString& name) { return name.contains(m_searchText, Qt::CaseInsensitive); });
}

void AppPickerViewModel::refilter() {
    beginResetModel();
    m_rows.clear();
    for (qsizetype i = 0; i < m_installed.size(); ++i) {
        if (matches(m_installed[i]))
            m_rows.append(i);
    }
    endResetModel();
}
