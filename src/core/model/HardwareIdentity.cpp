#include "model/HardwareIdentity.h"

#include "model/JsonFields.h"

#include <QStringList>

QString HardwareIdentity::text() const {
    QStringList parts;
    const QString name = QStringList{vendor, model}.join(QLatin1Char(' ')).trimmed();
    if (!name.isEmpty())
        parts.append(name);
    if (!serial.isEmpty())
        parts.append(QStringLiteral("S/N ") + serial);
    if (!wwn.isEmpty())
        parts.append(QStringLiteral("WWN ") + wwn);
    return parts.join(QStringLiteral(" · "));
}

QJsonObject HardwareIdentity::toJson() const {
    return QJsonObject{{QStringLiteral("vendor"), vendor},
                       {QStringLiteral("model"), model},
                       {QStringLiteral("serial"), serial},
                       {QStringLiteral("wwn"), wwn}};
}

std::optional<HardwareIdentity> HardwareIdentity::fromJson(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto vendor = JsonFields::string(object, QStringLiteral("vendor"));
    const auto model = JsonFields::string(object, QStringLiteral("model"));
    const auto serial = JsonFields::string(object, QStringLiteral("serial"));
    const auto wwn = JsonFields::string(object, QStringLiteral("wwn"));
    if (!vendor || !model || !serial || !wwn)
        return std::nullopt;
    return HardwareIdentity{*vendor, *model, *serial, *wwn};
}
