// Actual costs against the 10 % deduction: the costs, the taxable pay under each option and
// the declaration.
#include "RealCosts.h"

#include "NumberEditRules.h"
#include "NumberText.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Nbsp = QString(QChar(0x00A0));

QString percentText(long double rate)
{
    return NumberToShortText(rate) + Nbsp + u'%';
}

// A count of meals or days.
QString countText(long double count)
{
    return NumberToText(count, 0);
}

QString tooLarge(const QString &what, long double value, long double most)
{
    return u"%1 trop grand : %2 (%3 au plus)"_s.arg(what, CentsText(value), EurosText(most));
}

} // namespace

QString VehicleCostOrigin(TTypeCalc scale, int year, long double distance, QString vehicle,
                          const QString &detail)
{
    if (!detail.isEmpty())
        vehicle += u", "_s + detail;
    return (scale == tcKmCost ? u"barème kilométrique %1 : %2 km, %3"_s
                              : u"barème carburant %1 : %2 km, %3"_s)
        .arg(QString::number(year), NumberToText(distance, 0), vehicle);
}

QString CentsText(long double amount)
{
    return NumberToText(amount, 2) + Nbsp + u'€';
}

QString EurosText(long double amount)
{
    return NumberToText(RoundDecimals(amount, 0), 0) + Nbsp + u'€';
}

long double DeclaredEuros(long double amount)
{
    return RoundDecimals(amount, 0);
}

long double TenPercentDeduction(long double pay, const TRealCostsSet &set)
{
    const long double tenth = RoundCents(pay / 10);
    return std::min(pay, std::max(set.DeductionMin, std::min(tenth, set.DeductionMax)));
}

bool HasHomeWorkFlat(const TRealCostsSet &set)
{
    return set.HomeWorkPerDay > 0;
}

QString MarginalRatesText(const TRealCostsSet &set)
{
    QStringList rates;
    for (long double rate : set.MarginalRates) {
        if (rate >= 0)
            rates << NumberToShortText(rate);
    }
    const QString last = rates.takeLast();
    return rates.join(u", "_s) + u" ou "_s + last + Nbsp + u'%';
}

bool IsMarginalRate(long double rate, const TRealCostsSet &set)
{
    return rate >= 0 && std::find(set.MarginalRates.begin(), set.MarginalRates.end(), rate) !=
                            set.MarginalRates.end();
}

QString CheckRealCostsInput(const TRealCostsInput &input, int year, const TRealCostsSet &set)
{
    const std::pair<QString, long double> amounts[] = {
        {u"Salaire net imposable"_s, input.Salary},
        {u"Allocations et remboursements de l'employeur"_s, input.Allowances},
        {u"Frais de véhicule"_s, input.Vehicle},
        {u"Montant réel du télétravail"_s, input.HomeWorkActual},
        {u"Autres frais"_s, input.Other},
    };
    for (const auto &[what, value] : amounts) {
        if (value < 0)
            return u"%1 négatif : %2"_s.arg(what, CentsText(value));
        if (value > MaxRealCostsAmount)
            return tooLarge(what, value, MaxRealCostsAmount);
    }
    for (const auto &[what, value] :
         {std::pair{u"Prix moyen d'un repas"_s, input.MealPrice},
          std::pair{u"Part de l'employeur dans un titre-restaurant"_s, input.MealVoucher}}) {
        if (value < 0)
            return u"%1 négatif : %2"_s.arg(what, CentsText(value));
        if (value > MaxMealAmount)
            return tooLarge(what, value, MaxMealAmount);
    }
    const int days = DaysInYear(year);
    if (input.Meals < 0 || input.Meals > 2 * days) {
        return u"Nombre de repas hors limites : %1 (de 0 à %2 en %3, deux par jour)"_s.arg(
            countText(input.Meals), QString::number(2 * days), QString::number(year));
    }
    if (input.HomeWorkDays < 0 || input.HomeWorkDays > days) {
        return u"Nombre de jours de télétravail hors limites : %1 (de 0 à %2 en %3)"_s.arg(
            countText(input.HomeWorkDays), QString::number(days), QString::number(year));
    }
    if (input.HomeWorkFlat && input.HomeWorkDays > 0 && !HasHomeWorkFlat(set)) {
        return u"Pas de forfait de télétravail pour les revenus %1 (%2) : indiquez le montant "
               u"réel"_s.arg(QString::number(year), QString::fromUtf16(set.HomeWorkReference));
    }
    if (input.MarginalRate >= 0 && !IsMarginalRate(input.MarginalRate, set)) {
        return u"Taux marginal inconnu en %1 : %2 (%3)"_s.arg(
            QString::number(year), percentText(input.MarginalRate), MarginalRatesText(set));
    }
    return {};
}

TRealCostsResult ComputeRealCosts(const TRealCostsInput &input, const TRealCostsSet &set)
{
    TRealCostsResult r;
    r.Deduction10 = TenPercentDeduction(input.Salary, set);

    // A meal counts for what it costs beyond a meal taken at home, or without receipts for
    // the value of a meal at home; less the employer's share of a meal voucher.
    long double each = set.HomeMealValue;
    if (input.MealReceipts) {
        r.MealBelowHome = input.MealPrice < set.HomeMealValue;
        each = std::max(0.0L, input.MealPrice - set.HomeMealValue);
    }
    r.MealEach = r.MealBelowHome ? 0 : std::max(0.0L, RoundCents(each - input.MealVoucher));
    r.Meals = RoundCents(input.Meals * r.MealEach);

    if (input.HomeWorkFlat && HasHomeWorkFlat(set)) {
        const long double flat = RoundCents(input.HomeWorkDays * set.HomeWorkPerDay);
        r.HomeWorkCapped = flat > set.HomeWorkPerYear;
        r.HomeWork = std::min(flat, set.HomeWorkPerYear);
    } else {
        r.HomeWork = input.HomeWorkActual;
    }

    r.Total = RoundCents(input.Vehicle + r.Meals + r.HomeWork + input.Other);
    r.Declared = DeclaredEuros(r.Total);
    r.PayDeclared = DeclaredEuros(input.Salary + input.Allowances);
    r.Income10 = DeclaredEuros(input.Salary - r.Deduction10);
    r.IncomeReal = r.PayDeclared - r.Declared;
    r.Gap = std::abs(r.Income10 - r.IncomeReal);
    r.Choice = r.IncomeReal < r.Income10   ? TRealCostsChoice::RealCosts
               : r.IncomeReal > r.Income10 ? TRealCostsChoice::TenPercent
                                           : TRealCostsChoice::Equal;
    if (input.MarginalRate >= 0)
        r.TaxAvoided = RoundCents(r.Gap * input.MarginalRate / 100);
    return r;
}

QList<TRealCostsLine> RealCostsWorking(const TRealCostsInput &input, const TRealCostsResult &r,
                                       const TRealCostsSet &set)
{
    QList<TRealCostsLine> lines;
    const QString pay = CentsText(input.Salary);
    const long double tenth = RoundCents(input.Salary / 10);
    QString deduction = u"10"_s + Nbsp + u"% de "_s + pay + u" = "_s + CentsText(tenth);
    if (r.Deduction10 == input.Salary && tenth < set.DeductionMin)
        deduction += u", limitée au salaire"_s;
    else if (tenth < set.DeductionMin)
        deduction += u", portée au minimum de "_s + EurosText(set.DeductionMin);
    else if (tenth > set.DeductionMax)
        deduction += u", ramenée au maximum de "_s + EurosText(set.DeductionMax);
    lines.append({u"Salaire net imposable"_s, pay});
    lines.append({u"Déduction de 10 %"_s, deduction + u" : "_s + CentsText(r.Deduction10)});

    lines.append(
        {u"Frais de véhicule"_s, input.VehicleOrigin.isEmpty()
                                     ? CentsText(input.Vehicle)
                                     : input.VehicleOrigin + u" : "_s + CentsText(input.Vehicle)});
    QString each;
    if (r.MealBelowHome) {
        each = u"0 (prix inférieur à la valeur d'un repas pris au foyer, "_s +
               CentsText(set.HomeMealValue) + u')';
    } else {
        each = input.MealReceipts ? NumberToText(input.MealPrice, 2) + u" − "_s +
                                        NumberToText(set.HomeMealValue, 2)
                                  : NumberToText(set.HomeMealValue, 2) + u" (sans justificatif)"_s;
        if (input.MealVoucher > 0)
            each += u" − "_s + NumberToText(input.MealVoucher, 2) + u" (titre-restaurant)"_s;
        each = u'(' + each + u") = "_s + CentsText(r.MealEach);
    }
    lines.append(
        {u"Repas"_s, countText(input.Meals) + u" × "_s + each + u" : "_s + CentsText(r.Meals)});
    QString homeWork = u"montant réel : "_s + CentsText(r.HomeWork);
    if (input.HomeWorkFlat && HasHomeWorkFlat(set)) {
        homeWork = countText(input.HomeWorkDays) +
                   (input.HomeWorkDays > 1 ? u" jours × "_s : u" jour × "_s) +
                   CentsText(set.HomeWorkPerDay) + u" = "_s +
                   CentsText(RoundCents(input.HomeWorkDays * set.HomeWorkPerDay));
        if (r.HomeWorkCapped)
            homeWork += u", plafonné à "_s + CentsText(set.HomeWorkPerYear);
    }
    lines.append({u"Télétravail"_s, homeWork});
    lines.append({u"Autres frais"_s, CentsText(input.Other)});
    lines.append(
        {u"Total des frais réels"_s,
         u"%1 + %2 + %3 + %4 = %5"_s.arg(NumberToText(input.Vehicle, 2), NumberToText(r.Meals, 2),
                                         NumberToText(r.HomeWork, 2), NumberToText(input.Other, 2),
                                         CentsText(r.Total))});
    lines.append({u"Revenu imposable avec la déduction de 10 %"_s,
                  u"%1 − %2 = %3"_s.arg(NumberToText(input.Salary, 2),
                                        NumberToText(r.Deduction10, 2), EurosText(r.Income10))});
    QString real = NumberToText(input.Salary, 2);
    if (input.Allowances > 0)
        real += u" + "_s + NumberToText(input.Allowances, 2) + u" (allocations)"_s;
    lines.append(
        {u"Revenu imposable avec les frais réels"_s,
         real + u" − "_s + NumberToText(r.Declared, 0) + u" = "_s + EurosText(r.IncomeReal)});
    if (r.Choice == TRealCostsChoice::RealCosts && input.Allowances > 0) {
        lines.append({u"Salaire à déclarer case 1AJ (ou 1BJ), allocations comprises"_s,
                      EurosText(r.PayDeclared)});
    }
    if (r.TaxAvoided >= 0) {
        lines.append({u"Impôt évité (estimation)"_s, EurosText(r.Gap) + u" × "_s +
                                                         percentText(input.MarginalRate) +
                                                         u" = "_s + CentsText(r.TaxAvoided)});
    }
    return lines;
}

QString RealCostsVerdict(const TRealCostsResult &r)
{
    switch (r.Choice) {
    case TRealCostsChoice::RealCosts:
        return u"Les frais réels réduisent votre revenu imposable de %1 de plus que la déduction "
               u"de 10 %."_s.arg(EurosText(r.Gap));
    case TRealCostsChoice::TenPercent:
        return u"La déduction de 10 % réduit votre revenu imposable de %1 de plus que les frais "
               u"réels."_s.arg(EurosText(r.Gap));
    case TRealCostsChoice::Equal:
        break;
    }
    return u"Les frais réels et la déduction de 10 % donnent le même revenu imposable."_s;
}

TRealCostsLine RealCostsDeclaration(const TRealCostsResult &r)
{
    if (r.Choice != TRealCostsChoice::RealCosts) {
        return {u"Rien à déclarer"_s,
                u"la déduction de 10 % s'applique d'office, sans frais en case 1AK ou 1BK"_s};
    }
    return {u"Frais réels à déclarer case 1AK (déclarant 1) ou 1BK (déclarant 2)"_s,
            EurosText(r.Declared)};
}

QList<TRealCostsLine> RealCostsParameters(int year, const TRealCostsSet &set)
{
    QList<TRealCostsLine> lines;
    lines.append({u"Déduction de 10 % en %1"_s.arg(year),
                  u"au moins %1, au plus %2 (%3)"_s.arg(
                      EurosText(set.DeductionMin), EurosText(set.DeductionMax),
                      QString::fromUtf16(set.DeductionReference))});
    lines.append({u"Repas pris au foyer"_s, CentsText(set.HomeMealValue) + u" ("_s +
                                                QString::fromUtf16(set.MealReference) + u')'});
    QString homeWork = QString::fromUtf16(set.HomeWorkReference);
    if (HasHomeWorkFlat(set)) {
        QString flat = CentsText(set.HomeWorkPerDay) + u" par jour"_s;
        if (set.HomeWorkPerMonth > 0)
            flat += u", "_s + CentsText(set.HomeWorkPerMonth) + u" par mois"_s;
        homeWork =
            flat + u", "_s + CentsText(set.HomeWorkPerYear) + u" par an ("_s + homeWork + u')';
    }
    lines.append({u"Forfait de télétravail"_s, homeWork});
    return lines;
}
