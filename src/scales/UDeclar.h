// The kind of calculation a report or a print job is about.
#pragma once

enum TTypeCalc : unsigned char
{
    tcKmCost,   // mileage allowance
    tcFuelCost, // flat fuel allowance
    tcRealCosts // actual costs against the 10 % deduction
};
