#pragma once

#include <QDateTime>

// Dates are stored as seconds (with fraction) since 2001-01-01 00:00:00 UTC.
namespace StoredDate {
double toStored(const QDateTime& date);
QDateTime fromStored(double secondsSince2001);
} // namespace StoredDate
