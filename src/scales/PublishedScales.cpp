// The published mileage and fuel scales, one entry per publication.
#include "PublishedScales.h"

#include <algorithm>

namespace {

// Order of 27 March 2023 (JORF n° 0083 of 7 April 2023), income 2022, kept unchanged for the
// income years 2023 to 2025.
constexpr TKmCoefficientSet Km2022{
    {{0.529L, 0.316L, 1065, 0.37L},
     {0.606L, 0.34L, 1330, 0.407L},
     {0.636L, 0.357L, 1395, 0.427L},
     {0.665L, 0.374L, 1457, 0.447L},
     {0.697L, 0.394L, 1515, 0.47L}},
    {{0.395L, 0.099L, 891, 0.248L}, {0.468L, 0.082L, 1158, 0.275L}, {0.606L, 0.079L, 1583, 0.343L}},
    {0.315L, 0.079L, 711, 0.198L},
    4};

// JORF n° 0037 of 13 February 2022, income 2021.
constexpr TKmCoefficientSet Km2021{
    {{0.502L, 0.3L, 1007, 0.35L},
     {0.575L, 0.323L, 1262, 0.387L},
     {0.603L, 0.339L, 1320, 0.405L},
     {0.631L, 0.355L, 1382, 0.425L},
     {0.661L, 0.374L, 1435, 0.446L}},
    {{0.375L, 0.094L, 845, 0.234L}, {0.444L, 0.078L, 1099, 0.261L}, {0.575L, 0.075L, 1502, 0.325L}},
    {0.299L, 0.07L, 458, 0.162L},
    4};

// Order of 26 February 2020 (JORF n° 0051 of 29 February 2020), income 2019, kept for 2020
// (JORF n° 0043 of 19 February 2021).
constexpr TKmCoefficientSet Km2019{
    {{0.456L, 0.273L, 915, 0.318L},
     {0.523L, 0.294L, 1147, 0.352L},
     {0.548L, 0.308L, 1200, 0.368L},
     {0.574L, 0.323L, 1256, 0.386L},
     {0.601L, 0.34L, 1301, 0.405L}},
    {{0.341L, 0.085L, 768, 0.213L}, {0.404L, 0.071L, 999, 0.237L}, {0.523L, 0.068L, 1365, 0.295L}},
    {0.272L, 0.064L, 416, 0.147L},
    4};

// BOI-BAREME-000001-20190326, income 2018.
constexpr TKmCoefficientSet Km2018{
    {{0.451L, 0.27L, 906, 0.315L},
     {0.518L, 0.291L, 1136, 0.349L},
     {0.543L, 0.305L, 1188, 0.364L},
     {0.568L, 0.32L, 1244, 0.382L},
     {0.595L, 0.337L, 1288, 0.401L}},
    {{0.338L, 0.084L, 760, 0.211L}, {0.4L, 0.07L, 989, 0.235L}, {0.518L, 0.067L, 1351, 0.292L}},
    {0.269L, 0.063L, 412, 0.146L},
    4};

// JORF n° 0050 of 28 February 2015, income 2014, kept up to 2017 (BOI-BAREME-000001 of
// 15 February 2016, 24 February 2017 and 24 January 2018).
constexpr TKmCoefficientSet Km2014{
    {{0.41L, 0.245L, 824, 0.286L},
     {0.493L, 0.277L, 1082, 0.332L},
     {0.543L, 0.305L, 1188, 0.364L},
     {0.568L, 0.32L, 1244, 0.382L},
     {0.595L, 0.337L, 1288, 0.401L}},
    {{0.338L, 0.084L, 760, 0.211L}, {0.4L, 0.07L, 989, 0.235L}, {0.518L, 0.067L, 1351, 0.292L}},
    {0.269L, 0.063L, 412, 0.146L},
    4};

// BOI-BAREME-000001-20140327, income 2013.
constexpr TKmCoefficientSet Km2013{
    {{0.408L, 0.244L, 820, 0.285L},
     {0.491L, 0.276L, 1077, 0.33L},
     {0.54L, 0.303L, 1182, 0.362L},
     {0.565L, 0.318L, 1238, 0.38L},
     {0.592L, 0.335L, 1282, 0.399L}},
    {{0.336L, 0.084L, 756, 0.21L}, {0.398L, 0.07L, 984, 0.234L}, {0.515L, 0.067L, 1344, 0.291L}},
    {0.268L, 0.063L, 410, 0.145L},
    1};

// BOI-BAREME-000003-20130322, income 2012.
constexpr TKmCoefficientSet Km2012{
    {{0.405L, 0.242L, 818, 0.283L},
     {0.487L, 0.274L, 1063, 0.327L},
     {0.536L, 0.3L, 1180, 0.359L},
     {0.561L, 0.316L, 1223, 0.377L},
     {0.587L, 0.332L, 1278, 0.396L}},
    {{0.333L, 0.083L, 750, 0.208L}, {0.395L, 0.069L, 978, 0.232L}, {0.511L, 0.067L, 1332, 0.289L}},
    {0.266L, 0.063L, 406, 0.144L},
    1};

// Mopeds had their bands at 2000 and 5000 km up to the income year 2018.
constexpr TBandLimits OldMopedBands{2000, 5000};
constexpr TBandLimits MopedBands{3000, 6000};

// Newest first.
constexpr TKmScaleSet KmSets[] = {
    // The 2022 scale kept, no new order being published. Income 2023: DGFiP practical brochure
    // 2024 (Traitements et salaires), as reported by AMAPL and by Les Echos Publishing (April
    // 2024). Income 2024: practical brochure 2025, as reported by Legifiscal, WebLex (17 April
    // 2025) and Les Echos Publishing (14 April 2025). Income 2025: reported unchanged in April
    // 2026 by the ADCF, after service-public.fr's news of 9 April 2026.
    {2023, 2025, &Km2022, MopedBands, true, true,
     u"Barème des revenus 2022 reconduit : brochures pratiques 2024, 2025 et 2026"},
    {2022, 2022, &Km2022, MopedBands, true, true,
     u"Arrêté du 27 mars 2023, JORF n° 0083 du 7 avril 2023"},
    {2021, 2021, &Km2021, MopedBands, true, true, u"JORF n° 0037 du 13 février 2022"},
    {2020, 2020, &Km2019, MopedBands, true, true, u"JORF n° 0043 du 19 février 2021"},
    {2019, 2019, &Km2019, MopedBands, true, false, u"JORF n° 0051 du 29 février 2020"},
    {2018, 2018, &Km2018, OldMopedBands, true, false, u"BOI-BAREME-000001-20190326"},
    {2014, 2017, &Km2014, OldMopedBands, false, false,
     u"JORF n° 0050 du 28 février 2015, reconduit jusqu'aux revenus 2017"},
    {2013, 2013, &Km2013, OldMopedBands, false, false, u"BOI-BAREME-000001-20140327"},
    {2012, 2012, &Km2012, OldMopedBands, false, false, u"BOI-BAREME-000003-20130322"},
};

// Newest first. Each line: diesel, unleaded, LPG for the five car classes, then the four
// two-wheeler rates.
constexpr TFuelScaleSet FuelSets[] = {
    // BOFiP news of 19 February 2026 (ACTU-2026-00009), income 2025; reprinted by B.F.
    // Conseils and by Newsgene after service-public.fr (23 February 2026).
    {2025,
     2025,
     {{0.089L, 0.113L, 0.072L},
      {0.110L, 0.139L, 0.089L},
      {0.131L, 0.165L, 0.106L},
      {0.148L, 0.187L, 0.120L},
      {0.165L, 0.208L, 0.133L}},
     {0.037L, 0.074L, 0.095L, 0.131L},
     u"BOI-BAREME-000003, BOFiP du 19 février 2026"},
    // BOI-BAREME-000003 as updated in February 2025, income 2024: Éditions Législatives
    // (21 February 2025) and Emargence (10 March 2025) print the whole table.
    {2024,
     2024,
     {{0.094L, 0.119L, 0.074L},
      {0.116L, 0.147L, 0.091L},
      {0.137L, 0.174L, 0.108L},
      {0.155L, 0.197L, 0.122L},
      {0.172L, 0.219L, 0.136L}},
     {0.038L, 0.078L, 0.099L, 0.137L},
     u"BOI-BAREME-000003, BOFiP de février 2025"},
    // BOI-BAREME-000003-20240306 (BOFiP, 6 March 2024), income 2023: reprinted by Lefebvre
    // Dalloz (18 March 2024) and Les Echos Publishing (7 March 2024).
    {2023,
     2023,
     {{0.099L, 0.123L, 0.073L},
      {0.122L, 0.152L, 0.090L},
      {0.145L, 0.181L, 0.107L},
      {0.164L, 0.203L, 0.121L},
      {0.182L, 0.226L, 0.135L}},
     {0.040L, 0.081L, 0.102L, 0.142L},
     u"BOI-BAREME-000003-20240306"},
    // BOI-BAREME-000003, income 2022.
    {2022,
     2022,
     {{0.102L, 0.118L, 0.063L},
      {0.126L, 0.145L, 0.078L},
      {0.15L, 0.173L, 0.093L},
      {0.169L, 0.195L, 0.104L},
      {0.188L, 0.217L, 0.116L}},
     {0.038L, 0.078L, 0.098L, 0.136L},
     u"BOI-BAREME-000003, revenus 2022"},
};

// The income tax's marginal rates: 0, 5.5, 14, 30, 41 and 45 % for the income years 2012 and
// 2013 (BOI-IR-LIQ-20-10-20130327, as reprinted by the Revue Fiduciaire; Dispofi), the 5.5 %
// band removed from 2014 (finance law for 2015: 2m-consulting, Dispofi, fp-avocat), 14 %
// lowered to 11 % from 2020 (finance law for 2020: Boursorama, Legifiscal; for 2023 to 2025,
// MoneyVox, Legifiscal, Que Choisir and Les Echos Publishing).
constexpr TMarginalRates Rates2012{0, 5.5L, 14, 30, 41, 45};
constexpr TMarginalRates Rates2014{0, 14, 30, 41, 45, -1};
constexpr TMarginalRates Rates2020{0, 11, 30, 41, 45, -1};

constexpr const char16_t *DeductionText = u"Article 83, 3° du CGI (BOI-BAREME-000035)";
constexpr const char16_t *MealText = u"BOI-RSA-BASE-30-50-30-20 § 550";
constexpr const char16_t *NoHomeWorkBefore2020 =
    u"Pas de forfait avant les revenus 2020 : le montant réel seulement";

// Newest first, one entry a year. The 10 % deduction's bounds: Le Particulier (10 March 2017)
// for 2012 to 2016, with Boursier.com (2013, 2014), materiel-paysage.com (2012), the BOFiP news
// ACTU-2016-00069 (2015) and Dossier Familial (2016); Sorogec after BOI-BAREME-000035-20190307
// for 2017 and 2018, with Legifiscal (2017) and Radins.com (2018); BforBank and Le Blog
// Patrimoine (2019); LCL and L'Internaute (2020); Que Choisir and Dispofi (2021); Acocia-AGAPS
// and L'Information dentaire (2022); avocat.fr and Tout sur mes finances (2023); Journal Le
// Soir and globalinfo.org (2024). For 2025 the finance law for 2026 raised the first band's
// limit from 11 497 to 11 600 €, and art. 83 3° of the tax code raises the bounds in the same
// proportion, to the nearest euro (as 2022 shows: 448 × 10 777 / 10 225 = 472): 509 and 14 555.
// The value of a meal taken at home: L'Agefi Actifs and L'Infirmière libérale (2012), AGAPL 51
// and Eridya (2013), fiscalonline and ALD Conseil (2014), Entrepreneurs 85 and fiscalonline
// (2015, 2016), MMA Entreprise (2017), Aquilae Conseils (2018), RF Conseil and AMAPL (2019),
// Francis Lefebvre and Agipi (2020), Agipi and Protecso (2021), GVGM and Cabinet Becamel
// (2022), Fiscablog and Cabinet Becamel (2023), Francis Lefebvre and Beyond Numbers (2024),
// Cerfrance and Legifiscal (2025). Home working: RTL and France Bleu (2020), Francis Lefebvre
// and MoneyVox (2021), APGA and Philippe & Sogeco (2022), Les Echos Publishing and Qiiro
// (2023), the practical brochure 2025 as quoted by Illiade, and Legifiscal (2024); nothing
// published yet for 2025.
constexpr TRealCostsSet RealCostsTable[] = {
    {2025, 2025, 509, 14555, true, 5.45L, 0, 0, 0, Rates2020, u"calculé selon l'article 83 du CGI",
     MealText, u"Forfait des revenus 2025 pas encore publié : le montant réel seulement"},
    {2024, 2024, 504, 14426, false, 5.35L, 2.70L, 59.40L, 626.40L, Rates2020, DeductionText,
     MealText, u"Brochure pratique 2025 de l'impôt sur le revenu"},
    {2023, 2023, 495, 14171, false, 5.20L, 2.60L, 57.20L, 603.20L, Rates2020, DeductionText,
     MealText, u"Brochure pratique 2024 de l'impôt sur le revenu"},
    {2022, 2022, 472, 13522, false, 5.00L, 2.50L, 55, 580, Rates2020, DeductionText, MealText,
     u"Brochure pratique 2023 de l'impôt sur le revenu"},
    {2021, 2021, 448, 12829, false, 4.95L, 2.50L, 55, 580, Rates2020, DeductionText, MealText,
     u"Brochure pratique 2022 de l'impôt sur le revenu"},
    {2020, 2020, 442, 12652, false, 4.90L, 2.50L, 0, 550, Rates2020, DeductionText, MealText,
     u"Brochure pratique 2021 de l'impôt sur le revenu"},
    {2019, 2019, 441, 12627, false, 4.85L, 0, 0, 0, Rates2014, DeductionText, MealText,
     NoHomeWorkBefore2020},
    {2018, 2018, 437, 12502, false, 4.80L, 0, 0, 0, Rates2014, DeductionText, MealText,
     NoHomeWorkBefore2020},
    {2017, 2017, 430, 12305, false, 4.75L, 0, 0, 0, Rates2014, DeductionText, MealText,
     NoHomeWorkBefore2020},
    {2016, 2016, 426, 12183, false, 4.70L, 0, 0, 0, Rates2014, DeductionText, MealText,
     NoHomeWorkBefore2020},
    {2015, 2015, 426, 12170, false, 4.65L, 0, 0, 0, Rates2014, DeductionText, MealText,
     NoHomeWorkBefore2020},
    {2014, 2014, 426, 12157, false, 4.60L, 0, 0, 0, Rates2014, DeductionText, MealText,
     NoHomeWorkBefore2020},
    {2013, 2013, 424, 12097, false, 4.55L, 0, 0, 0, Rates2012, DeductionText, MealText,
     NoHomeWorkBefore2020},
    {2012, 2012, 421, 12000, false, 4.45L, 0, 0, 0, Rates2012, DeductionText, MealText,
     NoHomeWorkBefore2020},
};

template<typename Set> const Set *findSet(std::span<const Set> sets, int year)
{
    const auto found = std::find_if(sets.begin(), sets.end(), [year](const Set &set) {
        return year >= set.FirstYear && year <= set.LastYear;
    });
    return found == sets.end() ? nullptr : &*found;
}

template<typename Set> QList<int> yearsOf(std::span<const Set> sets)
{
    QList<int> years;
    for (const Set &set : sets) {
        for (int year = set.FirstYear; year <= set.LastYear; ++year)
            years << year;
    }
    std::sort(years.begin(), years.end(), std::greater<int>());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    return years;
}

} // namespace

std::span<const TKmScaleSet> KmScaleSets()
{
    return KmSets;
}

std::span<const TFuelScaleSet> FuelScaleSets()
{
    return FuelSets;
}

std::span<const TRealCostsSet> RealCostsSets()
{
    return RealCostsTable;
}

const TKmScaleSet *FindKmScaleSet(int year)
{
    return findSet(KmScaleSets(), year);
}

const TFuelScaleSet *FindFuelScaleSet(int year)
{
    return findSet(FuelScaleSets(), year);
}

const TRealCostsSet *FindRealCostsSet(int year)
{
    return findSet(RealCostsSets(), year);
}

TPublishedYear FindPublishedYear(int year)
{
    return {year, FindKmScaleSet(year), FindFuelScaleSet(year), FindRealCostsSet(year)};
}

QList<int> KmYears()
{
    static const QList<int> years = yearsOf(KmScaleSets()); // the table is fixed
    return years;
}

QList<int> FuelYears()
{
    static const QList<int> years = yearsOf(FuelScaleSets());
    return years;
}

QList<int> RealCostsYears()
{
    static const QList<int> years = yearsOf(RealCostsSets());
    return years;
}

namespace {

template<typename Test> int firstYearFromWhichOn(Test test)
{
    int first = 0;
    for (int year : KmYears()) { // newest first
        if (!test(*FindKmScaleSet(year)))
            break;
        first = year;
    }
    return first;
}

} // namespace

int FirstElectricKindsYear()
{
    return firstYearFromWhichOn([](const TKmScaleSet &set) { return set.ElectricKinds; });
}

int FirstElectricMarkupYear()
{
    return firstYearFromWhichOn([](const TKmScaleSet &set) { return set.ElectricMarkup; });
}
