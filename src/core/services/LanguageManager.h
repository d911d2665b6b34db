#pragma once

#include "model/AppLanguage.h"
#include "services/StringsTable.h"

#include <QObject>
#include <QVariantList>
#include <functional>
#include <optional>

class Defaults;
class Logger;
class Scheduler;

// Holds the interface language and is the one place every visible text of the program is looked
// up: C++ through text(), QML through the kit's Texts singleton. Keys are the English texts; the
// tables are <code>.lproj/Localizable.strings folders. Only the program's own texts pass through
// here; Qt's texts keep Qt's own translations.
class LanguageManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString currentLanguage READ currentLanguageRawValue NOTIFY currentLanguageChanged)
    // Bumped whenever the tables change; QML bindings read it so their texts are looked up again.
    Q_PROPERTY(int revision READ revision NOTIFY currentLanguageChanged)

public:
    using PreferredLanguages = std::function<QStringList()>;

    static QString defaultTablesDirectory();
    static PreferredLanguages systemPreferredLanguages();

    LanguageManager(Defaults& defaults, Scheduler& scheduler, Logger& logger,
                    QString tablesDirectory = defaultTablesDirectory(),
                    PreferredLanguages preferredLanguages = systemPreferredLanguages(),
                    QObject* parent = nullptr);

    AppLanguage currentLanguage() const { return m_currentLanguage; }
    QString currentLanguageRawValue() const { return AppLanguages::rawValue(m_currentLanguage); }
    int revision() const { return m_revision; }

    // Sets the language, saves it, switches the tables, then announces it; views follow on the
    // next pass of the event loop, when the new tables are in place.
    void changeLanguage(AppLanguage language);
    Q_INVOKABLE void changeLanguage(const QString& rawValue);

    // The text for a key in the tables in force; the key itself when no table has it.
    QString localized(const QString& key) const;
    // localized(), then its placeholders filled with the arguments.
    Q_INVOKABLE QString text(const QString& key, const QVariantList& arguments = {}) const;
    // The text for a count, its placeholder filled: the entry "<key>#one" for a count of one,
    // the key's own entry otherwise. Languages without a singular repeat the plural there.
    Q_INVOKABLE QString plural(const QString& key, qlonglong count) const;
    // The folder code whose table is in force ("en", "zh-Hans", ...), empty when none is.
    QString tableCode() const { return m_tableCode; }

signals:
    void currentLanguageChanged();
    // Posted after every change, with the new language's raw value.
    void languageDidChange(const QString& rawValue);

private:
    void applyBundle(AppLanguage language);
    std::optional<StringsTable> loadTable(const QString& code);
    QString systemTableCode() const;
    QStringList availableCodes() const;

    Defaults& m_defaults;
    Scheduler& m_scheduler;
    Logger& m_logger;
    QString m_tablesDirectory;
    PreferredLanguages m_preferredLanguages;
    AppLanguage m_currentLanguage;
    std::optional<StringsTable> m_table;
    QString m_tableCode;
    int m_revision = 0;
};
