// Every figure of the published scales, as the publications write them (published-figures.txt),
// against the amounts computed by the engine: each band of each class of each year, on its
// limits and inside it, and each worked example the publications give.
#include "FrenchLocale.h"
#include "FuelScale.h"
#include "KmScale.h"
#include "NumberText.h"
#include "RealCosts.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TBand
{
    long double Rate = 0;
    long double Fixed = 0;
};

struct TSection
{
    QString Scale; // "kilométrique", "kilométrique électrique" or "carburant"
    int First = 0;
    int Last = 0;
    int Publications = 0;
    int Confirmations = 0;
    QMap<QString, QList<long double>> Limits;  // by group: "automobiles" {5000, 20000}
    QMap<QString, QList<TBand>> Classes;       // by label: the bands, or the fuels, in order
    QMap<QString, QList<long double>> Figures; // actual costs: by name, 0 where none is given
    QStringList Examples;
};

// The mileage classes of the publications: the engine's kind and its powers.
struct TKmClass
{
    const char16_t *Label;
    TVehicleKind Kind;
    int FirstPower;
    int LastPower;
};

constexpr TKmClass KmClasses[] = {
    {u"automobile 3 CV et moins", vkThermalCar, 0, 0},
    {u"automobile 4 CV", vkThermalCar, 1, 1},
    {u"automobile 5 CV", vkThermalCar, 2, 2},
    {u"automobile 6 CV", vkThermalCar, 3, 3},
    {u"automobile 7 CV et plus", vkThermalCar, 4, 10},
    {u"motocyclette 1 ou 2 CV", vkThermalMotorcycle, 0, 0},
    {u"motocyclette 3 à 5 CV", vkThermalMotorcycle, 1, 1},
    {u"motocyclette plus de 5 CV", vkThermalMotorcycle, 2, 2},
    {u"cyclomoteur", vkThermalMoped, -1, -1},
};

// The fuel classes in the order of the fuel scale's rows.
const QStringList FuelClasses{
    u"automobile 3 et 4 CV"_s,       u"automobile 5 à 7 CV"_s,      u"automobile 8 et 9 CV"_s,
    u"automobile 10 et 11 CV"_s,     u"automobile 12 CV et plus"_s, u"deux-roues moins de 50 cm3"_s,
    u"deux-roues de 50 à 125 cm3"_s, u"deux-roues 3, 4 et 5 CV"_s,  u"deux-roues plus de 5 CV"_s,
};

const QStringList Fuels{u"gazole"_s, u"super sans plomb"_s, u"GPL"_s};

const QRegularExpression Blanks(u"[\\s\\x{202F}]"_s);

// A published number: a decimal comma, blanks between thousands; the nearest long double.
bool readNumber(QString text, long double &value)
{
    static const QRegularExpression number(u"^(\\d+)(?:,(\\d+))?$"_s);
    const QRegularExpressionMatch m = number.match(text.remove(Blanks));
    if (!m.hasMatch())
        return false;
    long double scale = 1;
    for (qsizetype i = 0; i < m.captured(2).size(); ++i)
        scale *= 10;
    value = (m.captured(1) + m.captured(2)).toULongLong() / scale;
    return true;
}

// "d x 0,41", "(d x 0,245) + 824", "0,3 x d + 1 007", "d × 0,102", "gazole d x 0,102".
bool readBand(QString text, TBand &band)
{
    for (const QString &fuel : Fuels) {
        if (text.trimmed().startsWith(fuel))
            text = text.trimmed().mid(fuel.size());
    }
    text.remove(Blanks).replace(u'×', u'x');
    static const QRegularExpression formula(
        u"^\\(?(?:dx([\\d,]+)|([\\d,]+)xd)\\)?(?:\\+([\\d,]+))?$"_s);
    const QRegularExpressionMatch m = formula.match(text);
    band = {};
    return m.hasMatch() && readNumber(m.captured(1) + m.captured(2), band.Rate) &&
           (m.captured(3).isEmpty() || readNumber(m.captured(3), band.Fixed));
}

QString groupOf(const QString &label)
{
    return label.startsWith(u"automobile"_s)     ? u"automobiles"_s
           : label.startsWith(u"motocyclette"_s) ? u"motocyclettes"_s
                                                 : u"cyclomoteurs"_s;
}

QList<TSection> readSections(QString &fault)
{
    QFile file(QStringLiteral(PUBLISHED_FIGURES));
    if (!file.open(QIODevice::ReadOnly)) {
        fault = file.errorString();
        return {};
    }
    static const QRegularExpression header(u"^\\[(.+) (\\d{4})(?:-(\\d{4}))?\\]$"_s);
    QList<TSection> sections;
    int lineNo = 0;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QRegularExpressionMatch h = header.match(line);
        if (h.hasMatch()) {
            TSection &s = sections.emplace_back();
            s.Scale = h.captured(1);
            s.First = s.Last = h.captured(2).toInt();
            if (!h.captured(3).isEmpty())
                s.Last = h.captured(3).toInt();
            continue;
        }
        const qsizetype colon = line.indexOf(u" : "_s);
        if (sections.isEmpty() || colon <= 0) {
            fault = u"line %1 unread: %2"_s.arg(lineNo).arg(line);
            return {};
        }
        TSection &s = sections.last();
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 3);
        bool ok = true;
        if (key == u"publication"_s) {
            ++s.Publications;
        } else if (key == u"confirmé par"_s) {
            ++s.Confirmations;
        } else if (key == u"exemple"_s) {
            s.Examples << value;
        } else if (s.Scale == u"frais réels"_s) {
            for (const QString &v : value.split(u'|'))
                ok = ok && (v.trimmed().isEmpty() ? (s.Figures[key] << 0, true)
                                                  : readNumber(v, s.Figures[key].emplace_back()));
        } else if (key.startsWith(u"tranches "_s)) {
            for (const QString &v : value.split(u'|'))
                ok = ok && readNumber(v, s.Limits[key.mid(9)].emplace_back());
        } else {
            for (const QString &v : value.split(u'|'))
                ok = ok && readBand(v, s.Classes[key].emplace_back());
        }
        if (!ok) {
            fault = u"line %1 unread: %2"_s.arg(lineNo).arg(line);
            return {};
        }
    }
    return sections;
}

const QList<TSection> &sections()
{
    static QString fault;
    static const QList<TSection> read = readSections(fault);
    if (!fault.isEmpty())
        qFatal("published-figures.txt: %s", qPrintable(fault));
    return read;
}

const TKmClass *kmClass(const QString &label)
{
    for (const TKmClass &c : KmClasses) {
        if (label == QString::fromUtf16(c.Label))
            return &c;
    }
    return nullptr;
}

} // namespace

class TestPublishedFigures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }
    void everyYearAndClassPublished();
    void realCostsParameters();
    void publishedFigures_data();
    void publishedFigures();
};

// Each income year of the program in one section, named after two publications at least,
// with every class of its scale.
void TestPublishedFigures::everyYearAndClassPublished()
{
    QMap<QString, QList<int>> years;
    for (const TSection &s : sections()) {
        const QString name = u"[%1 %2] "_s.arg(s.Scale).arg(s.First);
        const bool km = s.Scale != u"carburant"_s;
        QVERIFY2(s.Publications >= 1 && s.Publications + s.Confirmations >= 2, qPrintable(name));
        for (int year = s.First; year <= s.Last; ++year)
            years[s.Scale].append(year);
        if (s.Scale == u"frais réels"_s)
            continue;
        QCOMPARE(s.Classes.size(), 9);
        for (auto c = s.Classes.begin(); c != s.Classes.end(); ++c) {
            QVERIFY2(km ? kmClass(c.key()) != nullptr : FuelClasses.contains(c.key()),
                     qPrintable(name + c.key()));
            QCOMPARE(c->size(), km || c.key().startsWith(u"automobile"_s) ? 3 : 1);
            if (km)
                QCOMPARE(s.Limits.value(groupOf(c.key())).size(), 2);
        }
    }
    for (QList<int> &list : years)
        std::sort(list.begin(), list.end(), std::greater<int>());
    QCOMPARE(years.value(u"kilométrique"_s), KmYears());
    QCOMPARE(years.value(u"carburant"_s), FuelYears());
    QCOMPARE(years.value(u"frais réels"_s), RealCostsYears());
}

// The parameters of actual costs of each year, as published.
void TestPublishedFigures::realCostsParameters()
{
    for (const TSection &s : sections()) {
        if (s.Scale != u"frais réels"_s)
            continue;
        for (int year = s.First; year <= s.Last; ++year) {
            const TRealCostsSet *set = FindRealCostsSet(year);
            QVERIFY(set);
            const QList<long double> homeWork =
                s.Figures.value(u"télétravail"_s, QList<long double>{0, 0, 0});
            QCOMPARE(s.Figures.value(u"déduction de 10 %"_s),
                     (QList<long double>{set->DeductionMin, set->DeductionMax}));
            QCOMPARE(s.Figures.value(u"repas pris au foyer"_s),
                     QList<long double>{set->HomeMealValue});
            QCOMPARE(homeWork, (QList<long double>{set->HomeWorkPerDay, set->HomeWorkPerMonth,
                                                   set->HomeWorkPerYear}));
        }
    }
}

void TestPublishedFigures::publishedFigures_data()
{
    QTest::addColumn<bool>("km");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("kind");           // mileage: the kind; fuel: the class's row
    QTest::addColumn<QList<int>>("choices"); // mileage: the powers; fuel: the fuels
    QTest::addColumn<QList<int>>("distances");
    QTest::addColumn<long double>("rate");
    QTest::addColumn<long double>("fixed");
    QTest::addColumn<QString>("shown"); // a worked example: the amount as published

    for (const TSection &s : sections()) {
        if (s.Scale == u"frais réels"_s)
            continue;
        const bool km = s.Scale != u"carburant"_s;
        const int electric = s.Scale.endsWith(u"électrique"_s) ? 3 : 0;
        // The engine's kind and choices of a class.
        const auto classOf = [&](const QString &label, int fuel, int &kind, QList<int> &choices) {
            if (const TKmClass *k = km ? kmClass(label) : nullptr) {
                kind = k->Kind + electric;
                for (int p = k->FirstPower; p <= k->LastPower; ++p)
                    choices << p;
            } else {
                kind = int(FuelClasses.indexOf(label));
                choices = fuel < 0 ? QList<int>{0, 1, 2} : QList<int>{fuel};
            }
        };
        for (int year = s.First; year <= s.Last; ++year) {
            for (auto c = s.Classes.begin(); c != s.Classes.end(); ++c) {
                const QList<long double> limits = s.Limits.value(groupOf(c.key()));
                for (int b = 0; b < c->size(); ++b) {
                    int kind = -1;
                    QList<int> choices;
                    classOf(c.key(), c->size() == 1 ? -1 : b, kind, choices);
                    // The band's first and last kilometres and one between.
                    const int low = b == 0 || !km ? 1 : int(limits.value(b - 1)) + 1;
                    const int high = !km ? 10000 : b < 2 ? int(limits.value(b)) : 3 * low;
                    QTest::addRow("%s %d, %s, %s %d", qPrintable(s.Scale), year,
                                  qPrintable(c.key()), km ? "band" : "fuel", b + 1)
                        << km << year << kind << choices << QList<int>{low, (low + high) / 2, high}
                        << c->at(b).Rate << c->at(b).Fixed << QString();
                }
            }
            // "automobile 6 CV, 4 000 km = 2 272"; fuel: "automobile 5 à 7 CV, gazole, 10 000
            // km = 1 100".
            for (const QString &example : s.Examples) {
                QString label;
                for (auto c = s.Classes.begin(); c != s.Classes.end(); ++c) {
                    if (example.startsWith(c.key() + u',') && c.key().size() > label.size())
                        label = c.key();
                }
                QStringList parts = example.mid(label.size() + 1).section(u'=', 0, 0).split(u',');
                const int fuel =
                    parts.size() == 2 ? int(Fuels.indexOf(parts.takeFirst().trimmed())) : 0;
                long double distance = 0;
                readNumber(parts.value(0).remove(u"km"_s), distance);
                int kind = -1;
                QList<int> choices;
                classOf(label, fuel, kind, choices);
                QTest::addRow("%s %d, example %s", qPrintable(s.Scale), year, qPrintable(example))
                    << km << year << kind << choices.mid(0, 1) << QList<int>{int(distance)} << 0.0L
                    << 0.0L << example.section(u'=', 1).trimmed();
            }
        }
    }
}

void TestPublishedFigures::publishedFigures()
{
    QFETCH(bool, km);
    QFETCH(int, year);
    QFETCH(int, kind);
    QFETCH(QList<int>, choices);
    QFETCH(QList<int>, distances);
    QFETCH(long double, rate);
    QFETCH(long double, fixed);
    QFETCH(QString, shown);
    QVERIFY(kind >= 0 && !choices.isEmpty() && distances.value(0) > 0);
    TKmScale kmScale{};
    TFuelScale fuelScale{};
    QVERIFY(km ? BuildKmScale(kmScale, year) : BuildFuelScale(fuelScale, year));
    for (int choice : choices) {
        for (int distance : distances) {
            TKmCalcState kmLast;
            TFuelCalcState fuelLast;
            const long double amount =
                km ? ComputeKmCost(kmScale, TVehicleKind(kind), year, choice, distance, kmLast)
                   : ComputeFuelCost(fuelScale, kind < 5 ? fvCar : fvTwoWheeler,
                                     kind < 5 ? kind : kind - 5, TFuelKind(choice), distance,
                                     fuelLast);
            const QByteArray at = u"%1 km, choice %2"_s.arg(distance).arg(choice).toUtf8();
            if (!shown.isEmpty()) {
                // As published: whole euros, or to the cent when the publication gives cents.
                const qsizetype comma = shown.indexOf(u',');
                const int decimals = comma < 0 ? 0 : int(shown.size() - comma - 1);
                QString text = NumberToText(RoundDecimals(amount, decimals), decimals);
                QCOMPARE(text.remove(Blanks), QString(shown).remove(Blanks));
                continue;
            }
            QVERIFY2(qAbs(amount - (rate * distance + fixed)) < 1e-9L, at.constData());
            QVERIFY2((km ? kmLast.Rate : fuelLast.Rate) == rate, at.constData());
            QVERIFY2(!km || kmLast.Fixed == fixed, at.constData());
        }
    }
}

QTEST_GUILESS_MAIN(TestPublishedFigures)
#include "tst_publishedfigures.moc"
