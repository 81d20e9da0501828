// The rules of the numeric entry fields, in the French format.
#include "FrenchLocale.h"
#include "NumberEditRules.h"

#include <QTest>

#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QChar Backspace(u'\u0008');
constexpr QChar Enter(u'\u000D');

// "<none>" for a swallowed character, else the character's code: readable in a failure message.
QString describeChar(QChar c)
{
    if (c.isNull())
        return u"<none>"_s;
    return u"U+%1 '%2'"_s.arg(int(c.unicode()), 4, 16, QChar(u'0'))
        .arg(c.isPrint() ? QString(c) : QString());
}

} // namespace

class TestNumberEditRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }

    void filterNumberChar_data();
    void filterNumberChar();
    void filterIntegerChar_data();
    void filterIntegerChar();
    void sanitize_data();
    void sanitize();
    void sanitizeProperties();
    void reformat_data();
    void reformat();
    void numberToTextUpTo_data();
    void numberToTextUpTo();
    void daysInYear_data();
    void daysInYear();
    void capDayCount_data();
    void capDayCount();
};

void TestNumberEditRules::filterNumberChar_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QChar>("result");

    QTest::newRow("digit passes") << QChar(u'7') << u"12"_s << QString() << QChar(u'7');
    QTest::newRow("zero passes") << QChar(u'0') << QString() << QString() << QChar(u'0');
    QTest::newRow("digit after the separator")
        << QChar(u'5') << u"12,"_s << QString() << QChar(u'5');
    QTest::newRow("point becomes comma") << QChar(u'.') << u"12"_s << QString() << QChar(u',');
    QTest::newRow("comma passes") << QChar(u',') << u"12"_s << QString() << QChar(u',');
    QTest::newRow("second comma refused") << QChar(u',') << u"12,5"_s << QString() << QChar();
    QTest::newRow("second point refused") << QChar(u'.') << u"12,5"_s << QString() << QChar();
    QTest::newRow("comma replacing the selected one")
        << QChar(u',') << u"12,5"_s << u",5"_s << QChar(u',');
    QTest::newRow("point replacing the selected one")
        << QChar(u'.') << u"12,5"_s << u"2,"_s << QChar(u',');
    QTest::newRow("comma with a selection lacking it")
        << QChar(u',') << u"12,5"_s << u"12"_s << QChar();
    QTest::newRow("minus refused") << QChar(u'-') << QString() << QString() << QChar();
    QTest::newRow("plus refused") << QChar(u'+') << QString() << QString() << QChar();
    QTest::newRow("letter refused") << QChar(u'a') << u"12"_s << QString() << QChar();
    QTest::newRow("exponent letter refused") << QChar(u'E') << u"12"_s << QString() << QChar();
    QTest::newRow("blank refused") << QChar(u' ') << u"12"_s << QString() << QChar();
    QTest::newRow("thousands separator refused")
        << QChar(FrenchThousands) << u"12"_s << QString() << QChar();
    QTest::newRow("Arabic-Indic digit refused")
        << QChar(u'\u0661') << QString() << QString() << QChar();
    QTest::newRow("Ctrl+V refused") << QChar(u'\u0016') << u"12"_s << QString() << QChar();
    QTest::newRow("Ctrl+C refused") << QChar(u'\u0003') << u"12"_s << QString() << QChar();
    QTest::newRow("tab refused") << QChar(u'\t') << u"12"_s << QString() << QChar();
    QTest::newRow("backspace passes") << Backspace << u"12,5"_s << QString() << Backspace;
    QTest::newRow("enter passes") << Enter << u"12,5"_s << QString() << Enter;
}

void TestNumberEditRules::filterNumberChar()
{
    QFETCH(QChar, key);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    QFETCH(QChar, result);
    QCOMPARE(describeChar(FilterNumberChar(key, text, selected)), describeChar(result));
}

void TestNumberEditRules::filterIntegerChar_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("result");

    QTest::newRow("digit passes") << QChar(u'3') << u"36"_s << QChar(u'3');
    QTest::newRow("point refused") << QChar(u'.') << u"36"_s << QChar();
    QTest::newRow("comma refused") << QChar(u',') << u"36"_s << QChar();
    QTest::newRow("point refused in an empty field") << QChar(u'.') << QString() << QChar();
    QTest::newRow("minus refused") << QChar(u'-') << QString() << QChar();
    QTest::newRow("letter refused") << QChar(u'x') << u"36"_s << QChar();
    QTest::newRow("blank refused") << QChar(u' ') << u"36"_s << QChar();
    QTest::newRow("backspace passes") << Backspace << u"36"_s << Backspace;
    QTest::newRow("enter passes") << Enter << u"36"_s << Enter;
}

void TestNumberEditRules::filterIntegerChar()
{
    QFETCH(QChar, key);
    QFETCH(QString, text);
    QFETCH(QChar, result);
    // The whole text selected, as when the field has just been entered.
    QCOMPARE(describeChar(FilterIntegerChar(key, text, text)), describeChar(result));
}

void TestNumberEditRules::sanitize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedCaret");

    // Every digit stays: only the inner minus sign and the second separator go.
    QTest::newRow("pasted a1-2.5,3") << u"a1-2.5,3"_s << 8 << u"12,53"_s << 5;
    QTest::newRow("pasted -5 keeps its minus") << u"-5"_s << 2 << u"-5"_s << 2;
    QTest::newRow("pasted 5- loses its minus") << u"5-"_s << 2 << u"5"_s << 1;
    QTest::newRow("minus inside dropped") << u"1-2"_s << 1 << u"12"_s << 1;
    QTest::newRow("second minus dropped") << u"--5"_s << 3 << u"-5"_s << 2;
    QTest::newRow("minus after a dropped letter is in first place")
        << u"x-5"_s << 3 << u"-5"_s << 2;
    QTest::newRow("point becomes comma") << u"12.5"_s << 4 << u"12,5"_s << 4;
    QTest::newRow("second comma dropped") << u"1,2,3"_s << 5 << u"1,23"_s << 4;
    QTest::newRow("comma after a point dropped") << u"1.2,3"_s << 5 << u"1,23"_s << 4;
    QTest::newRow("blanks at both ends trimmed") << u"  12,5 "_s << 3 << u"12,5"_s << 3;
    QTest::newRow("tab and newline at the ends trimmed") << u"\t12\n"_s << 0 << u"12"_s << 0;
    QTest::newRow("inner blank kept") << u"1 234"_s << 5 << u"1 234"_s << 5;
    QTest::newRow("thousands separator kept") << Fr(u"1 234,5"_s) << 7 << Fr(u"1 234,5"_s) << 7;
    QTest::newRow("inner tab dropped") << u"1\t2"_s << 3 << u"12"_s << 2;
    QTest::newRow("letters dropped") << u"1a2b"_s << 2 << u"12"_s << 2;
    QTest::newRow("blank left at the end trimmed") << u"12 x"_s << 4 << u"12"_s << 2;
    QTest::newRow("Arabic-Indic digit dropped") << u"1\u06612"_s << 1 << u"12"_s << 1;
    QTest::newRow("caret kept within the shorter text") << u"12abc"_s << 1 << u"12"_s << 1;
    QTest::newRow("caret at the end of the shorter text") << u"12abc"_s << 5 << u"12"_s << 2;
    QTest::newRow("only letters give an empty text") << u"abc"_s << 3 << QString() << 0;
    QTest::newRow("empty text") << QString() << 0 << QString() << 0;
    QTest::newRow("clean text unchanged") << u"12,5"_s << 2 << u"12,5"_s << 2;
}

void TestNumberEditRules::sanitize()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, expected);
    QFETCH(int, expectedCaret);

    const TEditText result = SanitizeNumberText(text, caret);
    QCOMPARE(result.Text, expected);
    QCOMPARE(result.Caret, expectedCaret);
}

// Many random texts from the characters that matter: cleaning twice changes nothing more, and
// what remains is a possible number being typed.
void TestNumberEditRules::sanitizeProperties()
{
    const QString alphabet = u"0123456789-., \u202Fab\t\u0661"_s;
    const QString allowed = u"0123456789, \u202F-"_s;
    std::mt19937 generator(20230410u);
    std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);

    for (int round = 0; round < 5000; ++round) {
        QString text;
        const int size = length(generator);
        for (int i = 0; i < size; ++i)
            text += alphabet[pick(generator)];
        const int caret = std::uniform_int_distribution<int>(0, size + 2)(generator);

        const TEditText once = SanitizeNumberText(text, caret);
        const TEditText twice = SanitizeNumberText(once.Text, once.Caret);
        const QByteArray context = text.toUtf8().toPercentEncoding();
        QVERIFY2(twice.Text == once.Text, context.constData());
        QVERIFY2(twice.Caret == once.Caret, context.constData());
        QVERIFY2(once.Caret >= 0 && once.Caret <= once.Text.size(), context.constData());
        QVERIFY2(once.Text.count(u',') <= 1, context.constData());
        QVERIFY2(once.Text.lastIndexOf(u'-') <= 0, context.constData());
        for (const QChar c : once.Text)
            QVERIFY2(allowed.contains(c), context.constData());
        QVERIFY2(once.Text.isEmpty() || (once.Text.front() > u' ' && once.Text.back() > u' '),
                 context.constData());
    }
}

void TestNumberEditRules::reformat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one decimal stays") << u"12,5"_s << u"12,5"_s;
    QTest::newRow("12,4 stays") << u"12,4"_s << u"12,4"_s;
    QTest::newRow("third decimal rounds half up") << u"12,345"_s << u"12,35"_s;
    QTest::newRow("third decimal rounds down") << u"12,344"_s << u"12,34"_s;
    QTest::newRow("rounding carries into the units") << u"9,999"_s << u"10"_s;
    QTest::newRow("trailing zero dropped") << u"12,50"_s << u"12,5"_s;
    QTest::newRow("zero decimals dropped with the comma") << u"12,00"_s << u"12"_s;
    QTest::newRow("whole number unchanged") << u"40"_s << u"40"_s;
    QTest::newRow("zeros of a whole number kept") << u"100"_s << u"100"_s;
    QTest::newRow("thousands grouped") << u"1234,5"_s << Fr(u"1 234,5"_s);
    QTest::newRow("grouped text read back") << Fr(u"1 234,5"_s) << Fr(u"1 234,5"_s);
    QTest::newRow("millions grouped") << u"1234567"_s << Fr(u"1 234 567"_s);
    QTest::newRow("tiny value rounds to 0") << u"0,004"_s << u"0"_s;
    QTest::newRow("lone minus reads 0") << u"-"_s << u"0"_s;
    QTest::newRow("lone comma reads 0") << u","_s << u"0"_s;
    QTest::newRow("letters read 0") << u"abc"_s << u"0"_s;
    QTest::newRow("empty stays empty") << QString() << QString();
}

void TestNumberEditRules::reformat()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ReformatNumberText(text), expected);
}

void TestNumberEditRules::numberToTextUpTo_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("trailing zero of the decimals dropped") << 12.5L << 2 << u"12,5"_s;
    QTest::newRow("separator dropped with the decimals") << 12.0L << 2 << u"12"_s;
    QTest::newRow("zeros of the integer part kept") << 100.0L << 2 << u"100"_s;
    QTest::newRow("rounded decimal kept") << 10.05L << 1 << u"10,1"_s;
    QTest::newRow("grouped and rounded") << 1234.567L << 2 << Fr(u"1 234,57"_s);
    QTest::newRow("grouped thousands without decimals") << 1000.0L << 2 << Fr(u"1 000"_s);
    QTest::newRow("no decimals asked rounds half away") << 12.5L << 0 << u"13"_s;
    QTest::newRow("zero") << 0.0L << 3 << u"0"_s;
    QTest::newRow("negative") << -2.50L << 2 << u"-2,5"_s;
    QTest::newRow("exponent form left whole") << 1e20L << 2 << u"1E+20"_s;
}

void TestNumberEditRules::numberToTextUpTo()
{
    QFETCH(long double, value);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(NumberToTextUpTo(value, decimals), expected);
}

void TestNumberEditRules::daysInYear_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");

    QTest::newRow("2020 leap") << 2020 << 366;
    QTest::newRow("2021 common") << 2021 << 365;
    QTest::newRow("2024 leap") << 2024 << 366;
    QTest::newRow("1900 century not leap") << 1900 << 365;
    QTest::newRow("2000 fourth century leap") << 2000 << 366;
    QTest::newRow("2100 century not leap") << 2100 << 365;
}

void TestNumberEditRules::daysInYear()
{
    QFETCH(int, year);
    QFETCH(int, days);
    QCOMPARE(DaysInYear(year), days);
}

void TestNumberEditRules::capDayCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("expected");

    QTest::newRow("400 in leap 2020") << u"400"_s << 2020 << u"366"_s;
    QTest::newRow("400 in common 2021") << u"400"_s << 2021 << u"365"_s;
    QTest::newRow("366 in common 2021") << u"366"_s << 2021 << u"365"_s;
    QTest::newRow("366 in leap 2020 stays") << u"366"_s << 2020 << u"366"_s;
    QTest::newRow("365 in common 2021 stays") << u"365"_s << 2021 << u"365"_s;
    QTest::newRow("999 in 2000") << u"999"_s << 2000 << u"366"_s;
    QTest::newRow("300 stays") << u"300"_s << 2021 << u"300"_s;
    QTest::newRow("leading zeros within the year stay") << u"007"_s << 2021 << u"007"_s;
    QTest::newRow("0 stays") << u"0"_s << 2021 << u"0"_s;
    QTest::newRow("empty stays") << QString() << 2021 << QString();
    QTest::newRow("letters stay") << u"abc"_s << 2021 << u"abc"_s;
    QTest::newRow("decimal number stays") << u"400,5"_s << 2021 << u"400,5"_s;
}

void TestNumberEditRules::capDayCount()
{
    QFETCH(QString, text);
    QFETCH(int, year);
    QFETCH(QString, expected);
    QCOMPARE(CapDayCountText(text, year), expected);
}

QTEST_APPLESS_MAIN(TestNumberEditRules)
#include "tst_numbereditrules.moc"
