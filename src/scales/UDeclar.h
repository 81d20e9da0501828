// The kind of calculation a report or a print job is about.
#pragma once

enum TTypeCalc : unsigned char
{
    tcKmCost,  // mileage allowance
    tcFuelCost // flat fuel allowance
};
