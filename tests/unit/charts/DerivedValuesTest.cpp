#include "charts/DerivedValues.h"

#include "charts/TileDetails.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>

namespace {

enum class Derived { DewPoint, WindChill, Beaufort };

struct Reference {
    Derived what;
    double temperature; // °C
    double second;      // humidity % or speed m/s
    std::optional<double> expected;
    double tolerance;
    const char* source;
};

constexpr double kmh(double v) {
    return v / 3.6;
}
constexpr double celsius(double fahrenheit) {
    return (fahrenheit - 32.0) * 5.0 / 9.0;
}
constexpr double mph(double v) {
    return v * 1.609344 / 3.6;
}

// Published values, each with where it is published.
const Reference kReferences[] = {
    // Saturation: the dew point is the air temperature (definition, WMO-No. 8 Annex 4.B).
    {Derived::DewPoint, 20.0, 100.0, 20.0, 1e-9, "WMO-No. 8 (2018) Annex 4.B, definition"},
    {Derived::DewPoint, -10.0, 100.0, -10.0, 1e-9, "WMO-No. 8 (2018) Annex 4.B, definition"},
    // Magnus form with the WMO constants evaluated to 0.1 °C.
    {Derived::DewPoint, 20.0, 50.0, 9.26, 0.05, "WMO-No. 8 (2018) Annex 4.B, Magnus form"},
    {Derived::DewPoint, 0.0, 80.0, -3.04, 0.05, "WMO-No. 8 (2018) Annex 4.B, Magnus form"},
    // Lawrence, BAMS 86 (2005) 225, eq. 8: Td = T - (100 - RH)/5 within 1 °C above 50 %.
    {Derived::DewPoint, 30.0, 60.0, 22.0, 1.0, "Lawrence, BAMS 86 (2005) 225, eq. 8"},
    {Derived::DewPoint, 15.0, 90.0, 13.0, 1.0, "Lawrence, BAMS 86 (2005) 225, eq. 8"},
    {Derived::DewPoint, 25.0, 0.0, std::nullopt, 0, "no water vapour: no dew point"},
    // Environment Canada wind chill chart (rounded to whole degrees).
    {Derived::WindChill, -10.0, kmh(20), -18.0, 0.5, "Environment Canada wind chill chart"},
    {Derived::WindChill, -20.0, kmh(30), -33.0, 0.5, "Environment Canada wind chill chart"},
    {Derived::WindChill, 0.0, kmh(10), -3.0, 0.5, "Environment Canada wind chill chart"},
    // US National Weather Service wind chill chart (°F, mph): 0 °F at 15 mph is -19 °F.
    {Derived::WindChill, celsius(0), mph(15), celsius(-19), 0.3, "NWS wind chill chart (2001)"},
    // Outside the index's range it is the air temperature (JAG/TI 2001).
    {Derived::WindChill, 10.1, kmh(30), 10.1, 1e-9, "JAG/TI 2001: only at 10 °C or below"},
    {Derived::WindChill, -5.0, kmh(4.8), -5.0, 1e-9, "JAG/TI 2001: only above 4.8 km/h"},
    // WMO Beaufort scale limits in m/s (WMO-No. 558, Table 3.1).
    {Derived::Beaufort, 0, 0.0, 0, 0, "WMO-No. 558, force 0: 0-0.2 m/s"},
    {Derived::Beaufort, 0, 0.2, 0, 0, "WMO-No. 558, force 0: 0-0.2 m/s"},
    {Derived::Beaufort, 0, 0.3, 1, 0, "WMO-No. 558, force 1: 0.3-1.5 m/s"},
    {Derived::Beaufort, 0, 3.3, 2, 0, "WMO-No. 558, force 2: 1.6-3.3 m/s"},
    {Derived::Beaufort, 0, 3.4, 3, 0, "WMO-No. 558, force 3: 3.4-5.4 m/s"},
    {Derived::Beaufort, 0, 17.1, 7, 0, "WMO-No. 558, force 7: 13.9-17.1 m/s"},
    {Derived::Beaufort, 0, 32.6, 11, 0, "WMO-No. 558, force 11: 28.5-32.6 m/s"},
    {Derived::Beaufort, 0, 32.7, 12, 0, "WMO-No. 558, force 12: 32.7 m/s and more"},
    {Derived::Beaufort, 0, 200.0, 12, 0, "WMO-No. 558, force 12: 32.7 m/s and more"},
    {Derived::Beaufort, 0, -1.0, std::nullopt, 0, "a negative speed has no force"},
};

TEST(DerivedValues, PublishedReferenceValues) {
    for (const Reference& r : kReferences) {
        SCOPED_TRACE(r.source);
        std::optional<double> got;
        switch (r.what) {
        case Derived::DewPoint:
            got = dewPoint(r.temperature, r.second);
            break;
        case Derived::WindChill:
            got = windChill(r.temperature, r.second);
            break;
        case Derived::Beaufort:
            if (const auto b = beaufortNumber(r.second)) {
                got = *b;
            }
            break;
        }
        ASSERT_EQ(got.has_value(), r.expected.has_value()) << r.temperature << " " << r.second;
        if (got) {
            EXPECT_NEAR(*got, *r.expected, r.tolerance) << r.temperature << " " << r.second;
        }
    }
}

TEST(DerivedValues, BadInputGivesNothing) {
    EXPECT_FALSE(dewPoint(NAN, 50.0));
    EXPECT_FALSE(dewPoint(20.0, -3.0));
    EXPECT_NEAR(*dewPoint(20.0, 104.0), 20.0, 1e-9); // a humidity above 100 % is saturation
    EXPECT_FALSE(windChill(-5.0, NAN));
    EXPECT_FALSE(beaufortNumber(INFINITY));
}

Reading reading(std::optional<double> t, std::optional<double> rh, std::optional<double> speed) {
    Reading r;
    const auto set = [&r](Quantity q, std::optional<double> v) {
        r.values[quantityIndex(q)] = {v.has_value(), v.value_or(0.0), false};
    };
    set(Quantity::TEMP, t);
    set(Quantity::RH, rh);
    set(Quantity::SPEED, speed);
    return r;
}

TEST(TileDetails, DerivedValuesOfKnownReadingsOnly) {
    const TileDetails all = tileDetails(reading(-5.3, 45.3, 3.4));
    using Lines = std::vector<std::string>;
    EXPECT_EQ(all[quantityIndex(Quantity::TEMP)],
              (Lines{"Punkt rosy: -15.3 °C", "Temperatura odczuwalna: -10.2 °C"}));
    EXPECT_EQ(all[quantityIndex(Quantity::SPEED)], (Lines{"Skala Beauforta: 3 (łagodny wiatr)"}));
    EXPECT_TRUE(all[quantityIndex(Quantity::RH)].empty());

    const TileDetails noWind = tileDetails(reading(21.5, 50.0, std::nullopt));
    EXPECT_EQ(noWind[quantityIndex(Quantity::TEMP)], (Lines{"Punkt rosy: 10.6 °C"}));
    EXPECT_TRUE(noWind[quantityIndex(Quantity::SPEED)].empty());

    Reading faulty = reading(21.5, 50.0, 3.0);
    faulty.values[quantityIndex(Quantity::RH)].faulty = true;
    EXPECT_EQ(tileDetails(faulty)[quantityIndex(Quantity::TEMP)],
              (Lines{"Temperatura odczuwalna: 21.5 °C"}));
}

} // namespace
