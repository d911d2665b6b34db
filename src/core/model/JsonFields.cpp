#include "model/JsonFields.h"

#include "model/Uuid.h"

namespace JsonFields {

std::optional<QString> string(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<bool> boolean(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<double> number(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

std::optional<QUuid> uuid(const QJsonObject& object, const QString& key) {
    const auto text = string(object, key);
    return text ? Uuid::fromStored(*text) : std::nullopt;
}

Optional<QString> optionalString(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return {};
    if (!value.isString())
        return {false, std::nullopt};
    return {true, value.toString()};
}

Optional<QUuid> optionalUuid(const QJsonObject& object, const QString& key) {
    const auto text = optionalString(object, key);
    if (!text.ok || !text.value)
        return {text.ok, std::nullopt};
    const auto parsed = Uuid::fromStored(*text.value);
    return {parsed.has_value(), parsed};
}

} // namespace JsonFields
