#pragma once

#include <QString>
#include <QUuid>
#include <optional>

// Record identifiers in their stored form: canonical 8-4-4-4-12 text, written in upper case,
// read in either case.
namespace Uuid {
QString toStored(const QUuid& uuid);
std::optional<QUuid> fromStored(const QString& text);
} // namespace Uuid
