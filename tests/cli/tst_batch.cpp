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
    void csvAsSpreadsheets_data();
    void csvAsSpreadsheets();
    void wordsAndHorsepowerColumns();
    void failedWriteStopsReading();
    void writtenFieldsReadBack_data();
    void writtenFieldsReadBack();
    void comparisonRows();
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
    QTest::newRow("long field quoted in part")
        << "km;2022;0;0;;;" + QByteArray(100, 'z')
        << u"Nombre illisible pour distance : « "_s + QString(40, u'z') + u"… »"_s;
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

void TestBatch::csvAsSpreadsheets_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");

    QTest::newRow("separators inside a quoted field")
        << QByteArray("note;calcul;type;puissance;distance\n"
                      "\"a;km;0;3;9000;b\";km;0;2;12000\n")
        << 0
        << Fr(u"note;calcul;type;puissance;distance;taux;forfait;montant;affiche;erreur\n"
              u"\"a;km;0;3;9000;b\";km;0;2;12000;0,357;1395;5679;5 679;\n"_s)
        << QString();
    QTest::newRow("doubled quotes and a line break, then a row of line 4")
        << QByteArray("calcul;type;distance;note\n"
                      "km;0;5000;\"dit \"\"oui\"\"\r\nfin\"\r\n"
                      "km;x;1\n")
        << 1
        << u"calcul;type;distance;note;taux;forfait;montant;affiche;erreur\n"
           u"km;0;5000;\"dit \"\"oui\"\"\r\nfin\";0,529;0;2645;"_s +
               Fr(u"2 645"_s) +
               u";\nkm;x;1;;;;;type illisible : « x » (automobile, moto, cyclomoteur ou 0 à 5)\n"_s
        << u"vemora-calc : ligne 4 : type illisible : « x » (automobile, moto, cyclomoteur ou 0 "
           u"à 5)\n"_s;
    QTest::newRow("a line break between quotes in the header, commas between fields")
        << QByteArray("\"a\nb\",calcul,type,distance\nx,km,0,100\n") << 0
        << u"\"a\nb\",calcul,type,distance,taux,forfait,montant,affiche,erreur\n"
           u"x,km,0,100,\"0,529\",0,\"52,900000000000000001\",53,\n"_s
        << QString();
    QTest::newRow("a comma in a column's name, semicolons between fields")
        << QByteArray("remarque, libre;calcul;type;distance\nx, y;km;0;100\n") << 0
        << u"remarque, libre;calcul;type;distance;taux;forfait;montant;affiche;erreur\n"
           u"x, y;km;0;100;0,529;0;52,900000000000000001;53;\n"_s
        << QString();
    QTest::newRow("comma between fields, decimal commas quoted")
        << QByteArray("calcul,type,puissance,distance\nkm,0,2,\"12000,4\"\n") << 0
        << Fr(u"calcul,type,puissance,distance,taux,forfait,montant,affiche,erreur\n"
              u"km,0,2,\"12000,4\",\"0,357\",1395,5679,5 679,\n"_s)
        << QString();
    QTest::newRow("a record too long and a quote never closed")
        << "calcul;type;distance\nkm;0;" + QByteArray(70000, '1') +
               "\nkm;0;5000\nkm;0;\"12\nkm;0;5\n"
        << 1
        << u"calcul;type;distance;taux;forfait;montant;affiche;erreur\n"
           u";;;;;;;ligne trop longue (plus de 64 Kio), non lue\n"
           u"km;0;5000;0,529;0;2645;"_s +
               Fr(u"2 645"_s) +
               u";\n;;;;;;;guillemet ouvert jamais fermé : la fin du fichier n'est pas lue\n"_s
        << u"vemora-calc : ligne 2 : ligne trop longue (plus de 64 Kio), non lue\n"
           u"vemora-calc : ligne 4 : guillemet ouvert jamais fermé : la fin du fichier n'est "
           u"pas lue\n"_s;
}

void TestBatch::csvAsSpreadsheets()
{
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, errors);
    const TBatchRun run = runBatch(input);
    QCOMPARE(run.Out, output);
    QCOMPARE(run.Err, errors);
    QCOMPARE(run.Status, status);
}

void TestBatch::wordsAndHorsepowerColumns()
{
    const TBatchRun run = runBatch("calcul;annee;type;electrique;cv;cc;carburant;statut;distance\n"
                                   "km;2025;automobile;oui;5;;;;12000\n"
                                   "km;2025;Cyclomoteur;;;;;;3000\n"
                                   "carburant;2025;deux-roues;;;49;;;10000\n"
                                   "carburant;2025;voiture;;9;;sans-plomb;salarie;10000\n"
                                   "km;2025;cyclomoteur;;2;;;;3000\n");
    QCOMPARE(run.Status, 1);
    QStringList shown;
    for (const QString &line : run.Out.split(u'\n', Qt::SkipEmptyParts).mid(1))
        shown << line.section(u';', -2, -2) + line.section(u';', -1);
    QCOMPARE(shown, (QStringList{Fr(u"6 810"_s), u"945"_s, u"370"_s, Fr(u"1 390"_s),
                                 u"Un cyclomoteur n'a pas de puissance administrative : ne la "
                                 u"donnez pas"_s}));
}

void TestBatch::failedWriteStopsReading()
{
    // A full disk: the first write fails, and the rest of a large file is not even read.
    QByteArray input = "calcul;type;distance\n";
    for (int i = 0; i < 100000; ++i)
        input += "km;0;" + QByteArray::number(i) + '\n';
    size_t read = 0;
    const TByteSource source =
        MemorySource(std::string_view(input.constData(), size_t(input.size())));
    int writes = 0;
    const int status = RunBatch(
        [&](char *buffer, size_t size, QString &error) {
            const std::ptrdiff_t n = source(buffer, size, error);
            read += size_t(std::max<std::ptrdiff_t>(n, 0));
            return n;
        },
        [&writes](std::string_view) {
            ++writes;
            return false;
        },
        [](std::string_view) { return true; });
    QCOMPARE(status, int(esOutputFailed));
    QCOMPARE(writes, 1);
    QVERIFY2(read < size_t(input.size()) / 4, qPrintable(QString::number(read)));
}

void TestBatch::writtenFieldsReadBack_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("semicolon") << QByteArray("a;b");
    QTest::newRow("comma") << QByteArray("1,5");
    QTest::newRow("quotes") << QByteArray("\"a\" \"");
    QTest::newRow("line feed") << QByteArray("a\nb");
    QTest::newRow("carriage return at the end") << QByteArray("a\r");
    QTest::newRow("carriage return and line feed") << QByteArray("\r\n");
    QTest::newRow("byte-order mark at the start") << QByteArray("\xEF\xBB\xBFx");
    QTest::newRow("blanks around") << QByteArray("  a  ");
}

// The field first, in the middle and last of two records, one ending in CR LF: read back the
// same with either separator, the first field of the file included.
void TestBatch::writtenFieldsReadBack()
{
    QFETCH(QByteArray, field);
    const std::string_view f(field.constData(), size_t(field.size()));
    for (const char separator : {';', ','}) {
        std::string file;
        for (const char *end : {"\r\n", "\n"}) {
            AppendCsvField(file, f, separator);
            AppendCsvField(file.append(1, separator), "x", separator);
            AppendCsvField(file.append(1, separator), f, separator);
            file.append(end);
        }
        TCsvReader reader(MemorySource(file));
        reader.SetSeparator(separator);
        for (int record = 0; record < 2; ++record) {
            QCOMPARE(reader.Next(), TCsvReader::TRecord::Fields);
            QCOMPARE(reader.Fields(), (std::vector<std::string_view>{f, "x", f}));
        }
        QCOMPARE(reader.Next(), TCsvReader::TRecord::End);
    }
}

void TestBatch::comparisonRows()
{
    // A motorcycle of 3 to 5 CV: 4 000 × 0,082 + 1 158; 300 days at 2,50 capped at 580; the
    // 10 % (2 500) is 434 € better, 177,94 € at 41 %. A mileage row beside it gets the
    // comparison's columns empty; rows in error name what is wrong.
    const TBatchRun run = runBatch("calcul;annee;salaire;bareme;type;puissance;distance;repas;"
                                   "teletravail_jours;taux_marginal\n"
                                   "frais-reels;2022;25000;km;moto;1;4000;;300;41\n"
                                   "km;2022;;;0;2;12000;;;\n"
                                   "frais-reels;2025;30000;avion;;;;;;\n"
                                   "frais-reels;2025;30000;;0;;100;;;\n"
                                   "frais-reels;2019;30000;;;;;;10;\n");
    const QString noWorkingFlat = u"Pas de forfait de télétravail pour les revenus 2019 (Pas de "
                                  u"forfait avant les revenus 2020 : le montant réel seulement) : "
                                  u"indiquez le montant réel"_s;
    const QStringList errors{u"bareme inconnu : « avion » (km ou carburant)"_s,
                             u"type va avec bareme (km ou carburant)"_s, noWorkingFlat};
    QCOMPARE(run.Out,
             u"calcul;annee;salaire;bareme;type;puissance;distance;repas;teletravail_jours;"
             u"taux_marginal;taux;forfait;montant;affiche;vehicule;frais_repas;frais_teletravail;"
             u"frais_reels;deduction_10;revenu_10;revenu_frais_reels;ecart;choix;a_declarer;"
             u"impot_evite;erreur\n"
             u"frais-reels;2022;25000;km;moto;1;4000;;300;41;0,082;1158;1486;"_s +
                 Fr(u"1 486"_s) +
                 u";1486;0;580;2066;2500;22500;22934;434;10%;;177,94;\n"
                 u"km;2022;;;0;2;12000;;;;0,357;1395;5679;"_s +
                 Fr(u"5 679"_s) + u";;;;;;;;;;;;\n"_s + u"frais-reels;2025;30000;avion;;;;;;"_s +
                 QString(16, u';') + errors[0] + u"\nfrais-reels;2025;30000;;0;;100;;;"_s +
                 QString(16, u';') + errors[1] + u"\nfrais-reels;2019;30000;;;;;;10;"_s +
                 QString(16, u';') + errors[2] + u'\n');
    QCOMPARE(run.Err, u"vemora-calc : ligne 4 : %1\nvemora-calc : ligne 5 : %2\n"
                      u"vemora-calc : ligne 6 : %3\n"_s.arg(errors[0], errors[1], errors[2]));
    QCOMPARE(run.Status, 1);

    // Comparisons alone need no vehicle columns. Declared euros round a half up: the pay
    // 30 000,50 is declared 30 001 and the costs 3 012,50 are 3 013, the 10 % taken to the cent.
    const TBatchRun alone = runBatch("calcul,salaire,frais_vehicule,autres_frais\n"
                                     "frais-reels,\"30000,50\",3000,\"12,5\"\n");
    QCOMPARE(alone.Out,
             u"calcul,salaire,frais_vehicule,autres_frais,taux,forfait,montant,affiche,vehicule,"
             u"frais_repas,frais_teletravail,frais_reels,deduction_10,revenu_10,"
             u"revenu_frais_reels,ecart,choix,a_declarer,impot_evite,erreur\n"
             u"frais-reels,\"30000,50\",3000,\"12,5\",,,,,3000,0,0,\"3012,5\",\"3000,05\",27000,"
             u"26988,12,frais-reels,3013,,\n"_s);
    QCOMPARE(alone.Status, 0);
}

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
