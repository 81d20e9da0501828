// Calculations of the income years 2023 to 2025 worked out by hand from the published scales:
// band limits, each band, the electric markup, the employee's capped class, two-wheelers.
// The engine tests and the vemora-calc tests both run them.
#pragma once

#include "UDeclar.h"

#include <QMetaType>

struct TPublishedExample
{
    const char *Name;
    int Year;
    TTypeCalc Type;
    int Kind;
    int Power; // -1: none (mopeds)
    int Fuel;
    bool Employee;
    long double Distance;
    long double Rate;
    long double Fixed;
    const char16_t *Shown; // as the page shows it, a blank between thousands
};

inline constexpr TPublishedExample PublishedExamples[] = {
    // Mileage: the 2022 scale, kept; electric vehicles marked up by 20 %.
    {"2023 car 5 CV 7000 km, published example", 2023, tcKmCost, 0, 2, 0, false, 7000, 0.357L, 1395,
     u"3 894"},
    {"2023 motorcycle 4 CV 4500 km, published example", 2023, tcKmCost, 1, 1, 0, false, 4500,
     0.082L, 1158, u"1 527"},
    {"2023 car 3 CV at the 5000 km limit", 2023, tcKmCost, 0, 0, 0, false, 5000, 0.529L, 0,
     u"2 645"},
    {"2023 car 7 CV just past 20000 km", 2023, tcKmCost, 0, 4, 0, false, 20001, 0.47L, 0, u"9 400"},
    {"2023 moped at the 3000 km limit", 2023, tcKmCost, 2, -1, 0, false, 3000, 0.315L, 0, u"945"},
    {"2024 electric car 4 CV at the 20000 km limit", 2024, tcKmCost, 3, 1, 0, false, 20000, 0.408L,
     1596, u"9 756"},
    {"2024 motorcycle over 5 CV just past 6000 km", 2024, tcKmCost, 1, 2, 0, false, 6001, 0.343L, 0,
     u"2 058"},
    {"2024 electric moped just past 3000 km", 2024, tcKmCost, 5, -1, 0, false, 3001, 0.095L, 853.2L,
     u"1 138"},
    {"2024 car 3 CV just past 5000 km", 2024, tcKmCost, 0, 0, 0, false, 5001, 0.316L, 1065,
     u"2 645"},
    {"2025 electric motorcycle 1 or 2 CV at the 3000 km limit", 2025, tcKmCost, 4, 0, 0, false,
     3000, 0.474L, 0, u"1 422"},
    {"2025 car 6 CV just past 5000 km", 2025, tcKmCost, 0, 3, 0, false, 5001, 0.374L, 1457,
     u"3 327"},
    {"2025 electric car 7 CV past 20000 km", 2025, tcKmCost, 3, 4, 0, false, 25000, 0.564L, 0,
     u"14 100"},
    {"2025 moped at the 6000 km limit", 2025, tcKmCost, 2, -1, 0, false, 6000, 0.079L, 711,
     u"1 185"},
    {"2025 electric moped in the first band", 2025, tcKmCost, 5, -1, 0, false, 2000, 0.378L, 0,
     u"756"},

    // Fuel: diesel 0, unleaded 1, LPG 2; two-wheelers take one rate whatever the fuel.
    {"2023 fuel car 3 to 4 CV diesel", 2023, tcFuelCost, 0, 0, 0, false, 10000, 0.099L, 0, u"990"},
    {"2023 fuel car 12 CV and more LPG", 2023, tcFuelCost, 0, 4, 2, false, 15000, 0.135L, 0,
     u"2 025"},
    {"2023 fuel employee 5 to 7 CV and more unleaded", 2023, tcFuelCost, 0, 1, 1, true, 10000,
     0.152L, 0, u"1 520"},
    {"2023 fuel two-wheeler under 50 CC", 2023, tcFuelCost, 1, 0, 2, false, 5000, 0.040L, 0,
     u"200"},
    {"2023 fuel two-wheeler over 5 CV", 2023, tcFuelCost, 1, 3, 0, false, 10000, 0.142L, 0,
     u"1 420"},
    {"2024 fuel car 8 to 9 CV unleaded", 2024, tcFuelCost, 0, 2, 1, false, 12000, 0.174L, 0,
     u"2 088"},
    {"2024 fuel car 10 to 11 CV diesel", 2024, tcFuelCost, 0, 3, 0, false, 10000, 0.155L, 0,
     u"1 550"},
    {"2024 fuel employee 5 to 7 CV and more LPG", 2024, tcFuelCost, 0, 1, 2, true, 10000, 0.091L, 0,
     u"910"},
    {"2024 fuel two-wheeler 50 to 125 CC", 2024, tcFuelCost, 1, 1, 0, false, 8000, 0.078L, 0,
     u"624"},
    {"2024 fuel two-wheeler 3 to 5 CV", 2024, tcFuelCost, 1, 2, 1, false, 10000, 0.099L, 0, u"990"},
    {"2025 fuel car 5 to 7 CV diesel", 2025, tcFuelCost, 0, 1, 0, false, 10000, 0.110L, 0,
     u"1 100"},
    {"2025 fuel car 3 to 4 CV unleaded", 2025, tcFuelCost, 0, 0, 1, false, 10000, 0.113L, 0,
     u"1 130"},
    {"2025 fuel car 10 to 11 CV LPG", 2025, tcFuelCost, 0, 3, 2, false, 10000, 0.120L, 0, u"1 200"},
    {"2025 fuel employee 5 to 7 CV and more diesel", 2025, tcFuelCost, 0, 1, 0, true, 10000, 0.110L,
     0, u"1 100"},
    {"2025 fuel two-wheeler under 50 CC", 2025, tcFuelCost, 1, 0, 0, false, 10000, 0.037L, 0,
     u"370"},
    {"2025 fuel two-wheeler 3 to 5 CV", 2025, tcFuelCost, 1, 2, 0, false, 10000, 0.095L, 0, u"950"},
    {"2025 fuel two-wheeler over 5 CV", 2025, tcFuelCost, 1, 3, 2, false, 10000, 0.131L, 0,
     u"1 310"},
};

Q_DECLARE_METATYPE(TPublishedExample)
