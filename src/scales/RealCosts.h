// Actual costs ("frais réels") against the 10 % deduction: one person's costs of the year, the
// taxable pay under each option, and what to write on the declaration.
#pragma once

#include "PublishedScales.h"
#include "UDeclar.h"

#include <QList>
#include <QString>

enum class TRealCostsChoice
{
    RealCosts,  // declaring the actual costs lowers the taxable pay more
    TenPercent, // the 10 % deduction does
    Equal
};

struct TRealCostsInput
{
    long double Salary = 0;     // net taxable pay of the year
    long double Allowances = 0; // the employer's allowances and reimbursements of costs
    long double Vehicle = 0;    // the vehicle's costs
    QString VehicleOrigin; // where they come from ("barème kilométrique 2025 : ..."), or empty
    long double Meals = 0; // meals taken at the workplace
    bool MealReceipts = false; // their average price is known from receipts
    long double MealPrice = 0;
    long double MealVoucher = 0; // the employer's share of a meal voucher, per meal
    bool HomeWorkFlat = true;    // home working at the flat amounts, else its actual amount
    long double HomeWorkDays = 0;
    long double HomeWorkActual = 0;
    long double Other = 0;         // training, documentation, second home...
    long double MarginalRate = -1; // in %, negative when not given
};

struct TRealCostsResult
{
    long double Deduction10 = 0; // to the cent
    long double MealEach = 0;    // what each meal counts
    bool MealBelowHome = false;  // a price below the value of a meal taken at home counts 0
    long double Meals = 0;
    long double HomeWork = 0;
    bool HomeWorkCapped = false;
    long double Total = 0;      // the actual costs, to the cent
    long double Income10 = 0;   // taxable pay under each option, in whole euros
    long double IncomeReal = 0; // the pay with the allowances, less the declared costs
    long double Gap = 0;        // how much lower the better option's taxable pay is
    TRealCostsChoice Choice = TRealCostsChoice::Equal;
    long double Declared = 0;    // the actual costs in whole euros, as declared
    long double PayDeclared = 0; // the pay with the allowances in whole euros, as declared
    long double TaxAvoided = -1; // Gap at the marginal rate; negative without a rate
};

// The most a single amount may be, in euros, and a meal's price or voucher share.
inline constexpr long double MaxRealCostsAmount = 10'000'000;
inline constexpr long double MaxMealAmount = 1'000;

// Why the input cannot be computed for the year, naming the limit; empty when it can.
QString CheckRealCostsInput(const TRealCostsInput &input, int year, const TRealCostsSet &set);
TRealCostsResult ComputeRealCosts(const TRealCostsInput &input, const TRealCostsSet &set);

// The 10 % deduction of a pay: 10 % of it within the year's bounds, never more than the pay.
long double TenPercentDeduction(long double pay, const TRealCostsSet &set);
// Amounts declared on the return: whole euros, nearest, a half counted as one.
long double DeclaredEuros(long double amount);

// The calculation's lines as the page shows them and the sheet prints them: what, its working.
struct TRealCostsLine
{
    QString Label;
    QString Text;
};

QList<TRealCostsLine> RealCostsWorking(const TRealCostsInput &input, const TRealCostsResult &result,
                                       const TRealCostsSet &set);
// Which option is more favourable, and by how much, in one sentence.
QString RealCostsVerdict(const TRealCostsResult &result);
// What to write on the declaration.
TRealCostsLine RealCostsDeclaration(const TRealCostsResult &result);
// The year's parameters with their references.
QList<TRealCostsLine> RealCostsParameters(int year, const TRealCostsSet &set);

// Whether the year publishes flat home-working amounts; when not, why.
bool HasHomeWorkFlat(const TRealCostsSet &set);
// The marginal rates of the year, as "0, 11, 30, 41 ou 45 %".
QString MarginalRatesText(const TRealCostsSet &set);
bool IsMarginalRate(long double rate, const TRealCostsSet &set);
// Where a vehicle's costs come from, as the actual-costs page and vemora-calc say it: the scale
// and its year, the distance, the vehicle (its power, or the kind of a moped) and a detail
// (electric, a car's fuel) when there is one: "barème kilométrique 2025 : 12 000 km, 5 CV".
QString VehicleCostOrigin(TTypeCalc scale, int year, long double distance, QString vehicle,
                          const QString &detail);
// Money as the page writes it: "1 234,50 €", or whole euros "1 235 €".
QString CentsText(long double amount);
QString EurosText(long double amount);
