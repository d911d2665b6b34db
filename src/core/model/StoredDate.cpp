#include "model/StoredDate.h"

#include <cmath>

namespace StoredDate {

namespace {
constexpr double unixOffsetSeconds = 978307200.0;
}

double toStored(const QDateTime& date) {
    return static_cast<double>(date.toMSecsSinceEpoch()) / 1000.0 - unixOffsetSeconds;
}

QDateTime fromStored(double secondsSince2001) {
    const auto msecs =
        static_cast<qint64>(std::llround((secondsSince2001 + unixOffsetSeconds) * 1000.0));
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

} // namespace StoredDate
