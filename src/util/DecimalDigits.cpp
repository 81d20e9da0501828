// Exact decimal digits of extended-precision numbers.
#include "DecimalDigits.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

__extension__ typedef unsigned __int128 u128;

constexpr int MaxPow5 = 27; // 5^27 still fits in 64 bits

constexpr u128 pow10u(int n)
{
    u128 r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

constexpr uint64_t pow5u(int n)
{
    uint64_t r = 1;
    for (int i = 0; i < n; ++i)
        r *= 5;
    return r;
}

struct TPowers
{
    u128 Ten[39];
    uint64_t Five[MaxPow5 + 1];
    constexpr TPowers()
        : Ten()
        , Five()
    {
        for (int i = 0; i < 39; ++i)
            Ten[i] = pow10u(i);
        for (int i = 0; i <= MaxPow5; ++i)
            Five[i] = pow5u(i);
    }
};
constexpr TPowers Powers;

// floor(b * log10(2)) for the small exponents the fast path handles.
int floorLog10Pow2(int b)
{
    const long long v = static_cast<long long>(b) * 78913;
    return static_cast<int>(v >= 0 ? v >> 18 : -((-v + (1 << 18) - 1) >> 18));
}

// floor(m * 2^e2 * 10^p) as quotient and remainder of N / D; false when it does not fit.
bool scaledQuotient(uint64_t m, int e2, int p, u128 &q, u128 &r, u128 &d)
{
    u128 n;
    if (p >= 0) {
        if (p > MaxPow5)
            return false;
        n = static_cast<u128>(m) * Powers.Five[p];
        const int t = e2 + p; // the power of two left after 10^p = 5^p * 2^p
        if (t >= 0) {
            if (t > 0 && (t >= 128 || (n >> (128 - t)) != 0))
                return false;
            q = n << t;
            r = 0;
            d = 1;
            return true;
        }
        const int s = -t;
        if (s >= 127)
            return false;
        d = static_cast<u128>(1) << s;
        q = n >> s;
        r = n & (d - 1);
        return true;
    }
    const int pp = -p;
    if (pp > 38)
        return false;
    d = Powers.Ten[pp];
    n = m;
    if (e2 >= 0) {
        if (e2 >= 64)
            return false;
        n <<= e2;
    } else {
        const int s = -e2;
        if (s >= 127 || (d >> (127 - s)) != 0)
            return false;
        d <<= s;
    }
    q = n / d;
    r = n % d;
    return true;
}

// The nine decimal digits of v (below 10^9), leading zeros included.
void writeNineDigits(char *out, uint32_t v)
{
    static constexpr char Pairs[] = "00010203040506070809101112131415161718192021222324252627282930"
                                    "31323334353637383940414243444546474849505152535455565758596061"
                                    "62636465666768697071727374757677787980818283848586878889909192"
                                    "93949596979899";
    for (int i = 7; i >= 1; i -= 2) {
        std::memcpy(out + i, Pairs + 2 * (v % 100), 2);
        v /= 100;
    }
    out[0] = static_cast<char>('0' + v);
}

bool fastDigits(long double ax, int count, TDecimalDigits &out)
{
    uint64_t m;
    uint16_t se;
    std::memcpy(&m, &ax, sizeof m);
    std::memcpy(&se, reinterpret_cast<const char *>(&ax) + 8, sizeof se);
    const int biased = se & 0x7fff;
    if (biased == 0 || (m >> 63) == 0)
        return false;             // subnormal: left to printf
    const int b = biased - 16383; // ax lies in [2^b, 2^(b+1))
    const int e2 = b - 63;        // ax = m * 2^e2
    int k = floorLog10Pow2(b);    // floor(log10(ax)) is k or k + 1

    u128 q, r, d;
    if (!scaledQuotient(m, e2, count - 1 - k, q, r, d))
        return false;
    if (q >= Powers.Ten[count]) {
        ++k;
        if (!scaledQuotient(m, e2, count - 1 - k, q, r, d))
            return false;
    }
    if (q < Powers.Ten[count - 1] || q >= Powers.Ten[count])
        return false;
    const u128 rest = d - r; // distance to the next multiple
    if (r > rest || (r == rest && (q & 1) != 0))
        ++q;
    if (q == Powers.Ten[count]) {
        q = Powers.Ten[count - 1];
        ++k;
    }
    // At most 21 digits, written as three groups of nine: one 128-bit division at most, then
    // 32-bit arithmetic two digits at a time.
    const uint64_t high = q < Powers.Ten[18] ? 0 : static_cast<uint64_t>(q / Powers.Ten[18]);
    const auto low = static_cast<uint64_t>(q - static_cast<u128>(high) * Powers.Ten[18]);
    char all[27];
    if (count > 18)
        writeNineDigits(all, static_cast<uint32_t>(high));
    writeNineDigits(all + 9, static_cast<uint32_t>(low / 1000000000));
    writeNineDigits(all + 18, static_cast<uint32_t>(low % 1000000000));
    std::memcpy(out.Digits, all + 27 - count, static_cast<size_t>(count));
    out.Count = count;
    out.Exponent = k;
    return true;
}

} // namespace

namespace detail {

TDecimalDigits SignificantDigitsByPrintf(long double x, int count)
{
    TDecimalDigits out;
    if (!std::isfinite(x)) {
        out.Finite = false;
        return out;
    }
    out.Negative = std::signbit(x);
    if (x == 0) {
        out.Zero = true;
        out.Count = count;
        std::memset(out.Digits, '0', static_cast<size_t>(count));
        return out;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", count - 1, std::fabs(x));
    // "d.ddde+XX", whatever the decimal point of the C locale is.
    int n = 0;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9' && n < count)
            out.Digits[n++] = *p;
    }
    out.Count = n;
    out.Exponent = *p == 'e' ? static_cast<int>(std::strtol(p + 1, nullptr, 10)) : 0;
    return out;
}

} // namespace detail

TDecimalDigits SignificantDigits(long double x, int count)
{
    if (count < 1)
        count = 1;
    if (count > 21)
        count = 21;
    // One object returned from every path, built in the caller's place.
    TDecimalDigits out;
    if (std::isfinite(x) && x != 0) {
        out.Negative = std::signbit(x);
        if (fastDigits(std::fabs(x), count, out))
            return out;
    }
    out = detail::SignificantDigitsByPrintf(x, count);
    return out;
}
