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

TRun runCalc(const QStringList &args, const QByteArray &input = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"fr_FR.UTF-8"_s);
    env.insert(u"LANG"_s, u"fr_FR.UTF-8"_s);
    process.setProcessEnvironment(env);
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
        << split(u"batch /nonexistent/calculs.csv"_s) << u"impossible d'ouvrir"_s;
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

QTEST_GUILESS_MAIN(TestVemoraCalc)
#include "tst_vemoracalc.moc"
