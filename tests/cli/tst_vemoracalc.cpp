// vemora-calc run as a user runs it, in a French environment.
#include "FrenchLocale.h"
#include "PublishedExamples.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun
{
    int Status = -1;
    QString Out;
    QString Err;
};

// Runs vemora-calc, or with `shell` a bash command line in which "$calc" names it.
TRun runCalc(const QStringList &args, const QByteArray &input = {},
             const QString &locale = u"fr_FR.UTF-8"_s, bool shell = false)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, locale);
    env.insert(u"LANG"_s, locale);
    env.insert(u"calc"_s, QStringLiteral(VEMORA_CALC));
    process.setProcessEnvironment(env);
    if (shell)
        process.start(u"bash"_s, QStringList{u"-c"_s} << args);
    else
        process.start(QStringLiteral(VEMORA_CALC), args);
    if (!process.waitForStarted(10000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        return {};
    }
    TRun run;
    run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList split(const QString &args)
{
    return args.split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestVemoraCalc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }
    void workedExamples_data();
    void workedExamples();
    void publishedExamples_data();
    void publishedExamples();
    void shownTextByDefault();
    void badInput_data();
    void badInput();
    void batchFromFileAndStandardInput();
    void helpAndVersion();
    void wordsAndHorsepower_data();
    void wordsAndHorsepower();
    void sameBytesInEveryLocale();
    void failedWritesAndClosedPipes_data();
    void failedWritesAndClosedPipes();
    void longLineInBoundedMemory();
    void comparisons_data();
    void comparisons();
    void readmeExamples();
};

void TestVemoraCalc::workedExamples_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("scaleRow");
    QTest::addColumn<double>("distance");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("amount"); // 20 significant digits, where the scale gives them
    QTest::addColumn<QString>("shown");

    QTest::newRow("car 5 CV 12000 km") << u"km --year 2022 --kind 0 --power 2 --distance 12000"_s
                                       << 2 << 12000.0 << 0.357 << u"5679"_s << Fr(u"5 679"_s);
    QTest::newRow("electric car 3 CV") << u"km --year 2022 --kind 3 --power 0 --distance 4000"_s
                                       << 0 << 4000.0 << 0.635 << u"2540"_s << Fr(u"2 540"_s);
    QTest::newRow("electric moped") << u"km --year 2022 --kind 5 --distance 4500"_s << 14 << 4500.0
                                    << 0.095 << u"1280.7"_s << Fr(u"1 281"_s);
    QTest::newRow("electric car 2019") << u"km --year 2019 --kind 3 --power 1 --distance 15000"_s
                                       << 1 << 15000.0 << 0.294 << u"5557"_s << Fr(u"5 557"_s);
    QTest::newRow("car at 5000 km") << u"km --year 2022 --kind 0 --distance 5000"_s << 0 << 5000.0
                                    << 0.529 << u"2645"_s << Fr(u"2 645"_s);
    QTest::newRow("car at 5001 km") << u"km --year 2022 --kind 0 --distance 5001"_s << 0 << 5001.0
                                    << 0.316 << u"2645.3159999999999998"_s << Fr(u"2 645"_s);
    QTest::newRow("car at 20000 km") << u"km --year 2022 --kind 0 --distance 20000"_s << 0
                                     << 20000.0 << 0.316 << u"7385"_s << Fr(u"7 385"_s);
    QTest::newRow("car at 20001 km")
        << u"km --year 2022 --kind 0 --distance 20001"_s << 0 << 20001.0 << 0.37
        << u"7400.3700000000000001"_s << Fr(u"7 400"_s);
    QTest::newRow("moped at 6000 km") << u"km --year 2022 --kind 2 --distance 6000"_s << 14
                                      << 6000.0 << 0.079 << u"1185"_s << Fr(u"1 185"_s);
    QTest::newRow("half euro rounded up") << u"km --year 2022 --kind 0 --distance 2500"_s << 0
                                          << 2500.0 << 0.529 << u"1322.5"_s << Fr(u"1 323"_s);
    QTest::newRow("moped 2017 middle band") << u"km --year 2017 --kind 2 --distance 3000"_s << 14
                                            << 3000.0 << 0.063 << QString() << u"601"_s;
    QTest::newRow("5 days at 10.5 km") << u"km --year 2022 --kind 0 --per-day 10.5 --days 5"_s << 0
                                       << 52.0 << 0.529 << QString() << u"28"_s;
    QTest::newRow("7 days at 10,5 km") << u"km --year 2022 --kind 0 --per-day 10,5 --days 7"_s << 0
                                       << 74.0 << 0.529 << QString() << u"39"_s;
    QTest::newRow("decimal point") << u"km --year 2022 --kind 0 --distance 1234.5"_s << 0 << 1235.0
                                   << 0.529 << QString() << u"653"_s;
    QTest::newRow("fuel car diesel")
        << u"fuel --year 2022 --kind 0 --power 1 --fuel 0 --distance 10000"_s << 1 << 10000.0
        << 0.126 << u"1259.9999999999999999"_s << Fr(u"1 260"_s);
    QTest::newRow("fuel employee 5 to 7 CV and more")
        << u"fuel --year 2022 --employee --kind 0 --power 1 --distance 10000"_s << 1 << 10000.0
        << 0.126 << u"1259.9999999999999999"_s << Fr(u"1 260"_s);
    QTest::newRow("fuel car LPG")
        << u"fuel --year 2022 --kind 0 --power 4 --fuel 2 --distance 15000"_s << 4 << 15000.0
        << 0.116 << u"1740"_s << Fr(u"1 740"_s);
    QTest::newRow("fuel two-wheeler")
        << u"fuel --year 2022 --kind 1 --power 3 --fuel 2 --distance 10000"_s << 8 << 10000.0
        << 0.136 << u"1360"_s << Fr(u"1 360"_s);
    QTest::newRow("fuel tie to even 86")
        << u"fuel --year 2022 --kind 0 --power 2 --fuel 1 --distance 500"_s << 2 << 500.0 << 0.173
        << u"86.5"_s << u"86"_s;
    QTest::newRow("fuel tie to even 26") << u"fuel --year 2022 --kind 0 --distance 250"_s << 0
                                         << 250.0 << 0.102 << u"25.5"_s << u"26"_s;
    QTest::newRow("fuel just below 157.5")
        << u"fuel --year 2022 --kind 0 --fuel 2 --distance 2500"_s << 0 << 2500.0 << 0.063
        << u"157.49999999999999999"_s << u"157"_s;
}

void TestVemoraCalc::workedExamples()
{
    QFETCH(QString, args);
    QFETCH(int, scaleRow);
    QFETCH(double, distance);
    QFETCH(double, rate);
    QFETCH(QString, amount);
    QFETCH(QString, shown);

    const TRun run = runCalc(split(args) << u"--json"_s);
    QCOMPARE(run.Err, QString());
    QCOMPARE(run.Status, 0);
    QVERIFY(run.Out.endsWith(u'\n'));
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.Out.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(json.value(u"year"_s).toInt(),
             QRegularExpression(u"--year (\\d+)"_s).match(args).captured(1).toInt());
    QCOMPARE(json.value(u"scale_row"_s).toInt(), scaleRow);
    QCOMPARE(json.value(u"distance"_s).toDouble(), distance);
    QCOMPARE(json.value(u"rate"_s).toDouble(), rate);
    QCOMPARE(json.contains(u"fixed"_s), args.startsWith(u"km"_s));
    if (!amount.isEmpty())
        QCOMPARE(json.value(u"amount"_s).toString(), amount);
    QCOMPARE(json.value(u"shown"_s).toString(), shown);
}

void TestVemoraCalc::publishedExamples_data()
{
    QTest::addColumn<TPublishedExample>("example");
    for (const TPublishedExample &example : PublishedExamples)
        QTest::newRow(example.Name) << example;
}

void TestVemoraCalc::publishedExamples()
{
    QFETCH(TPublishedExample, example);
    const bool km = example.Type == tcKmCost;
    QStringList args{km ? u"km"_s : u"fuel"_s,
                     u"--year"_s,
                     QString::number(example.Year),
                     u"--kind"_s,
                     QString::number(example.Kind),
                     u"--distance"_s,
                     QString::number(double(example.Distance)),
                     u"--json"_s};
    if (example.Power >= 0)
        args << u"--power"_s << QString::number(example.Power);
    if (!km)
        args << u"--fuel"_s << QString::number(example.Fuel);
    if (example.Employee)
        args << u"--employee"_s;

    const TRun run = runCalc(args);
    QCOMPARE(run.Err, QString());
    QCOMPARE(run.Status, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    QCOMPARE(json.value(u"year"_s).toInt(), example.Year);
    QCOMPARE(json.value(u"rate"_s).toDouble(), double(example.Rate));
    if (km)
        QCOMPARE(json.value(u"fixed"_s).toDouble(), double(example.Fixed));
    QCOMPARE(json.value(u"shown"_s).toString(), Fr(QString::fromUtf16(example.Shown)));
}

void TestVemoraCalc::shownTextByDefault()
{
    const TRun run = runCalc(split(u"km --year 2022 --kind 0 --power 2 --distance 12000"_s));
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Out, Fr(u"5 679\n"_s));
    // The French thousands separator is accepted on input too.
    const TRun grouped = runCalc(
        {u"fuel"_s, u"--year"_s, u"2022"_s, u"--kind"_s, u"0"_s, u"--distance"_s, Fr(u"10 000"_s)});
    QCOMPARE(grouped.Out, Fr(u"1 020\n"_s));
}

void TestVemoraCalc::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown option")
        << split(u"km --kind 0 --distance 100 --bogus"_s) << u"Option inconnue : --bogus"_s;
    QTest::newRow("employee is not a mileage option")
        << split(u"km --kind 0 --distance 100 --employee"_s) << u"Option inconnue"_s;
    QTest::newRow("missing value")
        << split(u"km --distance 100 --kind"_s) << u"Valeur manquante pour l'option --kind"_s;
    QTest::newRow("year before the scales")
        << split(u"km --year 2011 --kind 0 --distance 1"_s) << u"Année non proposée : 2011"_s;
    QTest::newRow("fuel year without a scale")
        << split(u"fuel --year 2021 --kind 0 --distance 1"_s)
        << u"Année non proposée : 2021 (barème carburant de 2022 à 2025)"_s;
    QTest::newRow("year not published yet")
        << split(u"km --year 2026 --kind 0 --distance 1"_s)
        << u"Année non proposée : 2026 (barème kilométrique de 2012 à 2025)"_s;
    QTest::newRow("electric kind before 2018")
        << split(u"km --year 2017 --kind 3 --distance 1"_s)
        << u"Type de véhicule non proposé pour l'année 2017"_s;
    QTest::newRow("kind beyond the list")
        << split(u"km --kind 6 --distance 1"_s) << u"Type de véhicule non proposé"_s;
    QTest::newRow("car power out of range")
        << split(u"km --kind 0 --power 5 --distance 1"_s) << u"Puissance hors limites : 5"_s;
    QTest::newRow("employee's shorter power list")
        << split(u"fuel --employee --kind 0 --power 2 --distance 1"_s)
        << u"Puissance hors limites : 2"_s;
    QTest::newRow("fuel out of range")
        << split(u"fuel --kind 0 --fuel 3 --distance 1"_s) << u"Carburant hors limites : 3"_s;
    QTest::newRow("unreadable distance")
        << split(u"km --kind 0 --distance douze"_s) << u"Nombre illisible pour --distance"_s;
    QTest::newRow("negative distance")
        << split(u"km --kind 0 --distance -5"_s) << u"Nombre négatif pour --distance"_s;
    QTest::newRow("distance too large")
        << split(u"km --kind 0 --distance 1e30"_s) << u"Valeur trop grande pour --distance"_s;
    QTest::newRow("too many days")
        << split(u"km --kind 0 --per-day 10 --days 1e10"_s)
        << u"Nombre de jours illisible pour --days : « 1e10 » (un nombre entier est attendu)"_s;
    QTest::newRow("product too large")
        << split(u"km --kind 0 --per-day 1e17 --days 100"_s) << u"Distance annuelle trop grande"_s;
    QTest::newRow("no distance") << split(u"km --kind 0"_s) << u"Indiquez --distance"_s;
    QTest::newRow("days without distance per day")
        << split(u"km --kind 0 --days 5"_s) << u"--per-day et --days vont ensemble"_s;
    QTest::newRow("both ways of giving the distance")
        << split(u"km --kind 0 --distance 5 --per-day 1 --days 3"_s) << u"ne se combine pas"_s;
    QTest::newRow("kind missing") << split(u"km --distance 5"_s) << u"--kind est obligatoire"_s;
    QTest::newRow("kind not a number")
        << split(u"km --kind x --distance 5"_s) << u"Type illisible pour --kind : « x »"_s;
    QTest::newRow("option twice") << split(u"km --kind 0 --year 2022 --year 2021 --distance 5"_s)
                                  << u"Option donnée deux fois : --year"_s;
    QTest::newRow("no command") << QStringList() << u"commande manquante"_s;
    QTest::newRow("unknown command") << split(u"frobnicate"_s) << u"commande inconnue"_s;
    QTest::newRow("batch without a file") << split(u"batch"_s) << u"batch attend un fichier"_s;
    QTest::newRow("batch of a missing file")
        << split(u"batch /nonexistent/calculs.csv"_s)
        << u"impossible d'ouvrir « /nonexistent/calculs.csv » : Le dossier ou le fichier "
           u"n'existe pas."_s;
    QTest::newRow("batch of a folder")
        << split(u"batch /tmp"_s)
        << u"impossible de lire « /tmp » : Le chemin désigne un dossier."_s;
    // The rules of the window's fields.
    QTest::newRow("day count not whole") << split(u"km --kind 0 --per-day 10 --days 2.5"_s)
                                         << u"Nombre de jours illisible pour --days : « 2.5 »"_s;
    QTest::newRow("more days than the year")
        << split(u"km --year 2025 --kind 0 --per-day 10 --days 400"_s)
        << u"Nombre de jours trop grand pour --days : 400 (365 au plus en 2025)"_s;
    QTest::newRow("two decimal separators") << split(u"km --kind 0 --distance 1.234,5"_s)
                                            << u"Nombre illisible pour --distance : « 1.234,5 »"_s;
    QTest::newRow("too large once rounded")
        << split(u"km --kind 0 --distance 999999999999999999.5"_s)
        << u"Valeur trop grande pour --distance"_s;
    QTest::newRow("power of a moped") << split(u"km --kind cyclomoteur --power 0 --distance 9"_s)
                                      << u"Un cyclomoteur n'a pas de puissance"_s;
    QTest::newRow("power given twice")
        << split(u"km --kind automobile --cv 5 --power 2 --distance 9"_s)
        << u"La puissance se donne par son rang ou en CV"_s;
    QTest::newRow("two-wheeler over 125 cm³ by its cylinder capacity")
        << split(u"fuel --kind deux-roues --cc 200 --distance 9"_s)
        << u"Cylindrée hors du barème : 200 cm³"_s;
    QTest::newRow("two-wheeler of 126 cm³")
        << split(u"fuel --kind deux-roues --cc 126 --distance 9"_s)
        << u"Cylindrée hors du barème"_s;
    QTest::newRow("two-wheeler of 2 CV") << split(u"fuel --kind deux-roues --cv 2 --distance 9"_s)
                                         << u"Puissance en CV hors du barème des deux-roues"_s;
    QTest::newRow("366 days of a common year")
        << split(u"km --year 2025 --kind 0 --per-day 10 --days 366"_s)
        << u"Nombre de jours trop grand pour --days : 366 (365 au plus en 2025)"_s;
    QTest::newRow("367 days of a leap year")
        << split(u"km --year 2024 --kind 0 --per-day 10 --days 367"_s)
        << u"(366 au plus en 2024)"_s;
    for (const char *copies : {"0", "10"}) {
        QTest::addRow("%s copies", copies)
            << split(u"km --kind 0 --distance 9 --print --copies "_s + QLatin1StringView(copies))
            << u"Nombre de copies hors limites : %1 (de 1 à 9)"_s.arg(QLatin1StringView(copies));
    }
    // One and nine copies pass, to be stopped by the printer's name.
    for (const char *copies : {"1", "9"}) {
        QTest::addRow("%s copies to an unknown printer", copies)
            << split(u"km --kind 0 --distance 9 --print --printer Nulle --copies "_s +
                     QLatin1StringView(copies))
            << u"Imprimante inconnue : Nulle"_s;
    }
    QTest::newRow("PDF of a zero distance")
        << split(u"km --kind 0 --distance 0 --pdf /nonexistent/x.pdf"_s)
        << u"Le kilométrage effectué dans l'année est nul !"_s;
}

void TestVemoraCalc::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const TRun run = runCalc(args);
    QCOMPARE(run.Status, 2);
    QCOMPARE(run.Out, QString());
    QVERIFY2(run.Err.contains(message), qPrintable(run.Err));
    QCOMPARE(run.Err.count(u'\n'), 1);
    QVERIFY(run.Err.endsWith(u'\n'));
}

void TestVemoraCalc::batchFromFileAndStandardInput()
{
    const QByteArray csv = "calcul;annee;type;puissance;carburant;statut;distance\n"
                           "km;2022;0;2;;;12000\n"
                           "carburant;2022;0;1;0;salarie;10000\n"
                           "km;2017;3;0;;;1000\n";
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"calculs.csv"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(csv);
    file.close();

    for (const TRun &run : {runCalc({u"batch"_s, path}), runCalc({u"batch"_s, u"-"_s}, csv)}) {
        QCOMPARE(run.Status, 1);
        const QStringList lines = run.Out.split(u'\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0],
                 u"calcul;annee;type;puissance;carburant;statut;distance;taux;forfait;montant;"
                 u"affiche;erreur"_s);
        QCOMPARE(lines[1], Fr(u"km;2022;0;2;;;12000;0,357;1395;5679;5 679;"_s));
        QCOMPARE(lines[2], Fr(u"carburant;2022;0;1;0;salarie;10000;0,126;;"
                              u"1259,9999999999999999;1 260;"_s));
        QVERIFY(lines[3].startsWith(u"km;2017;3;0;;;1000;;;;;Type de véhicule non proposé"_s));
        QCOMPARE(lines[4], QString());
        QVERIFY2(run.Err.startsWith(u"vemora-calc : ligne 4 : Type de véhicule"_s),
                 qPrintable(run.Err));
    }
}

void TestVemoraCalc::helpAndVersion()
{
    const TRun help = runCalc({u"--help"_s});
    QCOMPARE(help.Status, 0);
    QVERIFY(help.Out.contains(u"vemora-calc batch FICHIER"_s));
    const TRun version = runCalc({u"--version"_s});
    QCOMPARE(version.Status, 0);
    QVERIFY(version.Out.startsWith(u"vemora-calc "_s));
    QCOMPARE(runCalc({u"--version"_s, u"extra"_s}).Status, 2);
}

void TestVemoraCalc::wordsAndHorsepower_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("scaleRow");
    QTest::addColumn<QString>("shown");

    QTest::newRow("car of 4 CV") << u"km --kind automobile --cv 4 --distance 10000"_s << 0 << 1
                                 << Fr(u"4 730"_s);
    QTest::newRow("car of 11 CV in the last class")
        << u"km --kind automobile --cv 11 --distance 10000"_s << 0 << 4 << Fr(u"5 455"_s);
    QTest::newRow("motorcycle of 4 CV")
        << u"km --kind moto --cv 4 --distance 4500"_s << 1 << 12 << Fr(u"1 527"_s);
    QTest::newRow("electric car in words")
        << u"km --kind automobile --electrique --cv 5 --distance 12000"_s << 3 << 2
        << Fr(u"6 810"_s);
    QTest::newRow("moped without power")
        << u"km --kind cyclomoteur --distance 3000"_s << 2 << 14 << u"945"_s;
    QTest::newRow("leap year takes 366 days")
        << u"km --year 2024 --kind automobile --cv 3 --per-day 10 --days 366"_s << 0 << 0
        << Fr(u"1 936"_s);
    QTest::newRow("unleaded car of 8 CV")
        << u"fuel --kind voiture --cv 8 --fuel sans-plomb --distance 10000"_s << 0 << 2
        << Fr(u"1 650"_s);
    QTest::newRow("employee's car of 9 CV in the capped class")
        << u"fuel --employee --kind voiture --cv 9 --fuel gazole --distance 10000"_s << 0 << 1
        << Fr(u"1 100"_s);
    QTest::newRow("two-wheeler of 49 cm³")
        << u"fuel --kind deux-roues --cc 49 --distance 10000"_s << 1 << 5 << u"370"_s;
    QTest::newRow("two-wheeler of 125 cm³")
        << u"fuel --kind deux-roues --cc 125 --distance 10000"_s << 1 << 6 << u"740"_s;
    QTest::newRow("two-wheeler of 4 CV")
        << u"fuel --kind deux-roues --cv 4 --distance 10000"_s << 1 << 7 << u"950"_s;
    // Each class limit from both sides: the amounts worked out from the published rates.
    const auto row = [](const char *name, const char16_t *args, int kind, int scaleRow,
                        const char16_t *shown) {
        QTest::newRow(name) << QString::fromUtf16(args) << kind << scaleRow
                            << Fr(QString::fromUtf16(shown));
    };
    row("car of 3 CV", u"km --kind automobile --cv 3 --distance 10000", 0, 0, u"4 225");
    row("car of 5 CV", u"km --kind automobile --cv 5 --distance 10000", 0, 2, u"4 965");
    row("car of 6 CV", u"km --kind automobile --cv 6 --distance 10000", 0, 3, u"5 197");
    row("car of 7 CV", u"km --kind automobile --cv 7 --distance 10000", 0, 4, u"5 455");
    row("motorcycle of 2 CV", u"km --kind moto --cv 2 --distance 4000", 1, 11, u"1 287");
    row("motorcycle of 3 CV", u"km --kind moto --cv 3 --distance 4000", 1, 12, u"1 486");
    row("motorcycle of 5 CV", u"km --kind moto --cv 5 --distance 4000", 1, 12, u"1 486");
    row("motorcycle of 6 CV", u"km --kind moto --cv 6 --distance 4000", 1, 13, u"1 899");
    row("365 days of a common year", u"km --kind automobile --cv 3 --per-day 10 --days 365", 0, 0,
        u"1 931");
    row("diesel car of 4 CV", u"fuel --kind voiture --cv 4 --distance 10000", 0, 0, u"890");
    row("diesel car of 5 CV", u"fuel --kind voiture --cv 5 --distance 10000", 0, 1, u"1 100");
    row("diesel car of 7 CV", u"fuel --kind voiture --cv 7 --distance 10000", 0, 1, u"1 100");
    row("diesel car of 9 CV", u"fuel --kind voiture --cv 9 --distance 10000", 0, 2, u"1 310");
    row("diesel car of 10 CV", u"fuel --kind voiture --cv 10 --distance 10000", 0, 3, u"1 480");
    row("diesel car of 11 CV", u"fuel --kind voiture --cv 11 --distance 10000", 0, 3, u"1 480");
    row("diesel car of 12 CV", u"fuel --kind voiture --cv 12 --distance 10000", 0, 4, u"1 650");
    row("employee's car of 4 CV", u"fuel --employee --kind voiture --cv 4 --distance 10000", 0, 0,
        u"890");
    row("employee's car of 5 CV", u"fuel --employee --kind voiture --cv 5 --distance 10000", 0, 1,
        u"1 100");
    row("two-wheeler of 50 cm³", u"fuel --kind deux-roues --cc 50 --distance 10000", 1, 6, u"740");
    row("two-wheeler of 3 CV", u"fuel --kind deux-roues --cv 3 --distance 10000", 1, 7, u"950");
    row("two-wheeler of 5 CV", u"fuel --kind deux-roues --cv 5 --distance 10000", 1, 7, u"950");
    row("two-wheeler of 6 CV", u"fuel --kind deux-roues --cv 6 --distance 10000", 1, 8, u"1 310");
}

void TestVemoraCalc::wordsAndHorsepower()
{
    QFETCH(QString, args);
    QFETCH(int, kind);
    QFETCH(int, scaleRow);
    QFETCH(QString, shown);
    QStringList line = split(args) << u"--json"_s;
    if (!args.contains(u"--year"_s))
        line << u"--year"_s << u"2025"_s;
    const TRun run = runCalc(line);
    QCOMPARE(run.Err, QString());
    const QJsonObject json = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    QCOMPARE(json.value(u"kind"_s).toInt(), kind);
    QCOMPARE(json.value(u"scale_row"_s).toInt(), scaleRow);
    QCOMPARE(json.value(u"shown"_s).toString(), shown);
    // A moped has no power to tell.
    QCOMPARE(json.value(u"power"_s).isNull(), scaleRow == 14);
}

void TestVemoraCalc::sameBytesInEveryLocale()
{
    const QByteArray csv = "calcul,type,cv,carburant,distance\n"
                           "carburant,voiture,6,gpl,\"12 000,5\"\n"
                           "km,automobile,4,,\"1,5\"\n"
                           "km,moto,,,\"1.234,5\"\n";
    const QList<QStringList> commands{
        split(u"km --kind automobile --cv 5 --per-day 12,5 --days 218 --json"_s),
        {u"km"_s, u"--year"_s, u"2022"_s, u"--kind"_s, u"0"_s, u"--power"_s, u"2"_s,
         u"--distance"_s, u"12 000"_s},
        split(u"fuel --kind voiture --cv 6 --fuel gpl --distance 1,5 --json"_s),
        split(u"batch -"_s),
        split(u"km --kind 0 --distance 1,2,3"_s),
    };
    QString reference;
    for (const QString &locale :
         {u"fr_FR.UTF-8"_s, u"C"_s, u"C.UTF-8"_s, u"en_US.UTF-8"_s, u"de_DE.UTF-8"_s}) {
        QString all;
        for (const QStringList &args : commands) {
            const TRun run = runCalc(args, args.first() == u"batch"_s ? csv : QByteArray(), locale);
            all += u"%1\n%2%3"_s.arg(run.Status).arg(run.Out, run.Err);
        }
        if (reference.isEmpty())
            reference = all;
        QCOMPARE(all, reference);
    }
    // 1,5 km is a km and a half, whatever the locale: 2 km once rounded, not 15.
    QVERIFY2(reference.contains(u"\"distance\":2,"_s), qPrintable(reference));
    QVERIFY2(reference.contains(Fr(u"\"shown\":\"1 733\"}"_s)), qPrintable(reference));
    QVERIFY2(reference.contains(u"12 000,5\",\"0,089\",,\"1068,0890000000000001\","_s +
                                Fr(u"1 068"_s) + u",\n"_s),
             qPrintable(reference));
}

void TestVemoraCalc::failedWritesAndClosedPipes_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected"); // status, then the error output

    const QString full = u"3 vemora-calc : écriture impossible sur la sortie standard : Il n'y a "
                         u"plus de place sur le support.\n"_s;
    QTest::newRow("one amount on a full disk")
        << u"\"$calc\" km --kind 0 --distance 100 >/dev/full"_s << full;
    QTest::newRow("a large batch on a full disk")
        << u"\"$calc\" batch \"$rows\" >/dev/full"_s << full;
    QTest::newRow("standard output closed")
        << u"\"$calc\" km --kind 0 --distance 100 >&-"_s
        << u"3 vemora-calc : écriture impossible sur la sortie standard : Le fichier n'est pas "
           u"ouvert pour cette opération.\n"_s;
    // The reader goes away after one line: the program ends quietly, on the broken pipe.
    QTest::newRow("pipe closed early")
        << u"\"$calc\" batch \"$rows\" | head -1 >/dev/null; exit ${PIPESTATUS[0]}"_s << u"141 "_s;
}

void TestVemoraCalc::failedWritesAndClosedPipes()
{
    QFETCH(QString, command);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile rows(dir.filePath(u"rows.csv"_s));
    QVERIFY(rows.open(QIODevice::WriteOnly));
    rows.write("calcul;type;puissance;distance\n");
    for (int i = 0; i < 20000; ++i)
        rows.write("km;automobile;2;" + QByteArray::number(1000 + i) + '\n');
    rows.close();
    const TRun run =
        runCalc({u"rows=\"%1\"; %2"_s.arg(rows.fileName(), command)}, {}, u"C"_s, true);
    QCOMPARE(QString::number(run.Status) + u' ' + run.Err, expected);
}

void TestVemoraCalc::longLineInBoundedMemory()
{
    // A one-gigabyte line between two rows: it becomes one row in error, the others are
    // computed, and memory stays small.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(u"long.csv"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("calcul;type;distance\nkm;0;100\nkm;0;");
    const QByteArray chunk(1 << 20, 'x');
    for (int i = 0; i < 1024; ++i)
        QVERIFY(file.write(chunk) == chunk.size());
    file.write(QByteArray("\nkm;0;\"\xFF\0\xC3\xA9\"\n", 13));
    file.close();

    // GNU time tells the peak memory of the program alone, in KiB.
    const QString memory = dir.filePath(u"memory"_s);
    const TRun run = runCalc({u"/usr/bin/time -f %M -o \"$1\" \"$calc\" batch \"$2\""_s, u"bash"_s,
                              memory, file.fileName()},
                             {}, u"C.UTF-8"_s, true);
    file.remove();
    QCOMPARE(run.Status, 1);
    const QStringList lines = run.Out.split(u'\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[2], u";;;;;;;ligne trop longue (plus de 64 Kio), non lue"_s);
    // Bytes that are not text come back replaced, the message quoting the field.
    QCOMPARE(lines[3],
             u"km;0;\uFFFD\uFFFDé;;;;;Nombre illisible pour distance : « \uFFFD\uFFFDé »"_s);
    QCOMPARE(run.Err,
             u"vemora-calc : ligne 3 : ligne trop longue (plus de 64 Kio), non lue\n"
             u"vemora-calc : ligne 4 : Nombre illisible pour distance : « \uFFFD\uFFFDé »\n"_s);
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's own bookkeeping would be counted
    QFile peak(memory);
    QVERIFY(peak.open(QIODevice::ReadOnly));
    // The last line: GNU time writes the exit status first when it is not 0.
    const int kib = peak.readAll().trimmed().split('\n').last().toInt();
    QVERIFY2(kib > 0 && kib < 64 * 1024, qPrintable(QString::number(kib)));
#endif
}

void TestVemoraCalc::comparisons_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("expected"); // pieces of the JSON, or the error

    const auto done = [](const char *name, const char16_t *args, QStringList json) {
        QTest::newRow(name) << QString::fromUtf16(args) << 0 << json;
    };
    const auto refused = [](const char *name, const char16_t *args, const char16_t *error) {
        QTest::newRow(name) << QString::fromUtf16(args) << 2
                            << QStringList{QString::fromUtf16(error)};
    };
    done("typed vehicle beats the 10 %", u"--year 2024 --salaire 30000 --frais-vehicule 4857",
         {u"\"vehicule\":4857,\"vehicule_origine\":null,\"calcul_vehicule\":null"_s,
          u"\"frais_reels\":4857,\"deduction_10\":3000,\"revenu_10\":27000,"
          u"\"revenu_frais_reels\":25143,\"ecart\":1857,\"choix\":\"frais-reels\","
          u"\"a_declarer\":4857"_s});
    // 8 085 km: 0,34 × 1,2 = 0,408 per km and 1 330 × 1,2 = 1 596; meals at
    // 10,60 − 5,35 − 4 = 1,25; the allowances added back make the 10 % better.
    done("electric car by days, vouchers and allowances, saved as PDF",
         u"--year 2024 --salaire 52000 --bareme km --kind automobile --electrique --cv 4 "
         u"--per-day 38,5 --days 210 --repas 210 --prix-repas 10,60 --titres-restaurant 4 "
         u"--allocations 800 --autres-frais 350,25 --pdf @pdf",
         {u"\"allocations\":800,\"vehicule\":4894.68,\"vehicule_origine\":\"barème "
          u"kilométrique 2024 : 8\u202F085 km, 4 CV, électrique\""_s,
          u"\"rate\":0.408,\"fixed\":1596"_s,
          u"\"repas\":262.5,\"repas_unitaire\":1.25,\"teletravail\":0,\"autres\":350.25,"
          u"\"frais_reels\":5507.43,\"deduction_10\":5200,\"revenu_10\":46800,"
          u"\"revenu_frais_reels\":47293,\"ecart\":493,\"choix\":\"10%\","
          u"\"a_declarer\":null"_s});
    // 15 000 km at 0,152 and 100 days at 2,60; 440 € less taxable income at 11 %.
    done("employee's unleaded car and flat home working",
         u"--year 2023 --salaire 21000 --bareme carburant --kind voiture --cv 9 --fuel sans-plomb "
         u"--employee --distance 15000 --teletravail-jours 100 --taux-marginal 11",
         {u"\"vehicule\":2280,\"vehicule_origine\":\"barème carburant 2023 : 15\u202F000 km, "
          u"5 à 7 CV et +, super sans plomb\""_s,
          u"\"teletravail\":260,\"autres\":0,\"frais_reels\":2540,\"deduction_10\":2100,"
          u"\"revenu_10\":18900,\"revenu_frais_reels\":18460,\"ecart\":440,"
          u"\"choix\":\"frais-reels\",\"a_declarer\":2540,\"taux_marginal\":11,"
          u"\"impot_evite\":48.4}"_s});
    done("allowances added back make a tie",
         u"--year 2023 --salaire 30000 --frais-vehicule 4000 --allocations 1000",
         {u"\"revenu_10\":27000,\"revenu_frais_reels\":27000,\"ecart\":0,\"choix\":\"egal\","
          u"\"a_declarer\":null"_s});
    done("pay under the minimum, meals priced below a meal at home",
         u"--salaire 4000 --repas 100 --prix-repas 5 --autres-frais 300",
         {u"\"year\":2025,"_s, u"\"repas\":0,\"repas_unitaire\":0,"_s,
          u"\"frais_reels\":300,\"deduction_10\":509,\"revenu_10\":3491,"
          u"\"revenu_frais_reels\":3700,\"ecart\":209,\"choix\":\"10%\""_s});
    done("flat home working capped, vouchers without receipts",
         u"--year 2022 --salaire 25000 --teletravail-jours 300 --repas 10 --titres-restaurant 3",
         {u"\"repas\":20,\"repas_unitaire\":2,\"teletravail\":580,"_s, u"\"frais_reels\":600,"_s});
    refused("pay missing", u"--frais-vehicule 10", u"L'option --salaire est obligatoire");
    refused("vehicle options without a scale", u"--salaire 1 --kind 0 --distance 5",
            u"--kind va avec --bareme km ou --bareme carburant");
    refused("vehicle typed and computed",
            u"--salaire 1 --frais-vehicule 3 --bareme km --kind 0 --distance 5",
            u"--frais-vehicule ne se combine pas avec --bareme");
    refused("unknown scale", u"--salaire 1 --bareme avion",
            u"Barème illisible pour --bareme : « avion » (km ou carburant)");
    refused("fuel on the mileage scale", u"--salaire 1 --bareme km --kind 0 --distance 5 --fuel 1",
            u"--fuel va avec --bareme carburant");
    refused("no fuel scale that year",
            u"--year 2021 --salaire 1 --bareme carburant --kind 0 --distance 5",
            u"Année non proposée : 2021 (barème carburant de 2022 à 2025)");
    refused("year before the deduction's bounds", u"--year 2011 --salaire 1",
            u"Année non proposée : 2011 (frais réels de 2012 à 2025)");
    refused("more than two meals a day of a leap year", u"--year 2024 --salaire 1 --repas 733",
            u"Nombre de repas hors limites : 733 (de 0 à 732 en 2024, deux par jour)");
    refused("meal count not whole", u"--salaire 1 --repas 2,5",
            u"Nombre illisible pour --repas : « 2,5 » (un nombre entier est attendu)");
    refused("meal price without meals", u"--salaire 1 --prix-repas 9",
            u"--prix-repas va avec --repas");
    refused("both ways of home working",
            u"--year 2024 --salaire 1 --teletravail-jours 3 --teletravail-reel 9",
            u"Donnez --teletravail-jours ou --teletravail-reel, pas les deux");
    refused("more home-working days than the year",
            u"--year 2023 --salaire 1 --teletravail-jours 366",
            u"Nombre de jours de télétravail hors limites : 366 (de 0 à 365 en 2023)");
    refused(
        "no flat home working before 2020", u"--year 2019 --salaire 1 --teletravail-jours 10",
        u"Pas de forfait de télétravail pour les revenus 2019 (Pas de forfait avant les revenus "
        u"2020 : le montant réel seulement) : indiquez le montant réel");
    refused("negative allowances", u"--salaire 1 --allocations -1",
            u"Nombre négatif pour --allocations : -1");
    refused("pay above the limit", u"--salaire 10000000,01",
            u"Salaire net imposable trop grand : 10\u202F000\u202F000,01\u00A0€ "
            u"(10\u202F000\u202F000\u00A0€ au plus)");
    refused("a rate of another year", u"--year 2012 --salaire 1 --taux-marginal 11",
            u"Taux marginal inconnu en 2012 : 11\u00A0% (0, 5,5, 14, 30, 41 ou 45\u00A0%)");
    refused("report to a text file", u"--salaire 1 --pdf x.txt",
            u"L'extension du fichier : .txt, n'est pas valide.");
}

void TestVemoraCalc::comparisons()
{
    QFETCH(QString, args);
    QFETCH(int, status);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(u"Frais_reels.pdf"_s);
    const TRun run = runCalc(QStringList{u"frais-reels"_s} << split(args.replace(u"@pdf"_s, pdf))
                                                           << u"--json"_s);
    QCOMPARE(run.Status, status);
    if (status != 0) {
        QCOMPARE(run.Out, QString());
        QCOMPARE(run.Err, u"vemora-calc : "_s + expected.first() + u'\n');
        return;
    }
    QCOMPARE(run.Err, QString());
    const QJsonObject json = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    for (const char16_t *key :
         {u"year", u"salaire", u"allocations", u"vehicule", u"repas", u"teletravail", u"autres",
          u"frais_reels", u"deduction_10", u"revenu_10", u"revenu_frais_reels", u"ecart", u"choix",
          u"a_declarer", u"impot_evite"})
        QVERIFY2(json.contains(QString::fromUtf16(key)), qPrintable(run.Out));
    QCOMPARE(json.value(u"impot_evite"_s).isNull(), !args.contains(u"--taux-marginal"_s));
    for (const QString &piece : expected)
        QVERIFY2(run.Out.contains(piece), qPrintable(run.Out));
    QFile sheet(pdf);
    QCOMPARE(sheet.open(QIODevice::ReadOnly) && sheet.read(5) == "%PDF-", args.contains(pdf));
}

// Each command of the README's shell examples, here-document included, writes the lines shown
// under it, byte for byte.
void TestVemoraCalc::readmeExamples()
{
    QFile readme(QStringLiteral(VEMORA_README));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(readme.readAll()).split(u'\n');
    QStringList commands;
    bool block = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        block = lines[i].startsWith(u"```"_s) ? !block : block;
        if (!block || !lines[i].startsWith(u"$ vemora-calc "_s))
            continue;
        QString command = u"\"$calc\""_s + lines[i].mid(13);
        if (const qsizetype here = lines[i].indexOf(u"<<'"_s); here >= 0) {
            const QString end = lines[i].mid(here + 3).section(u'\'', 0, 0);
            do
                command += u'\n' + lines[++i];
            while (lines[i] != end);
        }
        QString expected;
        while (!lines[i + 1].startsWith(u"$ "_s) && !lines[i + 1].startsWith(u"```"_s))
            expected += lines[++i] + u'\n';
        const TRun run = runCalc({command}, {}, u"C.UTF-8"_s, true);
        QCOMPARE(run.Err, QString());
        QCOMPARE(run.Out, expected);
        commands << lines[i].section(u' ', 1, 2);
    }
    QVERIFY2(commands.size() >= 4, qPrintable(commands.join(u", "_s)));
}

QTEST_GUILESS_MAIN(TestVemoraCalc)
#include "tst_vemoracalc.moc"
