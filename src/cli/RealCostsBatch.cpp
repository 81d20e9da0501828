// The rows calcul=frais-reels of a batch file.
#include "RealCostsBatch.h"

#include "Csv.h"
#include "NumberText.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr std::string_view ResultNames[] = {
    "vehicule",     "frais_repas", "frais_teletravail",  "frais_reels",
    "deduction_10", "revenu_10",   "revenu_frais_reels", "ecart",
    "choix",        "a_declarer",  "impot_evite"};

// The first column of the header with that name; -1 without it.
int columnOf(const std::vector<std::string_view> &header, std::string_view name)
{
    for (size_t i = 0; i < header.size(); ++i) {
        if (IsFieldWord(header[i], name))
            return int(i);
    }
    return -1;
}

QString number(long double x)
{
    return NumberToSignificantText(x, 18, u',');
}

} // namespace

TRealCostsRows::TRealCostsRows(const std::vector<std::string_view> &header)
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columns[i] = columnOf(header, RealCostsFieldNames[i]);
    m_year = columnOf(header, "annee");
    m_scale = columnOf(header, "bareme");
    m_type = columnOf(header, "type");
    m_distance = columnOf(header, "distance");
}

std::span<const std::string_view> TRealCostsRows::ResultColumns() const
{
    return Present() ? std::span<const std::string_view>(ResultNames)
                     : std::span<const std::string_view>();
}

bool TRealCostsRows::IsRow(std::string_view calcul)
{
    return IsFieldWord(calcul, "frais-reels");
}

bool TRealCostsRows::Compute(const std::vector<std::string_view> &fields,
                             const TInputNames &distanceNames, const TVehicleReader &readVehicle,
                             TRealCostsRequest &request, TRealCostsCalc &calc, QString &error) const
{
    // A field of the row, without its blanks; empty where the row or the header has none.
    const auto field = [&fields](int column) {
        return column >= 0 && size_t(column) < fields.size()
                   ? SafeText(TrimmedField(fields[size_t(column)]))
                   : QString();
    };
    request = {};
    request.Year = NewestYear(tcRealCosts);
    const QString year = field(m_year);
    if (!year.isEmpty() && !ReadWholeNumber(year, request.Year)) {
        error = u"année illisible : « %1 »"_s.arg(QuotedInMessage(year));
        return false;
    }
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const QString text = field(m_columns[i]);
        if (!text.isEmpty())
            request.Texts[i] = text;
    }
    const QString scale = field(m_scale);
    TTypeCalc type = tcKmCost;
    if (!scale.isEmpty() && !ReadScaleChoice(scale, type)) {
        error = u"bareme inconnu : « %1 » (km ou carburant)"_s.arg(QuotedInMessage(scale));
        return false;
    }
    request.VehicleFromScale = !scale.isEmpty();
    if (!request.VehicleFromScale) {
        // A distance or a kind without its scale would be left out of the costs unseen.
        for (const auto &[column, name] : {std::pair{m_type, u"type"}, {m_distance, u"distance"}}) {
            if (!field(column).isEmpty()) {
                error = u"%1 va avec bareme (km ou carburant)"_s.arg(QString::fromUtf16(name));
                return false;
            }
        }
    } else if (!readVehicle(request.Vehicle, error)) {
        return false;
    }
    return ComputeRealCostsRequest(request, false, distanceNames, calc, error);
}

QStringList TRealCostsRows::ResultFields(const TRealCostsCalc &calc)
{
    const TRealCostsResult &r = calc.Result;
    const bool better = r.Choice == TRealCostsChoice::RealCosts;
    return {number(calc.Input.Vehicle),
            number(r.Meals),
            number(r.HomeWork),
            number(r.Total),
            number(r.Deduction10),
            number(r.Income10),
            number(r.IncomeReal),
            number(r.Gap),
            ChoiceWord(r.Choice),
            better ? number(r.Declared) : QString(),
            r.TaxAvoided >= 0 ? number(r.TaxAvoided) : QString()};
}
