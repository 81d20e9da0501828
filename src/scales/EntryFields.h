// How the six numeric entry fields of the calculator pages are read.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// Annual distance: whole kilometres, halves away from zero; 0 for an unreadable text.
long double DistanceFromText(QStringView text);
// Distance per day: kilometres with two decimals.
long double DistanceByDayFromText(QStringView text);
// Number of days: the nearest whole number, a tie going to the even one.
int32_t NumOfDaysFromText(QStringView text);
// Days times distance per day, whole kilometres, a tie going to the even number.
long double DistanceFromDays(int32_t days, long double distanceByDay);
// The text the annual-distance field receives for a distance computed from days.
QString DistanceText(long double distance);
