#pragma once

#include "history/LocalTimeResolver.h"

// The computer's time zone, as Qt knows it.
class QtZoneRules : public ZoneRules {
public:
    std::int32_t offsetAt(std::int64_t utc) const override;
};
