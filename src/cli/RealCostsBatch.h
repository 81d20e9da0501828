// The rows calcul=frais-reels of a batch file: their columns, their comparison, and the
// columns of its results.
#pragma once

#include "RealCostsRequest.h"

#include <QStringList>

#include <functional>
#include <span>
#include <string_view>
#include <vector>

// Reads the vehicle of a row as a row of its scale, the bareme column saying which.
using TVehicleReader = std::function<bool(TCalcRequest &request, QString &error)>;

class TRealCostsRows
{
public:
    explicit TRealCostsRows(const std::vector<std::string_view> &header);

    // Whether the header names the column salaire: the file may then hold comparisons, and
    // each of its rows has the columns of their results.
    bool Present() const { return m_columns[rfSalary] >= 0; }
    // The columns of a comparison's results, added before erreur; none without salaire.
    std::span<const std::string_view> ResultColumns() const;
    // The column bareme, -1 without it.
    int ScaleColumn() const { return m_scale; }

    static bool IsRow(std::string_view calcul);
    // Reads and computes the row's comparison; false with the French reason.
    bool Compute(const std::vector<std::string_view> &fields, const TInputNames &distanceNames,
                 const TVehicleReader &readVehicle, TRealCostsRequest &request,
                 TRealCostsCalc &calc, QString &error) const;
    // The result columns of a comparison, numbers with the decimal comma.
    static QStringList ResultFields(const TRealCostsCalc &calc);

private:
    std::array<int, RealCostsFieldCount> m_columns;
    int m_year = -1;
    int m_scale = -1;
    int m_type = -1;
    int m_distance = -1;
};
