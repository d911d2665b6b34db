#pragma once

#include "model/AppInfo.h"

#include <QAbstractListModel>
#include <QSet>
#include <functional>

class InstalledApplications;
class Defaults;
class LanguageManager;

// The application picker's state: the scanned applications, the search, the ticked IDs, and
// what confirming hands over. Its rows are the applications the search lets through.
class AppPickerViewModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY selectionChanged)

public:
    enum Role { BundleIdentifierRole = Qt::UserRole + 1, NameRole, IsSelectedRole };

    struct Dependencies {
        const InstalledApplications& scanner;
        const Defaults& defaults;
        const LanguageManager& language;
    };

    explicit AppPickerViewModel(Dependencies dependencies, QObject* parent = nullptr);

    // The locale whose Name[...] entries are the localised names: the pinned interface language,
    // else the system's.
    static QString desktopLocale(const LanguageManager& language);

    // Scans again, leaving out the blacklisted and the already protected applications.
    void loadInstalledApps();
    const QList<AppInfo>& installedApps() const { return m_installed; }
    QList<AppInfo> filteredApps() const;

    QString searchText() const { return m_searchText; }
    void setSearchText(const QString& text);
    const QSet<QString>& selectedBundleIDs() const { return m_selected; }
    int selectedCount() const { return int(m_selected.size()); }

    Q_INVOKABLE void toggleSelection(const QString& bundleIdentifier);
    // Hands the ticked applications, hidden by the search or not, over in list order.
    Q_INVOKABLE void confirm();
    Q_INVOKABLE void cancel();

    std::function<void(const QList<AppInfo>&)> onAppsSelected;
    std::function<void()> onCancel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void searchTextChanged();
    void selectionChanged();

private:
    bool matches(const AppInfo& app) const;
    void refilter();

    Dependencies m_deps;
    QList<AppInfo> m_installed;
    // Positions in m_installed of the rows shown.
    QList<qsizetype> m_rows;
    QString m_searchText;
    QSet<QString> m_selected;
};
