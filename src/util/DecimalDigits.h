// Exact decimal digits of extended-precision numbers, the base of every number text.
#pragma once

#include <limits>

// Distances, rates and amounts are 80-bit extended numbers; the digit generation below and
// every rounding of the program rely on the 64-bit significand of that format.
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the 80-bit extended format with a 64-bit significand");

struct TDecimalDigits
{
    bool Finite = true;
    bool Zero = false;
    bool Negative = false;
    // Significant digits, ASCII, the first one non-zero unless Zero.
    char Digits[24] = {};
    int Count = 0;
    // Decimal place of the first digit: the value is D0.D1D2... x 10^Exponent.
    int Exponent = 0;
};

// The first `count` (1 to 21) significant digits of x: the exact binary value rounded to
// `count` digits, to the nearest, a tie going to the even digit.
TDecimalDigits SignificantDigits(long double x, int count);

namespace detail {
// The same digits obtained from the C library's printf, for checking the fast path.
TDecimalDigits SignificantDigitsByPrintf(long double x, int count);
} // namespace detail
