// Number text and rounding in the French format.
#include "DecimalDigits.h"
#include "FrenchLocale.h"
#include "NumberText.h"
#include "SpokenText.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <random>

using namespace Qt::Literals::StringLiterals;

class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }

    void numberToText_data();
    void numberToText();
    void roundDecimals_data();
    void roundDecimals();
    void textToNumber_data();
    void textToNumber();
    void numberToShortText_data();
    void numberToShortText();
    void roundHalfEven_data();
    void roundHalfEven();
    void reverseText();
    void digitsMatchExactConversion();
    void digitsAtExactTies();
    void otherLocaleSeparators();
    void spokenNumbers_data();
    void spokenNumbers();
};

void TestNumberText::numberToText_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("grouped millions") << 1234567.891L << 2 << Fr(u"1 234 567,89"_s);
    QTest::newRow("markup rounding 0.6348") << 0.6348L << 3 << u"0,635"_s;
    QTest::newRow("negative rounding to zero has no sign") << -0.4L << 0 << u"0"_s;
    QTest::newRow("half goes up") << 2.5L << 0 << u"3"_s;
    QTest::newRow("odd half goes up") << 3.5L << 0 << u"4"_s;
    QTest::newRow("negative half goes away from zero") << -1234.5L << 0 << Fr(u"-1 235"_s);
    QTest::newRow("trailing zeros kept") << 5.0L << 2 << u"5,00"_s;
    QTest::newRow("1.005 rounds up through its digits") << 1.005L << 2 << u"1,01"_s;
    QTest::newRow("2.675 rounds up through its digits") << 2.675L << 2 << u"2,68"_s;
    QTest::newRow("carry across the thousands") << 999.9996L << 3 << Fr(u"1 000,000"_s);
    QTest::newRow("carry to a new digit") << 9.5L << 0 << u"10"_s;
    QTest::newRow("zero with decimals") << 0.0L << 3 << u"0,000"_s;
    QTest::newRow("below the last decimal") << 0.0004L << 3 << u"0,000"_s;
    QTest::newRow("half of the last decimal") << 0.0005L << 3 << u"0,001"_s;
    QTest::newRow("tiny negative") << -1e-30L << 2 << u"0,00"_s;
    QTest::newRow("a value just below a half is a half at 18 digits")
        << 0.4999999999999999999L << 0 << u"1"_s;
    QTest::newRow("5001 km in the second band") << 2645.3159999999999998L << 0 << Fr(u"2 645"_s);
    QTest::newRow("eighteen integer digits written out")
        << 123456789012345678.0L << 0 << Fr(u"123 456 789 012 345 678"_s);
    QTest::newRow("nineteen integer digits in exponent form") << 1e20L << 0 << u"1E+20"_s;
    QTest::newRow("exponent form keeps its digits") << 1.5e19L << 2 << u"1,5E+19"_s;
    QTest::newRow("eighteen decimals") << 0.125L << 18 << u"0,125000000000000000"_s;
    QTest::newRow("infinity writes zero")
        << std::numeric_limits<long double>::infinity() << 2 << u"0,00"_s;
    QTest::newRow("not a number writes zero")
        << std::numeric_limits<long double>::quiet_NaN() << 0 << u"0"_s;
}

void TestNumberText::numberToText()
{
    QFETCH(long double, value);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(NumberToText(value, decimals), expected);
}

void TestNumberText::roundDecimals_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<long double>("expected");

    QTest::newRow("1.005 to cents") << 1.005L << 2 << 1.01L;
    QTest::newRow("2.675 to cents") << 2.675L << 2 << 2.68L;
    QTest::newRow("electric markup 0.341 x 1.2") << 0.341L * 1.2L << 3 << 0.409L;
    QTest::newRow("electric markup 0.079 x 1.2") << 0.079L * 1.2L << 3 << 0.095L;
    QTest::newRow("fixed amount 711 x 1.2") << 711.0L * 1.2L << 3 << 853.2L;
    QTest::newRow("half a kilometre") << 1234.5L << 0 << 1235.0L;
    QTest::newRow("negative half") << -2.5L << 0 << -3.0L;
    QTest::newRow("large value through exponent form") << 1.5e19L << 0 << 1.5e19L;
    QTest::newRow("all eighteen digits kept") << 123456789012.345678L << 6 << 123456789012.345678L;
    QTest::newRow("more decimals than eighteen digits hold")
        << 1234567890123.4567L << 6 << 1234567890123.4567L;
    QTest::newRow("negative value rounding to zero reads back positive") << -0.0004L << 3 << 0.0L;
    QTest::newRow("carry past the kept digits") << 99999.9996L << 3 << 100000.0L;
}

void TestNumberText::roundDecimals()
{
    QFETCH(long double, value);
    QFETCH(int, decimals);
    QFETCH(long double, expected);
    QCOMPARE(RoundDecimals(value, decimals), expected);
    QCOMPARE(std::signbit(RoundDecimals(value, decimals)), std::signbit(expected));
    // The shortcut must agree with the text route it stands for.
    QCOMPARE(RoundDecimals(value, decimals), TextToNumber(NumberToText(value, decimals)));
}

void TestNumberText::textToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<long double>("expected");

    QTest::newRow("grouped with blanks around") << Fr(u"  1 234,5  "_s) << true << 1234.5L;
    QTest::newRow("exponent") << u"1e3"_s << true << 1000.0L;
    QTest::newRow("negative exponent") << u"1E-2"_s << true << 0.01L;
    QTest::newRow("signed exponent with fraction") << u"-2,5e+1"_s << true << -25.0L;
    QTest::newRow("lone separator") << u","_s << true << 0.0L;
    QTest::newRow("separator first") << u"-,5"_s << true << -0.5L;
    QTest::newRow("separator last") << u"5,"_s << true << 5.0L;
    QTest::newRow("plus sign") << u"+7"_s << true << 7.0L;
    QTest::newRow("control characters trimmed") << u"\t12\n"_s << true << 12.0L;
    QTest::newRow("leading zeros") << u"0012,50"_s << true << 12.5L;
    QTest::newRow("separator anywhere is dropped") << Fr(u"1 2 3"_s) << true << 123.0L;
    QTest::newRow("underflow reads as zero") << u"1e-5000"_s << true << 0.0L;
    QTest::newRow("minus zero") << u"-0"_s << true << -0.0L;
    QTest::newRow("nineteen significant digits")
        << u"1234567890123456789"_s << true << 1234567890123456789.0L;
    QTest::newRow("twenty significant digits")
        << u"12345678901234567891"_s << true << 12345678901234567891.0L;
    QTest::newRow("twenty-eight decimals") << u"0,0000000000000000000000000001"_s << true << 1e-28L;
    QTest::newRow("twenty decimals after leading zeros")
        << u"0,00000000000000000001"_s << true << 1e-20L;
    QTest::newRow("lone minus") << u"-"_s << false << 0.0L;
    QTest::newRow("trailing letters") << u"12abc"_s << false << 0.0L;
    QTest::newRow("point instead of comma") << u"1.5"_s << false << 0.0L;
    QTest::newRow("empty") << QString() << false << 0.0L;
    QTest::newRow("blanks only") << u"   "_s << false << 0.0L;
    QTest::newRow("two separators") << u"1,2,3"_s << false << 0.0L;
    QTest::newRow("exponent without digits") << u"1e"_s << false << 0.0L;
    QTest::newRow("exponent sign without digits") << u"1e+"_s << false << 0.0L;
    QTest::newRow("blank after the sign") << u"- 5"_s << false << 0.0L;
    QTest::newRow("plain spaces are not thousands") << u"1 000"_s << false << 0.0L;
    QTest::newRow("too large for the format") << u"1e5000"_s << false << 0.0L;
    QTest::newRow("hexadecimal") << u"0x10"_s << false << 0.0L;
    QTest::newRow("infinity word") << u"inf"_s << false << 0.0L;
    QTest::newRow("other digits") << u"\u0661\u0662"_s << false << 0.0L;
}

void TestNumberText::textToNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(long double, expected);
    long double value = -1;
    QCOMPARE(TryTextToNumber(text, value), isNumber);
    if (isNumber)
        QCOMPARE(value, expected);
    QCOMPARE(TextToNumber(text), expected);
    QCOMPARE(std::signbit(TextToNumber(text)), std::signbit(expected));
}

void TestNumberText::numberToShortText_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("fixed amount grouped") << 1065.0L << Fr(u"1 065"_s);
    QTest::newRow("zero") << 0.0L << u"0"_s;
    QTest::newRow("rate") << 0.529L << u"0,529"_s;
    QTest::newRow("one decimal") << 12.5L << u"12,5"_s;
    QTest::newRow("integer zeros stay") << 100.0L << u"100"_s;
    QTest::newRow("fifteen decimals at most") << 1.0L / 3 << u"0,333333333333333"_s;
    QTest::newRow("fifteen significant digits at most")
        << 123456.123456789123L << Fr(u"123 456,123456789"_s);
    QTest::newRow("binary noise removed") << (0.1L + 0.2L) << u"0,3"_s;
    QTest::newRow("negative") << -2.5L << u"-2,5"_s;
    QTest::newRow("sixteen integer digits in exponent form") << 1e16L << u"1E+16"_s;
    // The zeros of the exponent are not decimals: 10^20 must not become 10^2.
    QTest::newRow("exponent ending in zero") << 1e20L << u"1E+20"_s;
    QTest::newRow("exponent form with decimals") << 1.5e20L << u"1,5E+20"_s;
}

void TestNumberText::numberToShortText()
{
    QFETCH(long double, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberToShortText(value), expected);
    // What the report prints reads back as the same short text.
    QCOMPARE(NormalizeNumberText(NumberToShortText(value)), expected);
}

void TestNumberText::roundHalfEven_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("2.5 to even 2") << 2.5L << qint64(2);
    QTest::newRow("3.5 to even 4") << 3.5L << qint64(4);
    QTest::newRow("-2.5 to even -2") << -2.5L << qint64(-2);
    QTest::newRow("-0.5 to zero") << -0.5L << qint64(0);
    QTest::newRow("52.5 days x km to 52") << 52.5L << qint64(52);
    QTest::newRow("73.5 days x km to 74") << 73.5L << qint64(74);
    QTest::newRow("just above a half") << 157.50000000000000001L << qint64(158);
    QTest::newRow("0.063 x 2500 lies below the half") << 0.063L * 2500 << qint64(157);
    QTest::newRow("beyond 64 bits saturates") << 1e30L << std::numeric_limits<qint64>::max();
    QTest::newRow("below 64 bits saturates") << -1e30L << std::numeric_limits<qint64>::min();
    QTest::newRow("not a number") << std::numeric_limits<long double>::quiet_NaN() << qint64(0);
}

void TestNumberText::roundHalfEven()
{
    QFETCH(long double, value);
    QFETCH(qint64, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

void TestNumberText::reverseText()
{
    QCOMPARE(ReverseText(u"abc"_s), u"cba"_s);
    QCOMPARE(ReverseText(QString()), QString());
    // A character outside the basic plane keeps its two halves in order.
    const QString reversed = ReverseText(u"a\U0001F697b"_s);
    QCOMPARE(reversed, u"b\U0001F697a"_s);
}

// The fast digit generation agrees with the C library's exact conversion everywhere the
// program's numbers live, and around them.
void TestNumberText::digitsMatchExactConversion()
{
    std::mt19937_64 random(20230327);
    std::uniform_int_distribution<int> binaryExponent(-90, 90);
    std::uniform_int_distribution<long long> thousandths(0, 100'000'000'000LL);
    for (int i = 0; i < 200'000; ++i) {
        long double x;
        if (i % 2 == 0) {
            const unsigned long long mantissa = random() | (1ULL << 63);
            x = std::ldexp(static_cast<long double>(mantissa), binaryExponent(random) - 63);
        } else {
            // Decimal values like the rates, fixed amounts and distances of the scales.
            x = static_cast<long double>(thousandths(random)) / 1000;
            if (i % 3 == 0)
                x *= 1.2L;
        }
        for (int digits : {15, 18, 20}) {
            const TDecimalDigits fast = SignificantDigits(x, digits);
            const TDecimalDigits exact = detail::SignificantDigitsByPrintf(x, digits);
            const QByteArray a(fast.Digits, fast.Count);
            const QByteArray b(exact.Digits, exact.Count);
            if (a != b || fast.Exponent != exact.Exponent)
                QFAIL(qPrintable(u"%1 digits of %2: %3e%4 instead of %5e%6"_s.arg(digits)
                                     .arg(double(x), 0, 'g', 21)
                                     .arg(QString::fromLatin1(a))
                                     .arg(fast.Exponent)
                                     .arg(QString::fromLatin1(b))
                                     .arg(exact.Exponent)));
        }
    }
}

void TestNumberText::digitsAtExactTies()
{
    // 10^18 + 5 and 10^18 + 15 are exact binary values lying on an 18-digit tie.
    TDecimalDigits d = SignificantDigits(1000000000000000005.0L, 18);
    QCOMPARE(QByteArray(d.Digits, d.Count), QByteArray("100000000000000000"));
    QCOMPARE(d.Exponent, 18);
    d = SignificantDigits(1000000000000000015.0L, 18);
    QCOMPARE(QByteArray(d.Digits, d.Count), QByteArray("100000000000000002"));
    // The largest 64-bit integer, far beyond the digits kept.
    d = SignificantDigits(18446744073709551615.0L, 18);
    QCOMPARE(QByteArray(d.Digits, d.Count), QByteArray("184467440737095516"));
    QCOMPARE(d.Exponent, 19);
    d = SignificantDigits(-0.0L, 18);
    QVERIFY(d.Zero);
}

void TestNumberText::otherLocaleSeparators()
{
    const auto restore = qScopeGuard([] { PinFrenchLocale(); });
    InitNumberFormats(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(NumberToText(1234567.891L, 2), u"1,234,567.89"_s);
    QCOMPARE(TextToNumber(u"1,234.5"_s), 1234.5L);
    QCOMPARE(NormalizeNumberText(u"0012.50"_s), u"12.5"_s);
    InitNumberFormats(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(NumberToText(1234567.891L, 2), u"1.234.567,89"_s);
    QCOMPARE(TextToNumber(u"1.234,5"_s), 1234.5L);
}

// French voices read "4 857" with a no-break or narrow space as two numbers: screen readers get
// each number whole, and the words around it untouched.
void TestNumberText::spokenNumbers_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("spoken");

    QTest::newRow("amount grouped with a narrow space") << u"4\u202F857 euros"_s << u"4857 euros"_s;
    QTest::newRow("millions with both no-break spaces")
        << u"1\u202F234\u00A0567 km"_s << u"1234567 km"_s;
    QTest::newRow("negative amount with the minus sign")
        << u"\u22121\u202F234,50\u00A0€"_s << u"\u22121234,50\u00A0€"_s;
    QTest::newRow("negative amount with a hyphen") << u"-5\u00A0000"_s << u"-5000"_s;
    QTest::newRow("several numbers in one sentence")
        << u"Revenu : 30\u202F000,00 \u2212 5\u202F402 = 24\u202F598 €"_s
        << u"Revenu : 30000,00 \u2212 5402 = 24598 €"_s;
    QTest::newRow("number at the start") << u"12\u202F000 km par an"_s << u"12000 km par an"_s;
    QTest::newRow("number at the end") << u"Distance : 12\u00A0000"_s << u"Distance : 12000"_s;
    QTest::newRow("typed with a plain space") << u"12 000 km"_s << u"12000 km"_s;
    QTest::newRow("date") << u"Arrêté du 27 mars 2023"_s << u"Arrêté du 27 mars 2023"_s;
    QTest::newRow("fiscal power") << u"3 CV et moins"_s << u"3 CV et moins"_s;
    QTest::newRow("no-break spaces beside signs")
        << u"électriques\u00A0: +\u00A020\u00A0% soit 5,45\u00A0€"_s
        << u"électriques\u00A0: +\u00A020\u00A0% soit 5,45\u00A0€"_s;
    QTest::newRow("two years side by side") << u"revenus 2024 2025"_s << u"revenus 2024 2025"_s;
    QTest::newRow("two numbers of two digits") << u"de 12 34 km"_s << u"de 12 34 km"_s;
    QTest::newRow("a count before a word")
        << u"100 repas, 218 jours"_s << u"100 repas, 218 jours"_s;
}

void TestNumberText::spokenNumbers()
{
    QFETCH(QString, shown);
    QFETCH(QString, spoken);
    QCOMPARE(SpokenNumbers(shown), spoken);
    QCOMPARE(TSpokenText(shown, false).Text(), shown);

    // Each spoken character is the shown one it comes from, so a caret keeps its place; a blank
    // left out goes with the digit after it.
    const TSpokenText text(shown);
    for (int s = 0; s < spoken.size(); ++s) {
        QCOMPARE(shown.at(text.ToShown(s)), spoken.at(s));
        QCOMPARE(text.FromShown(text.ToShown(s)), s);
    }
    for (int i = 0; i < shown.size(); ++i) {
        const int back = text.ToShown(text.FromShown(i));
        QVERIFY2(back == i || (back == i + 1 && shown.at(i).isSpace()), qPrintable(shown));
    }
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
