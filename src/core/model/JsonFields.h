#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>
#include <optional>

// Strict readers for record members: nullopt when the member is missing or of the wrong type.
namespace JsonFields {
std::optional<QString> string(const QJsonObject& object, const QString& key);
std::optional<bool> boolean(const QJsonObject& object, const QString& key);
std::optional<double> number(const QJsonObject& object, const QString& key);
std::optional<QUuid> uuid(const QJsonObject& object, const QString& key);

// An optional member: absent or null reads as "no value"; any other wrong type is a failure.
template <typename T> struct Optional {
    bool ok = true;
    std::optional<T> value;
};
Optional<QString> optionalString(const QJsonObject& object, const QString& key);
Optional<QUuid> optionalUuid(const QJsonObject& object, const QString& key);
} // namespace JsonFields
