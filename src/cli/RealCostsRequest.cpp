// A comparison of actual costs with the 10 % deduction, from the command line or a batch row.
#include "RealCostsRequest.h"

#include "Csv.h"
#include "NumberText.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Counts of meals and days are whole numbers; the rest are amounts (or a rate) to the cent.
bool isCount(TRealCostsField field)
{
    return field == rfMeals || field == rfHomeWorkDays;
}

bool readField(TRealCostsField field, const QString &text, const QString &name, long double &value,
               QString &error)
{
    if (!isCount(field))
        return ReadNumberInput(text, name, 2, value, error);
    int count = 0;
    if (!ReadWholeNumber(text, count)) {
        error = u"Nombre illisible pour %1 : « %2 » (un nombre entier est attendu)"_s.arg(
            name, QuotedInMessage(text));
        return false;
    }
    value = count;
    return true;
}

// Where the vehicle's costs come from, as the page carries them from a scale's page: the
// scale, its year, the distance and the power (or the kind of a moped), with the fuel of a car.
QString vehicleOrigin(const TCalcRequest &request, const TPublishedYear &published,
                      const TCalcResult &result)
{
    if (request.Type == tcKmCost) {
        const TVehicleKind kind = TVehicleKind(request.Kind);
        const QStringList powers = PowerCaptions(kind);
        const bool powerless = powers.isEmpty();
        return VehicleCostOrigin(tcKmCost, request.Year, result.Distance,
                                 powerless ? VehicleKindCaptions(published.Km).value(request.Kind)
                                           : powers.value(request.Power),
                                 IsElectric(kind) && !powerless ? u"électrique"_s : QString());
    }
    const TFuelVehicleKind kind = TFuelVehicleKind(request.Kind);
    return VehicleCostOrigin(tcFuelCost, request.Year, result.Distance,
                             FuelPowerCaptions(kind, request.Status).value(request.Power),
                             kind == fvCar ? FuelKindCaptions().value(request.Fuel).toLower()
                                           : QString());
}

QString orNull(bool given, const QString &json)
{
    return given ? json : u"null"_s;
}

} // namespace

QString RealCostsInputName(TRealCostsField field, bool option)
{
    const std::string_view name = RealCostsFieldNames[field];
    QString text = QString::fromLatin1(name.data(), qsizetype(name.size()));
    return option ? u"--"_s + text.replace(u'_', u'-') : text;
}

QString ScaleInputName(bool option)
{
    return option ? u"--bareme"_s : u"bareme"_s;
}

bool ReadScaleChoice(QStringView text, TTypeCalc &type)
{
    const QStringView word = TrimBlanks(text);
    if (word.compare(u"km", Qt::CaseInsensitive) == 0)
        type = tcKmCost;
    else if (word.compare(u"carburant", Qt::CaseInsensitive) == 0)
        type = tcFuelCost;
    else
        return false;
    return true;
}

bool ComputeRealCostsRequest(TRealCostsRequest &request, bool option,
                             const TInputNames &distanceNames, TRealCostsCalc &calc, QString &error)
{
    const auto name = [option](TRealCostsField field) { return RealCostsInputName(field, option); };
    const auto given = [&request](TRealCostsField field) {
        return request.Texts[field].has_value();
    };
    calc = {};
    calc.Published = FindPublishedYear(request.Year);
    const TRealCostsSet *set = calc.Published.RealCosts;
    if (!set) {
        error = u"Année non proposée : %1 (frais réels de %2)"_s.arg(QString::number(request.Year),
                                                                     YearRangeText(tcRealCosts));
        return false;
    }
    if (!given(rfSalary)) {
        error = option ? u"L'option --salaire est obligatoire"_s : u"salaire manquant"_s;
        return false;
    }
    if (given(rfVehicle) && request.VehicleFromScale) {
        error = u"%1 ne se combine pas avec %2"_s.arg(name(rfVehicle), ScaleInputName(option));
        return false;
    }
    for (TRealCostsField field : {rfMealPrice, rfMealVoucher}) {
        if (given(field) && !given(rfMeals)) {
            error = u"%1 va avec %2"_s.arg(name(field), name(rfMeals));
            return false;
        }
    }
    if (given(rfHomeWorkDays) && given(rfHomeWorkActual)) {
        error =
            u"Donnez %1 ou %2, pas les deux"_s.arg(name(rfHomeWorkDays), name(rfHomeWorkActual));
        return false;
    }

    TRealCostsInput &input = calc.Input;
    long double *const values[RealCostsFieldCount] = {
        &input.Salary,      &input.Vehicle,      &input.Meals,          &input.MealPrice,
        &input.MealVoucher, &input.HomeWorkDays, &input.HomeWorkActual, &input.Other,
        &input.Allowances,  &input.MarginalRate};
    for (int i = 0; i < RealCostsFieldCount; ++i) {
        const TRealCostsField field = TRealCostsField(i);
        if (given(field) && !readField(field, *request.Texts[i], name(field), *values[i], error))
            return false;
    }
    input.MealReceipts = given(rfMealPrice);
    input.HomeWorkFlat = !given(rfHomeWorkActual);
    if (request.VehicleFromScale) {
        // The vehicle's year is the comparison's; its amount counts to the cent.
        request.Vehicle.Year = request.Year;
        if (!ComputeRequest(request.Vehicle, calc.Published, distanceNames, calc.Vehicle, error))
            return false;
        input.Vehicle = RoundCents(calc.Vehicle.Amount);
        input.VehicleOrigin = vehicleOrigin(request.Vehicle, calc.Published, calc.Vehicle);
    }
    error = CheckRealCostsInput(input, request.Year, *set);
    if (!error.isEmpty())
        return false;
    calc.Result = ComputeRealCosts(input, *set);
    return true;
}

QString RealCostsText(const TRealCostsCalc &calc)
{
    QStringList lines;
    for (const TRealCostsLine &line :
         RealCostsWorking(calc.Input, calc.Result, *calc.Published.RealCosts))
        lines << line.Label + u" : "_s + line.Text;
    lines << RealCostsVerdict(calc.Result);
    const TRealCostsLine declaration = RealCostsDeclaration(calc.Result);
    lines << declaration.Label + u" : "_s + declaration.Text;
    return lines.join(u'\n');
}

QString ChoiceWord(TRealCostsChoice choice)
{
    switch (choice) {
    case TRealCostsChoice::RealCosts:
        return u"frais-reels"_s;
    case TRealCostsChoice::TenPercent:
        return u"10%"_s;
    case TRealCostsChoice::Equal:
        break;
    }
    return u"egal"_s;
}

QString RealCostsToJson(const TRealCostsRequest &request, const TRealCostsCalc &calc)
{
    const TRealCostsInput &in = calc.Input;
    const TRealCostsResult &r = calc.Result;
    const bool better = r.Choice == TRealCostsChoice::RealCosts;
    const std::pair<const char16_t *, QString> members[] = {
        {u"year", QString::number(request.Year)},
        {u"salaire", JsonNumber(in.Salary)},
        {u"allocations", JsonNumber(in.Allowances)},
        {u"vehicule", JsonNumber(in.Vehicle)},
        {u"vehicule_origine", orNull(request.VehicleFromScale, JsonString(in.VehicleOrigin))},
        {u"calcul_vehicule",
         orNull(request.VehicleFromScale, ResultToJson(request.Vehicle, calc.Vehicle))},
        {u"repas", JsonNumber(r.Meals)},
        {u"repas_unitaire", JsonNumber(r.MealEach)},
        {u"teletravail", JsonNumber(r.HomeWork)},
        {u"autres", JsonNumber(in.Other)},
        {u"frais_reels", JsonNumber(r.Total)},
        {u"deduction_10", JsonNumber(r.Deduction10)},
        {u"revenu_10", JsonNumber(r.Income10)},
        {u"revenu_frais_reels", JsonNumber(r.IncomeReal)},
        {u"ecart", JsonNumber(r.Gap)},
        {u"choix", JsonString(ChoiceWord(r.Choice))},
        {u"a_declarer", orNull(better, JsonNumber(r.Declared))},
        {u"taux_marginal", orNull(in.MarginalRate >= 0, JsonNumber(in.MarginalRate))},
        {u"impot_evite", orNull(r.TaxAvoided >= 0, JsonNumber(r.TaxAvoided))},
    };
    QString json;
    for (const auto &[key, value] : members)
        json += (json.isEmpty() ? u"{\""_s : u",\""_s) + QString::fromUtf16(key) + u"\":"_s + value;
    return json + u'}';
}
