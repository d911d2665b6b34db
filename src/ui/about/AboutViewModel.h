#pragma once

#include <QObject>
#include <QString>

// What the About window shows: the version, and the licence texts in a sheet.
class AboutViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(QString iconSource READ iconSource CONSTANT)
    Q_PROPERTY(bool showLicenses READ showLicenses WRITE setShowLicenses NOTIFY showLicensesChanged)

public:
    static QString bundledLicensePath() { return QStringLiteral(":/velmora/LICENSE"); }
    static QString fallbackLicenseText() {
        return QStringLiteral("MIT License\n\nCopyright (c) 2026 Tarnwick");
    }

    explicit AboutViewModel(QString version, QString licensePath = bundledLicensePath(),
                            QObject* parent = nullptr);

    // "1.0" when the build names no version.
    QString version() const { return m_version; }
    QString iconSource() const {
        return QStringLiteral("qrc:/velmora/icons/com.tarnwick.Velmora.svg");
    }
    bool showLicenses() const { return m_showLicenses; }
    void setShowLicenses(bool shown);

    // Read afresh each time the sheet opens; the short fallback when the file is missing or is
    // not UTF-8 text.
    Q_INVOKABLE QString licenseText() const;

signals:
    void showLicensesChanged();

private:
    QString m_version;
    QString m_licensePath;
    bool m_showLicenses = false;
};
