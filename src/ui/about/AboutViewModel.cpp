#include "about/AboutViewModel.h"

#include <QFile>
#include <QStringDecoder>

AboutViewModel::AboutViewModel(QString version, QString licensePath, QObject* parent)
    : QObject(parent)
    , m_version(version.isEmpty() ? QStringLiteral("1.0") : std::move(version))
    , m_licensePath(std::move(licensePath)) {}

void AboutViewModel::setShowLicenses(bool shown) {
    if (shown == m_showLicenses)
        return;
    m_showLicenses = shown;
    emit showLicensesChanged();
}

QString AboutViewModel::licenseText() const {
    QFile file(m_licensePath);
    if (!file.open(QIODevice::ReadOnly))
        return fallbackLicenseText();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError() || text.isEmpty())
        return fallbackLicenseText();
    return text;
}
