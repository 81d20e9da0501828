// The two worked reports: a petrol car 30 km a day for 220 days, and a diesel car 10 000 km.
#pragma once

#include "FrenchLocale.h"
#include "Report.h"

using namespace Qt::Literals::StringLiterals;

inline TKmReportInput KmWorkedExample()
{
    TKmReportInput input;
    input.Year = u"2022"_s;
    input.Kind = u"Automobile thermique"_s;
    input.Power = u"5 CV"_s;
    input.PerDayText = u"30"_s;
    input.DaysText = u"220"_s;
    input.AnnualText = Fr(u"6 600"_s);
    input.ResultText = Fr(u"3 751"_s);
    input.NumOfDays = 220;
    input.DistanceFromDays = 6600;
    input.Rate = 0.357L;
    input.Fixed = 1395;
    input.Amount = 3751.2L;
    return input;
}

inline TFuelReportInput FuelWorkedExample()
{
    TFuelReportInput input;
    input.Year = u"2022"_s;
    input.Kind = u"Voiture de tourisme"_s;
    input.Fuel = u"Gazole"_s;
    input.Power = u"5 à 7 CV"_s;
    input.AnnualText = u"10000"_s;
    input.ResultText = Fr(u"1 260"_s);
    input.Rate = 0.126L;
    input.Amount = 0.126L * 10000; // 1259.9999999999999999
    return input;
}
