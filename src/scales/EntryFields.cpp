// How the six numeric entry fields of the calculator pages are read.
#include "EntryFields.h"

#include "NumberText.h"

#include <limits>

long double DistanceFromText(QStringView text)
{
    return RoundDecimals(TextToNumber(text), 0);
}

long double DistanceByDayFromText(QStringView text)
{
    return RoundCents(TextToNumber(text));
}

int32_t NumOfDaysFromText(QStringView text)
{
    // A day count beyond the 32-bit range cannot be meant: it stops at the range's end.
    const int64_t days = RoundHalfEven(TextToNumber(text));
    if (days > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (days < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(days);
}

long double DistanceFromDays(int32_t days, long double distanceByDay)
{
    return static_cast<long double>(RoundHalfEven(static_cast<long double>(days) * distanceByDay));
}

QString DistanceText(long double distance)
{
    return NumberToText(distance, 0);
}
