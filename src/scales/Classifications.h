// Income years, vehicle kinds, power classes, fuels and statuses, with their captions, and
// the records of the last calculation of each page.
#pragma once

#include "UDeclar.h"

#include <QString>
#include <QStringList>

#include <cstdint>

enum TVehicleKind : uint8_t
{
    vkThermalCar,
    vkThermalMotorcycle,
    vkThermalMoped,
    vkElectricCar,
    vkElectricMotorcycle,
    vkElectricMoped
};

enum TFuelVehicleKind : uint8_t
{
    fvCar,
    fvTwoWheeler
};

enum TFuelKind : uint8_t
{
    fkDiesel,
    fkUnleaded,
    fkLpg
};

enum TTaxpayerStatus : uint8_t
{
    tsProfessional,
    tsEmployee
};

// The group of a vehicle kind decides its power list and its distance bands.
enum class TVehicleGroup : uint8_t
{
    Car,
    Motorcycle,
    Moped
};

// Income years of the mileage page and of the fuel page, newest first: the years of the
// published scales.
QStringList KmYearCaptions();
QStringList FuelYearCaptions();
bool IsKmYearOffered(int year);
bool IsFuelYearOffered(int year);
// The newest income year of a page, and its years as a range: "2012 à 2025".
int NewestYear(TTypeCalc type);
QString YearRangeText(TTypeCalc type);

// Vehicle kinds offered for an income year: the three thermal ones, and the three electric
// ones too where the year's scale has them; none for a year without a scale.
int VehicleKindCount(int year);
QStringList VehicleKindCaptions(int year);
bool IsVehicleKindOffered(int kind, int year);
bool IsElectric(TVehicleKind kind);
// The thermal kind of the same group (the kind itself when thermal).
TVehicleKind ThermalKindOf(TVehicleKind kind);
TVehicleGroup VehicleGroup(TVehicleKind kind);

// The label above the power list, empty for mopeds (the list is hidden then).
QString PowerLabelCaption(TVehicleKind kind);
QStringList PowerCaptions(TVehicleKind kind);

QStringList FuelVehicleKindCaptions();
QStringList FuelKindCaptions();
QString TaxpayerStatusCaption(TTaxpayerStatus status);
QStringList FuelPowerCaptions(TFuelVehicleKind kind, TTaxpayerStatus status);

// Row of the mileage scale; -1 without a power class for cars and motorcycles.
int KmScaleRowIndex(int kind, int powerIndex);
// Row of the fuel scale; -1 without a power class.
int FuelScaleRowIndex(int kind, int powerIndex);

struct TKmCalcState
{
    uint16_t Year = 0;
    TVehicleKind Kind = vkThermalCar;
    int32_t ScaleRow = -1;
    long double Distance = 0;
    long double Rate = 0;
    long double Fixed = 0;
    long double Amount = 0;
};

struct TFuelCalcState
{
    uint16_t Year = 0;
    TFuelVehicleKind Kind = fvCar;
    TFuelKind Fuel = fkDiesel;
    int32_t ScaleRow = -1;
    long double Distance = 0;
    long double Rate = 0;
    long double Amount = 0;
};
