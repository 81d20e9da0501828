// The batch file format: headers, separators, line ends and rows in error.
#include "Batch.h"
#include "FrenchLocale.h"

#include <QTest>

#include <string>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TBatchRun
{
    int Status;
    QString Out;
    QString Err;
};

TBatchRun runBatch(const QByteArray &input)
{
    std::string out;
    std::string err;
    const int status = RunBatch(
        MemorySource(std::string_view(input.constData(), size_t(input.size()))),
        [&out](std::string_view s) {
            out.append(s);
            return true;
        },
        [&err](std::string_view s) {
            err.append(s);
            return true;
        });
    return {status, QString::fromStdString(out), QString::fromStdString(err)};
}

} // namespace

class TestBatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }
    void columnsInAnyOrderWithDefaults();
    void spreadsheetExport();
    void rowsInError_data();
    void rowsInError();
    void fileThatIsNotABatch_data();
    void fileThatIsNotABatch();
    void arbitraryBytes();
};

void TestBatch::columnsInAnyOrderWithDefaults()
{
    const TBatchRun run = runBatch("Distance;Type;Calcul\n"
                                   "12000;0;km\n"
                                   "\n"
                                   "4500;5;KM\n"
                                   "10000;1;carburant\n");
    QCOMPARE(run.Status, 0);
    QCOMPARE(run.Err, QString());
    const QStringList lines = run.Out.split(u'\n');
    QCOMPARE(lines.size(), 5); // blank lines are skipped
    QCOMPARE(lines[0], u"Distance;Type;Calcul;taux;forfait;montant;affiche;erreur"_s);
    // The newest year of each scale (2025) and the first power class by default.
    QCOMPARE(lines[1], Fr(u"12000;0;km;0,316;1065;4857;4 857;"_s));
    QCOMPARE(lines[2], Fr(u"4500;5;KM;0,095;853,2;1280,7;1 281;"_s));
    QCOMPARE(lines[3], u"10000;1;carburant;0,037;;370;370;"_s);
}

void TestBatch::spreadsheetExport()
{
    // A byte-order mark, Windows line ends, quoted fields and a decimal comma.
    const TBatchRun run = runBatch("\xEF\xBB\xBF\"calcul\";\"annee\";\"type\";\"puissance\";"
                                   "\"distance\"\r\n"
                                   "\"km\";\"2019\";\"3\";\"1\";\"15000\"\r\n"
                                   "km;2022;0;0;1234,5\r\n");
    QCOMPARE(run.Status, 0);
    const QStringList lines = run.Out.split(u'\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[1].endsWith(Fr(u";0,294;1147;5557;5 557;"_s)));
    QVERIFY(lines[2].endsWith(u";653;"_s));
}

void TestBatch::rowsInError_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown calculation")
        << QByteArray("avion;2022;0;0;;;100") << u"calcul inconnu"_s;
    QTest::newRow("year not offered") << QByteArray("km;2010;0;0;;;100") << u"Année non proposée"_s;
    QTest::newRow("year not a number") << QByteArray("km;deux;0;0;;;100") << u"année illisible"_s;
    QTest::newRow("type missing") << QByteArray("km;2022;;0;;;100") << u"type manquant"_s;
    QTest::newRow("power out of range")
        << QByteArray("km;2022;1;3;;;100") << u"Puissance hors limites"_s;
    QTest::newRow("unknown status")
        << QByteArray("carburant;2022;0;0;0;cadre;100") << u"statut inconnu"_s;
    QTest::newRow("fuel out of range")
        << QByteArray("carburant;2022;0;0;4;pro;100") << u"Carburant hors limites"_s;
    QTest::newRow("distance missing") << QByteArray("km;2022;0;0;;;") << u"distance manquante"_s;
    QTest::newRow("negative distance") << QByteArray("km;2022;0;0;;;-3") << u"Nombre négatif"_s;
    QTest::newRow("separator in the reason is replaced")
        << QByteArray("km;2022;0;0;;;1;2") << QString();
    QTest::newRow("short row") << QByteArray("km") << u"type manquant"_s;
}

void TestBatch::rowsInError()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, reason);
    const TBatchRun run =
        runBatch("calcul;annee;type;puissance;carburant;statut;distance\nkm;2022;0;0;;;100\n" +
                 row + "\nkm;2022;0;1;;;100\n");
    if (reason.isEmpty()) {
        QCOMPARE(run.Status, 0); // extra columns are carried over, not an error
        return;
    }
    QCOMPARE(run.Status, 1);
    const QStringList lines = run.Out.split(u'\n');
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines[2].contains(u";;;;;"_s + reason), qPrintable(lines[2]));
    QVERIFY2(lines[3].startsWith(u"km;2022;0;1;;;100;0,606;0;60,"_s) &&
                 lines[3].endsWith(u";61;"_s),
             qPrintable(lines[3])); // the rows after it go on
    QVERIFY2(run.Err.startsWith(u"vemora-calc : ligne 3 : "_s + reason), qPrintable(run.Err));
    QCOMPARE(run.Err.count(u'\n'), 1);
}

void TestBatch::fileThatIsNotABatch_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty file") << QByteArray() << u"fichier vide"_s;
    QTest::newRow("blank lines only") << QByteArray("\n \r\n") << u"fichier vide"_s;
    QTest::newRow("distance column missing")
        << QByteArray("calcul;type\nkm;0\n") << u"colonne « distance » absente"_s;
    QTest::newRow("quote never closed in the header")
        << QByteArray("calcul;\"type;distance\nkm;0;100\n") << u"ligne 1 : la ligne d'en-tête"_s;
}

void TestBatch::fileThatIsNotABatch()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    const TBatchRun run = runBatch(input);
    QCOMPARE(run.Status, 2);
    QCOMPARE(run.Out, QString());
    QVERIFY2(run.Err.contains(message), qPrintable(run.Err));
}

void TestBatch::arbitraryBytes()
{
    // Bytes that are not text give rows in error, never a crash or an unexplained row, and
    // come back as UTF-8 text without NUL.
    QByteArray input = "calcul;type;distance\n";
    for (int i = 0; i < 256; ++i) {
        input += "km;";
        input += char(i);
        input += ';';
        input += char(255 - i);
        input += "\xC3\n";
    }
    const TBatchRun run = runBatch(input);
    QCOMPARE(run.Status, 1);
    const QByteArray out = run.Out.toUtf8();
    QVERIFY(!out.contains('\0'));
    QVERIFY(!run.Out.contains(QChar(u'\0')));
    TCsvReader reader(MemorySource(std::string_view(out.constData(), size_t(out.size()))));
    QCOMPARE(reader.Next(), TCsvReader::TRecord::Fields); // the header
    qsizetype failed = 0;
    while (reader.Next() == TCsvReader::TRecord::Fields) {
        const std::vector<std::string_view> &fields = reader.Fields();
        // Either computed (an empty reason closes the row) or closed by a reason.
        QVERIFY(fields.size() >= 6);
        failed += fields.back().empty() ? 0 : 1;
    }
    QVERIFY(failed > 0);
    QCOMPARE(run.Err.count(u'\n'), failed);
}

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
