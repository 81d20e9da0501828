// The batch file of the benchmarks: rows mixing both scales, every kind and every year.
#pragma once

#include "Classifications.h"
#include "PublishedScales.h"

#include <QByteArray>

#include <random>

// `rows` calculations after the header: three mileage rows (every year of the scale, every
// kind it offers, half a kilometre) for one fuel row (every year, car or two-wheeler, status).
inline QByteArray MakeBatchFile(int rows)
{
    const QList<int> kmYears = KmYears();
    const QList<int> fuelYears = FuelYears();
    std::mt19937 random(2022);
    QByteArray file = "calcul;annee;type;puissance;carburant;statut;distance\n";
    file.reserve(qsizetype(rows) * 40);
    for (int i = 0; i < rows; ++i) {
        const int distance = int(random() % 40000);
        if (i % 4 == 3) {
            const int kind = int(random() % 2);
            const int year = fuelYears.at(qsizetype(random() % fuelYears.size()));
            file += "carburant;" + QByteArray::number(year) + ';' + QByteArray::number(kind) + ';' +
                    QByteArray::number(int(random() % 2)) + ';' +
                    QByteArray::number(int(random() % 3)) + (random() % 2 ? ";pro;" : ";salarie;") +
                    QByteArray::number(distance) + '\n';
        } else {
            const int year = kmYears.at(qsizetype(random() % kmYears.size()));
            const int kind = int(random() % unsigned(VehicleKindCount(year)));
            // Mopeds have no power.
            const QByteArray power =
                kind % 3 == 2 ? QByteArray() : QByteArray::number(int(random() % 3));
            file += "km;" + QByteArray::number(year) + ';' + QByteArray::number(kind) + ';' +
                    power + ";;;" + QByteArray::number(distance) + ",5\n";
        }
    }
    return file;
}
