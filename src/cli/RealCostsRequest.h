// A comparison of actual costs with the 10 % deduction as the command line and the batch file
// give it: the texts of its amounts, read with the rules of the other calculations, and the
// vehicle's costs typed or computed by a scale.
#pragma once

#include "Calculation.h"
#include "RealCosts.h"

#include <array>
#include <optional>
#include <string_view>

// The amounts and counts of a comparison. Their names are those of the batch columns; the
// options are the same with '-' for '_' ("--frais-vehicule").
enum TRealCostsField
{
    rfSalary,
    rfVehicle,
    rfMeals,
    rfMealPrice,
    rfMealVoucher,
    rfHomeWorkDays,
    rfHomeWorkActual,
    rfOther,
    rfAllowances,
    rfMarginalRate,
    RealCostsFieldCount
};
inline constexpr std::array<std::string_view, RealCostsFieldCount> RealCostsFieldNames{
    "salaire",           "frais_vehicule",   "repas",        "prix_repas",  "titres_restaurant",
    "teletravail_jours", "teletravail_reel", "autres_frais", "allocations", "taux_marginal"};

struct TRealCostsRequest
{
    int Year = 0;
    std::array<std::optional<QString>, RealCostsFieldCount> Texts; // as given
    bool VehicleFromScale = false; // the vehicle's costs computed by the scale of Vehicle.Type
    TCalcRequest Vehicle;
};

struct TRealCostsCalc
{
    TPublishedYear Published;
    TRealCostsInput Input;
    TRealCostsResult Result;
    TCalcResult Vehicle; // the scale's calculation, when the request asks for it
};

// The name of a field, or of the scale's choice, in messages: an option or a batch column.
QString RealCostsInputName(TRealCostsField field, bool option);
QString ScaleInputName(bool option);
// Reads "km" or "carburant".
bool ReadScaleChoice(QStringView text, TTypeCalc &type);

// Reads and checks the request, computes the vehicle's costs with what is published for the
// year, looked up once, then the comparison. `option` names the inputs as options, else as
// columns; `distanceNames` name the vehicle's distances. False with the French reason.
bool ComputeRealCostsRequest(TRealCostsRequest &request, bool option,
                             const TInputNames &distanceNames, TRealCostsCalc &calc,
                             QString &error);

// The working, the verdict and what to declare, one line each.
QString RealCostsText(const TRealCostsCalc &calc);
// The comparison for scripts: amounts in euros as JSON numbers.
QString RealCostsToJson(const TRealCostsRequest &request, const TRealCostsCalc &calc);
// How the choice is written for scripts: "frais-reels", "10%" or "egal".
QString ChoiceWord(TRealCostsChoice choice);
