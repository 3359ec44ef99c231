#include "protocol/Reading.h"

#include "protocol/PanelData.h"

Reading takeReading(const PanelData& data, bool linkUp,
                    std::chrono::system_clock::time_point time) {
    Reading reading;
    reading.time = time;
    for (const Quantity q : kAllQuantities) {
        QuantityReading& r = reading.values[static_cast<std::size_t>(quantityIndex(q))];
        const bool available = data.isAvailable(q, linkUp);
        r.faulty = available && data.isFaulty(q);
        r.known = available && !r.faulty;
        r.value = r.known ? data.value(q) : 0.0;
    }
    return reading;
}
