#include "history/QtZoneRules.h"

#include <QDateTime>

std::int32_t QtZoneRules::offsetAt(std::int64_t utc) const {
    return QDateTime::fromSecsSinceEpoch(utc).offsetFromUtc();
}
