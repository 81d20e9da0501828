// PDF files of reports: the PNG resolution stamp, the PDF writer, writing the file in place
// and vemora-calc --pdf, checked with qpdf and the poppler tools.
#include "Calculation.h"
#include "Files.h"
#include "FrenchLocale.h"
#include "InkBox.h"
#include "PdfExport.h"
#include "PdfWriter.h"
#include "Png.h"
#include "Printing.h"
#include "PublishedScales.h"
#include "RealCosts.h"
#include "Report.h"
#include "ReportExamples.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(TCalcRequest)
Q_DECLARE_METATYPE(TReport)

namespace {

// Bytes placed just before an unreadable page: reading one byte too far stops the test.
class TGuardedBytes
{
public:
    explicit TGuardedBytes(QByteArrayView bytes)
        : m_size(bytes.size())
    {
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        m_length = (size_t(m_size) + page - 1) / page * page + page;
        void *base =
            mmap(nullptr, m_length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            qFatal("mmap: %s", std::strerror(errno));
        m_base = static_cast<char *>(base);
        if (mprotect(m_base + m_length - page, page, PROT_NONE) != 0)
            qFatal("mprotect: %s", std::strerror(errno));
        m_data = m_base + m_length - page - m_size;
        if (m_size > 0)
            std::memcpy(m_data, bytes.data(), size_t(m_size));
    }
    ~TGuardedBytes() { munmap(m_base, m_length); }
    TGuardedBytes(const TGuardedBytes &) = delete;
    TGuardedBytes &operator=(const TGuardedBytes &) = delete;

    QByteArrayView View() const { return QByteArrayView(m_data, m_size); }
    // Shares the guarded bytes until something is written into it.
    QByteArray Shared() const { return QByteArray::fromRawData(m_data, m_size); }

private:
    char *m_base = nullptr;
    size_t m_length = 0;
    char *m_data = nullptr;
    qsizetype m_size = 0;
};

struct TChunk
{
    qsizetype Offset;
    QByteArray Type;
    QByteArray Data;
};

QList<TChunk> chunksOf(const QByteArray &png)
{
    QList<TChunk> chunks;
    qsizetype position = 8;
    while (position + 12 <= png.size()) {
        const auto *p = reinterpret_cast<const uchar *>(png.constData() + position);
        const qsizetype length = qsizetype(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        if (position + 12 + length > png.size())
            break;
        chunks.append({position, png.mid(position + 4, 4), png.mid(position + 8, length)});
        position += 12 + length;
    }
    return chunks;
}

QByteArray withoutChunk(const QByteArray &png, const QByteArray &type)
{
    QByteArray out = png.left(8);
    for (const TChunk &chunk : chunksOf(png)) {
        if (chunk.Type != type)
            out += png.mid(chunk.Offset, 12 + chunk.Data.size());
    }
    return out;
}

qsizetype countChunks(const QByteArray &png, const QByteArray &type)
{
    qsizetype count = 0;
    for (const TChunk &chunk : chunksOf(png))
        count += chunk.Type == type ? 1 : 0;
    return count;
}

// A small page-like picture: white with a few black and grey marks.
QImage samplePicture()
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.fillRect(3, 4, 10, 2, Qt::black);
    painter.fillRect(20, 10, 7, 9, QColor(90, 140, 200));
    painter.end();
    return picture;
}

// A PNG from Qt's own writer, with its pHYs chunk taken out.
QByteArray pngWithoutPhys()
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    samplePicture().save(&buffer, "PNG");
    return withoutChunk(png, "pHYs");
}

struct TRun
{
    bool Started = false;
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

TRun run(const QString &program, const QStringList &args, const QString &runtimeDir = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"fr_FR.UTF-8"_s);
    if (!runtimeDir.isEmpty())
        env.insert(u"XDG_RUNTIME_DIR"_s, runtimeDir);
    process.setProcessEnvironment(env);
    process.start(program, args);
    TRun result;
    if (!process.waitForStarted(10000))
        return result;
    result.Started = true;
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Out = process.readAllStandardOutput();
    result.Err = process.readAllStandardError();
    return result;
}

// pdfinfo's fields, "Title" -> "Détail ...".
QHash<QString, QString> pdfInfo(const QString &file)
{
    const TRun info = run(u"pdfinfo"_s, {u"-enc"_s, u"UTF-8"_s, file});
    QHash<QString, QString> fields;
    for (const QString &line : QString::fromUtf8(info.Out).split(u'\n')) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0)
            fields.insert(line.left(colon), line.mid(colon + 1).trimmed());
    }
    return fields;
}

// The rows of pdfimages -list after its two heading lines, split into columns.
QList<QStringList> pdfImages(const QString &file)
{
    const TRun list = run(u"pdfimages"_s, {u"-list"_s, file});
    QList<QStringList> images;
    const QStringList lines = QString::fromUtf8(list.Out).split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i)
        images.append(lines.at(i).split(u' ', Qt::SkipEmptyParts));
    return images;
}

// What qpdf forgives: each xref entry must point at its object's first byte, startxref at the
// table, and each stream's /Length count the bytes up to the end of line before "endstream".
QByteArray structureFaults(const QByteArray &pdf)
{
    QByteArray faults;
    const qsizetype xref = pdf.lastIndexOf("\nxref\n") + 1;
    const qsizetype start = pdf.lastIndexOf("startxref\n");
    if (xref <= 0 || start < 0 || pdf.mid(start + 10).split('\n').value(0).toLongLong() != xref)
        return "startxref does not point at the xref table";
    const QList<QByteArray> lines = pdf.mid(xref).split('\n');
    const int count = lines.value(1).split(' ').value(1).toInt();
    for (int n = 1; n < count; ++n) {
        const qsizetype offset = lines.value(2 + n).left(10).toLongLong();
        if (!pdf.mid(offset).startsWith(QByteArray::number(n) + " 0 obj\n"))
            faults += "object " + QByteArray::number(n) + " not at its xref offset; ";
    }
    static const QRegularExpression stream(u"/Length (\\d+) >>\nstream\n"_s);
    for (auto m = stream.globalMatch(QString::fromLatin1(pdf)); m.hasNext();) {
        const QRegularExpressionMatch found = m.next();
        const qsizetype end = found.capturedEnd() + found.captured(1).toLongLong();
        if (!pdf.mid(end).startsWith("\nendstream\n"))
            faults +=
                "stream at " + QByteArray::number(found.capturedStart()) + " not of its /Length; ";
    }
    return faults;
}

bool qpdfAccepts(const QString &file, QByteArray &report)
{
    const TRun check = run(u"qpdf"_s, {u"--check"_s, file});
    report = check.Out + check.Err;
    QFile pdf(file);
    report += pdf.open(QIODevice::ReadOnly) ? structureFaults(pdf.readAll()) : "unreadable";
    return check.Started && check.Status == 0 && report == check.Out + check.Err;
}

// Checks the shape every exported report has: one A4 page covered by one 180 dpi picture.
void checkReportPdf(const QString &file, const QString &documentName)
{
    QByteArray qpdfReport;
    QVERIFY2(qpdfAccepts(file, qpdfReport), qpdfReport.constData());
    const QHash<QString, QString> info = pdfInfo(file);
    QCOMPARE(info.value(u"Pages"_s), u"1"_s);
    QVERIFY2(info.value(u"Page size"_s).startsWith(u"596 x 842 pts"_s),
             qPrintable(info.value(u"Page size"_s)));
    QCOMPARE(info.value(u"Title"_s), documentName);
    QCOMPARE(info.value(u"Subject"_s), documentName);
    QVERIFY(info.contains(u"Author"_s));
    QCOMPARE(info.value(u"Author"_s), QString());
    const QList<QStringList> images = pdfImages(file);
    QCOMPARE(images.size(), 1);
    // page num type width height color comp bpc ...
    QCOMPARE(images.first().mid(3, 5),
             (QStringList{u"1489"_s, u"2105"_s, u"rgb"_s, u"3"_s, u"8"_s}));
}

// The lines pdftotext reads in a PDF, blanks run together; empty lines left out.
QStringList pdfTextLines(const QString &file)
{
    const TRun text = run(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, file, u"-"_s});
    QStringList lines;
    for (const QString &line : QString::fromUtf8(text.Out).split(u'\n')) {
        if (!line.simplified().isEmpty())
            lines.append(line.simplified());
    }
    return lines;
}

// The lines of a recorded page as a reader of its PDF gets them: no-break spaces are spaces.
QStringList searchableLines(const TRecordedPage &page)
{
    QStringList lines;
    for (QString line : page.TextLines())
        lines.append(line.replace(QChar(0x202F), u' ')
                         .replace(QChar(0x00A0), u' ')
                         .replace(QChar(0x2212), u'-')
                         .simplified());
    return lines;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

TReport kmWorkedExample()
{
    return MakeKmReport(KmWorkedExample());
}

std::shared_ptr<TRecordedPage> recordedPage(const TReport &report)
{
    auto page = std::make_shared<TRecordedPage>();
    RecordReport(*page, report, VirtualA4Sheet());
    return page;
}

// The page as the export pictures it: replayed over the whole 180 dpi sheet, on white.
QImage expectedPicture(const TRecordedPage &page)
{
    QImage picture(1489, 2105, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    page.ReplayStretched(painter, QRectF(0, 0, 1489, 2105));
    painter.end();
    return picture;
}

struct TDifference
{
    int Largest = 0;        // the largest difference of one colour channel
    qint64 Differing = 0;   // pixels with a channel differing by more than the threshold
    double MeanChannel = 0; // the mean difference over every channel of every pixel
};

TDifference compareRgb(const QImage &a, const QImage &b, int threshold)
{
    TDifference result;
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *la = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *lb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d[3] = {qAbs(qRed(la[x]) - qRed(lb[x])), qAbs(qGreen(la[x]) - qGreen(lb[x])),
                              qAbs(qBlue(la[x]) - qBlue(lb[x]))};
            const int largest = std::max({d[0], d[1], d[2]});
            result.Largest = std::max(result.Largest, largest);
            result.Differing += largest > threshold ? 1 : 0;
            sum += d[0] + d[1] + d[2];
        }
    }
    result.MeanChannel = double(sum) / (3.0 * a.width() * a.height());
    return result;
}

// The PDF without its creation date, which changes from one run to the next.
QByteArray withoutCreationDate(QByteArray pdf)
{
    const qsizetype start = pdf.indexOf("/CreationDate (");
    const qsizetype end = start < 0 ? -1 : pdf.indexOf(')', start);
    if (end > start)
        pdf.remove(start, end - start + 1);
    return pdf;
}

QStringList split(const QString &args)
{
    return args.split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestPdfExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void checksums_data();
    void checksums();
    void byteSwap();
    void stampsTheResolution();
    void insertsPhysAfterHeader();
    void stampOnlyWithinThePicture();
    void damagedPngLeftAsItIs_data();
    void damagedPngLeftAsItIs();
    void neverReadsPastTheEnd();
    void exportsOnePage();
    void exportsOnePagePerRecordedPage();
    void textReadsAsTheReport_data();
    void textReadsAsTheReport();
    void exportFailures();
    void fileNames_data();
    void fileNames();
    void proposedName();
    void allowedExtensions_data();
    void allowedExtensions();
    void replacesAnExistingFile();
    void writeFailures_data();
    void writeFailures();
    void fullDiskKeepsTheOldFile();
    void commandLineWritesReport_data();
    void commandLineWritesReport();
    void commandLineRefusals_data();
    void commandLineRefusals();

private:
    QTemporaryDir m_runtime; // XDG_RUNTIME_DIR of the programs started, mode 0700
};

void TestPdfExport::initTestCase()
{
    PinFrenchLocale();
    QVERIFY(m_runtime.isValid());
    for (const QString &tool :
         {u"qpdf"_s, u"pdfinfo"_s, u"pdfimages"_s, u"pdftoppm"_s, u"pdftotext"_s, u"pdffonts"_s})
        QVERIFY2(run(tool, {u"-v"_s}).Started,
                 qPrintable(tool + u" is missing: scripts/install-deps.sh installs it"_s));
}

void TestPdfExport::checksums_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<uint>("crc");

    QTest::newRow("nothing") << QByteArray() << 0u;
    QTest::newRow("check value of the nine digits") << QByteArray("123456789") << 0xCBF43926u;
    // A 300 dpi stamp as libpng writes it: type and data of the chunk.
    QTest::newRow("pHYs of 11811 dots per metre")
        << QByteArray::fromHex("7048597300002e2300002e2301") << 0x78A53F76u;
}

void TestPdfExport::checksums()
{
    QFETCH(QByteArray, bytes);
    QFETCH(uint, crc);

    QCOMPARE(ComputeCrc32(bytes), crc);
}

void TestPdfExport::byteSwap()
{
    QCOMPARE(SwapBytes32(0x11223344u), 0x44332211u);
    QCOMPARE(SwapBytes32(0xCBF43926u), 0x2639F4CBu);
}

void TestPdfExport::stampsTheResolution()
{
    const QImage source = samplePicture();
    QByteArray png = EncodePng(source);
    QVERIFY(!png.isEmpty());
    SetPngResolution(png, 180);

    QCOMPARE(countChunks(png, "pHYs"), 1);
    const std::optional<qsizetype> data = FindPhysChunk(png);
    QVERIFY(data.has_value());
    // 180 dpi = 7087 dots per metre across and down, then the unit: the metre.
    QCOMPARE(png.mid(*data, 9).toHex(), QByteArray("00001baf00001baf01"));

    // The decoder drops an ancillary chunk whose check value is wrong.
    const QImage decoded = QImage::fromData(png, "PNG");
    QVERIFY(!decoded.isNull());
    QCOMPARE(decoded.dotsPerMeterX(), 7087);
    QCOMPARE(decoded.dotsPerMeterY(), 7087);
    QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), source);

    const std::optional<TPngData> pdfData = ReadPngData(png);
    QVERIFY(pdfData.has_value());
    QCOMPARE(pdfData->Width, 40);
    QCOMPARE(pdfData->Height, 30);
}

void TestPdfExport::insertsPhysAfterHeader()
{
    const QByteArray plain = pngWithoutPhys();
    QCOMPARE(countChunks(plain, "pHYs"), 0);
    QVERIFY(!FindPhysChunk(plain).has_value());

    QByteArray png = plain;
    SetPngResolution(png, 180);
    const QList<TChunk> chunks = chunksOf(png);
    QVERIFY(chunks.size() >= 4);
    QCOMPARE(chunks.at(0).Type, QByteArray("IHDR"));
    QCOMPARE(chunks.at(1).Type, QByteArray("pHYs"));
    QCOMPARE(chunks.at(1).Offset, qsizetype(33));
    QCOMPARE(chunks.at(1).Data.toHex(), QByteArray("00001baf00001baf01"));
    QCOMPARE(FindPhysChunk(png), std::optional<qsizetype>(41));
    // Everything else is as it was.
    QCOMPARE(withoutChunk(png, "pHYs"), plain);
    const QImage decoded = QImage::fromData(png, "PNG");
    QCOMPARE(decoded.dotsPerMeterX(), 7087);
    QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), samplePicture());
}

void TestPdfExport::damagedPngLeftAsItIs_data()
{
    QTest::addColumn<QByteArray>("bytes");

    // Bytes that are not a whole PNG are left alone: a stamp would not make them readable.
    // EncodePng's pHYs chunk lies at bytes 33 to 53: length, type, 9 data bytes, check value.
    const QByteArray png = EncodePng(samplePicture());
    QByteArray arbitrary;
    for (int i = 0; i < 300; ++i)
        arbitrary += char((i * 73 + 41) % 256);

    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("signature only") << png.left(8);
    QTest::newRow("cut inside the header chunk") << png.left(20);
    QTest::newRow("arbitrary bytes") << arbitrary;
    QTest::newRow("arbitrary bytes after the signature") << png.left(8) + arbitrary;
    QTest::newRow("cut right after the header chunk") << png.left(33);
    QTest::newRow("cut inside the pHYs length") << png.left(35);
    QTest::newRow("cut inside the pHYs type") << png.left(39);
    QTest::newRow("cut inside the pHYs data") << png.left(46);
    QTest::newRow("cut inside the pHYs check value") << png.left(52);
}

// A pHYs chunk after the picture's end is not the picture's; a resolution that pHYs cannot hold
// (not positive, or beyond 32 bits of pixels per metre) leaves the picture as it is.
void TestPdfExport::stampOnlyWithinThePicture()
{
    const QByteArray plain = pngWithoutPhys();
    QByteArray trailing = plain;
    trailing += QByteArray::fromHex("00000009") + "pHYs" + QByteArray(13, '\0');
    QVERIFY(!FindPhysChunk(trailing).has_value());
    SetPngResolution(trailing, 180);
    QCOMPARE(chunksOf(trailing).at(1).Type, QByteArray("pHYs")); // inserted after IHDR instead

    for (const int dpi : {0, -180, std::numeric_limits<int>::max()}) {
        QByteArray png = plain;
        SetPngResolution(png, dpi);
        QCOMPARE(png.toHex(), plain.toHex());
    }
}

void TestPdfExport::damagedPngLeftAsItIs()
{
    QFETCH(QByteArray, bytes);

    const TGuardedBytes guarded(bytes);
    const std::optional<qsizetype> found = FindPhysChunk(guarded.View());
    if (found)
        QVERIFY(*found <= bytes.size());
    QByteArray png = guarded.Shared();
    SetPngResolution(png, 180);
    QCOMPARE(png.toHex(), bytes.toHex());
}

void TestPdfExport::neverReadsPastTheEnd()
{
    // Every cut of a PNG with and without pHYs, and chunks claiming more than there is.
    QList<QByteArray> samples{EncodePng(samplePicture()), pngWithoutPhys()};
    for (const QByteArray &png : QList<QByteArray>(samples)) {
        for (const TChunk &chunk : chunksOf(png)) {
            for (const char *length :
                 {"\xFF\xFF\xFF\xFF", "\x7F\xFF\xFF\xF0", "\x00\x00\x00\x01"}) {
                QByteArray damaged = png;
                damaged.replace(chunk.Offset, 4, QByteArray(length, 4));
                samples.append(damaged);
            }
        }
    }
    for (const QByteArray &sample : std::as_const(samples)) {
        for (qsizetype size = 0; size <= sample.size(); ++size) {
            const TGuardedBytes guarded(QByteArrayView(sample).first(size));
            const std::optional<qsizetype> found = FindPhysChunk(guarded.View());
            QVERIFY(!found || *found <= size);
            QByteArray png = guarded.Shared();
            SetPngResolution(png, 180);
            QVERIFY(png.size() == size || png.size() == size + 21);
            (void)ReadPngData(guarded.View());
        }
    }
}

void TestPdfExport::exportsOnePage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto page = recordedPage(kmWorkedExample());
    const QString name = u"Détail des frais kilométriques 2022"_s;
    QByteArray pdf;
    QString error;
    QVERIFY2(RenderPagesToPdf({page}, 180, name, QDateTime(QDate(2023, 4, 12), QTime(9, 30)), pdf,
                              error),
             qPrintable(error));
    const QString file = dir.filePath(u"rapport.pdf"_s);
    QVERIFY2(WriteFileReplacing(file, pdf, error), qPrintable(error));
    checkReportPdf(file, name);
    if (QTest::currentTestFailed())
        return;

    // The picture in the file is the page replayed over the sheet, pixel for pixel.
    const QImage expected = expectedPicture(*page);
    const TRun extract = run(u"pdfimages"_s, {u"-png"_s, file, dir.filePath(u"img"_s)});
    QCOMPARE(extract.Status, 0);
    const QImage embedded =
        QImage(dir.filePath(u"img-000.png"_s)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(embedded.size(), QSize(1489, 2105));
    const TDifference exact = compareRgb(embedded, expected, 0);
    QVERIFY2(
        exact.Largest == 0,
        qPrintable(u"%1 pixels differ, by up to %2"_s.arg(exact.Differing).arg(exact.Largest)));

    // A reader's rendering of the page at the picture's resolution looks the same; the
    // reader resamples the picture, so edges of letters may shift a little.
    const TRun render =
        run(u"pdftoppm"_s, {u"-r"_s, u"180"_s, u"-scale-to-x"_s, u"1489"_s, u"-scale-to-y"_s,
                            u"2105"_s, u"-png"_s, file, dir.filePath(u"page"_s)});
    QCOMPARE(render.Status, 0);
    const QStringList pages = QDir(dir.path()).entryList({u"page*.png"_s});
    QCOMPARE(pages.size(), 1);
    const QImage rendered =
        QImage(dir.filePath(pages.first())).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(rendered.size(), QSize(1489, 2105));
    // Measured here: letters' edges differ by up to 178 levels on 0.28 % of the pixels, a mean
    // of 0.56 level per channel; the same picture one pixel aside differs on 0.56 %.
    const TDifference close = compareRgb(rendered, expected, 64);
    qInfo("pdftoppm against the picture: largest channel difference %d, %lld pixels beyond 64, "
          "mean channel difference %.4f",
          close.Largest, close.Differing, close.MeanChannel);
    QVERIFY(close.MeanChannel < 1.0);
    QVERIFY(close.Differing < 1489 * 2105 / 250);
    const QRect renderedInk = inkBox(rendered);
    const QRect expectedInk = inkBox(expected);
    QVERIFY2(qAbs(renderedInk.left() - expectedInk.left()) <= 1 &&
                 qAbs(renderedInk.top() - expectedInk.top()) <= 1 &&
                 qAbs(renderedInk.right() - expectedInk.right()) <= 1 &&
                 qAbs(renderedInk.bottom() - expectedInk.bottom()) <= 1,
             "the text does not stand where the picture has it");
}

void TestPdfExport::exportsOnePagePerRecordedPage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TPageList pages{recordedPage(kmWorkedExample()), recordedPage(kmWorkedExample())};
    QByteArray pdf;
    QString error;
    QVERIFY2(RenderPagesToPdf(pages, 180, u"Rapports"_s, QDateTime::currentDateTime(), pdf, error),
             qPrintable(error));
    const QString file = dir.filePath(u"rapports.pdf"_s);
    QVERIFY(WriteBytes(file, pdf));
    QByteArray qpdfReport;
    QVERIFY2(qpdfAccepts(file, qpdfReport), qpdfReport.constData());
    QCOMPARE(pdfInfo(file).value(u"Pages"_s), u"2"_s);
    const QList<QStringList> images = pdfImages(file);
    QCOMPARE(images.size(), 2);
    QCOMPARE(images.at(0).at(0), u"1"_s);
    QCOMPARE(images.at(1).at(0), u"2"_s);
}

void TestPdfExport::textReadsAsTheReport_data()
{
    QTest::addColumn<TReport>("report");
    QTest::addColumn<bool>("a5"); // on an A5 sheet, where the report shrinks to fit
    QTest::addColumn<QString>("searched");

    QTest::newRow("mileage worked example") << kmWorkedExample() << false << u"3 751 Euros"_s;
    QTest::newRow("fuel worked example")
        << MakeFuelReport(FuelWorkedExample()) << false << u"Carburant : Gazole"_s;
    QTest::newRow("mileage on A5") << kmWorkedExample() << true << u"= 3 751,20 Euros"_s;
    // Every sign of French text the standard fonts' encoding holds beyond ASCII, read back as
    // itself: a wrong byte in the encoding's table gives another character.
    TReport signs = kmWorkedExample();
    const QString french = u"œ Œ € ’ ‘ “ ” « » … – — ‰ • é è ê ë à â ä ç î ï ô ö û ù ü ÿ Ÿ "
                           u"É È Ê À Â Ç Î Ô Û ° ² × ½"_s;
    signs.Details.insert(0, {u"Signes :   "_s, french});
    QTest::newRow("every French sign") << signs << false << french;
    const TRealCostsSet &set = *FindRealCostsSet(2024);
    TRealCostsInput costs;
    costs.Salary = 30000;
    costs.Vehicle = 6750;
    costs.VehicleOrigin = u"barème kilométrique 2024 : 15 000 km, 5 CV"_s;
    costs.Meals = 200;
    costs.HomeWorkDays = 300;
    QTest::newRow("actual costs or 10 %")
        << MakeRealCostsReport(2024, costs, ComputeRealCosts(costs, set), set) << false
        << u"Revenu imposable avec les frais réels : 30 000,00 - 8 446 = 21 554 €"_s;
}

void TestPdfExport::textReadsAsTheReport()
{
    QFETCH(TReport, report);
    QFETCH(bool, a5);
    QFETCH(QString, searched);

    TDeviceCaps caps = VirtualA4Sheet();
    if (a5) {
        caps.HorzSizeMm = 148;
        caps.VertSizeMm = 210;
        caps.PhysicalWidth = 3496;
        caps.PhysicalHeight = 4961;
        caps.Printable = QRect(0, 0, 3496, 4961);
    }
    auto page = std::make_shared<TRecordedPage>();
    RecordReport(*page, report, caps);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray pdf;
    QString error;
    QVERIFY2(RenderPagesToPdf({page}, 180, report.Title, QDateTime::currentDateTime(), pdf, error),
             qPrintable(error));
    const QString file = dir.filePath(u"rapport.pdf"_s);
    QVERIFY(WriteBytes(file, pdf));

    // Every line of the report, in order, with its accents, apostrophes and thousands.
    const QStringList lines = pdfTextLines(file);
    QCOMPARE(lines, searchableLines(*page));
    QCOMPARE(lines.size(), report.Details.size() + 2);
    QVERIFY2(lines.filter(searched).size() == 1, qPrintable(lines.join(u'\n')));
    QVERIFY(pdf.contains("/Lang (fr-FR)"));
    QCOMPARE(pdfInfo(file).value(u"Title"_s), report.Title);
    const QString fonts = QString::fromUtf8(run(u"pdffonts"_s, {file}).Out);
    QVERIFY2(fonts.contains(QRegularExpression(u"\nHelvetica +Type 1 +WinAnsi"_s)) &&
                 fonts.contains(QRegularExpression(u"\nHelvetica-Bold +Type 1 +WinAnsi"_s)),
             qPrintable(fonts));

    // The text shows nothing: the page looks exactly as its picture alone does.
    TPdfDocument pictureOnly;
    const QSize sheet = PageSizeAtDpi(caps, 180);
    const QSize points((sheet.width() * 72 + 179) / 180, (sheet.height() * 72 + 179) / 180);
    pictureOnly.SetDefaultPageSize(points.width(), points.height());
    pictureOnly.AddPage();
    QImage picture(sheet, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    page->ReplayStretched(painter, QRectF(QPointF(0, 0), QSizeF(sheet)));
    painter.end();
    DrawPdfImage(pictureOnly, 0, 0, points.width(), points.height(), EncodePng(picture), u"img0"_s);
    const QString bare = dir.filePath(u"image.pdf"_s);
    QVERIFY(WriteBytes(bare, pictureOnly.ToBytes()));
    for (const QString &name : {file, bare})
        QCOMPARE(run(u"pdftoppm"_s, {u"-r"_s, u"72"_s, u"-png"_s, name, name}).Status, 0);
    QCOMPARE(QImage(file + u"-1.png"_s), QImage(bare + u"-1.png"_s));
}

void TestPdfExport::exportFailures()
{
    QByteArray pdf;
    QString error;
    QVERIFY(!RenderPagesToPdf({}, 180, u"Rapport"_s, QDateTime::currentDateTime(), pdf, error));
    QVERIFY(pdf.isEmpty());

    // A sheet without resolution has no size to picture.
    TDeviceCaps caps = VirtualA4Sheet();
    caps.LogPixelsX = 0;
    auto page = std::make_shared<TRecordedPage>();
    RecordReport(*page, kmWorkedExample(), caps);
    QVERIFY(!RenderPagesToPdf({page}, 180, u"Rapport"_s, QDateTime::currentDateTime(), pdf, error));
    QCOMPARE(error, u"La taille de la page est nulle."_s);
    QVERIFY(pdf.isEmpty());

    TPdfDocument document;
    QVERIFY_THROWS_EXCEPTION(
        TPdfError, DrawPdfImage(document, 0, 0, 10, 10, EncodePng(samplePicture()), u"img0"_s));
    document.AddPage();
    QVERIFY_THROWS_EXCEPTION(TPdfError,
                             DrawPdfImage(document, 0, 0, 10, 10, "pas une image", u"img0"_s));
}

void TestPdfExport::fileNames_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("extension");

    QTest::newRow("plain name") << u"rapport.pdf"_s << u".pdf"_s;
    QTest::newRow("upper case") << u"RAPPORT.PDF"_s << u".pdf"_s;
    QTest::newRow("dot in a folder only") << u"/x/y.z/rapport"_s << QString();
    QTest::newRow("last dot counts") << u"/x/rapport.2022.pdf"_s << u".pdf"_s;
    QTest::newRow("no extension") << u"rapport"_s << QString();
}

void TestPdfExport::fileNames()
{
    QFETCH(QString, fileName);
    QFETCH(QString, extension);

    QCOMPARE(FileExtension(fileName), extension);
}

void TestPdfExport::proposedName()
{
    // The extension comes with the file dialog's filter, not with the proposed name.
    QCOMPARE(ProposedPdfName(u"2021"_s), u"Frais_kilométriques_2021"_s);
    QCOMPARE(FileExtension(ProposedPdfName(u"2021"_s)), QString());
}

void TestPdfExport::allowedExtensions_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("pdf among pdf") << u".pdf"_s << u".pdf"_s << true;
    QTest::newRow("upper-case PDF") << u".PDF"_s << u".pdf"_s << true;
    QTest::newRow("txt refused") << u".txt"_s << u".pdf"_s << false;
    QTest::newRow("no extension where none is wanted") << QString() << QString() << true;
    QTest::newRow("no extension where pdf is wanted") << QString() << u".pdf"_s << false;
    QTest::newRow("first of two") << u".pdf"_s << u".pdf;.txt"_s << true;
    QTest::newRow("second of two") << u".TXT"_s << u".pdf;.txt"_s << true;
    QTest::newRow("neither of two") << u".png"_s << u".pdf;.txt"_s << false;
    QTest::newRow("both of two together") << u".pdf;.txt"_s << u".pdf;.txt"_s << false;
}

void TestPdfExport::allowedExtensions()
{
    QFETCH(QString, extension);
    QFETCH(QString, allowed);
    QFETCH(bool, accepted);

    QCOMPARE(IsAllowedExtension(extension, allowed), accepted);
}

void TestPdfExport::replacesAnExistingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"rapport.pdf"_s);
    QVERIFY(WriteBytes(file, QByteArray(5000, 'x')));
    QByteArray pdf;
    QString error;
    QVERIFY(RenderPagesToPdf({recordedPage(kmWorkedExample())}, 180, u"Rapport"_s,
                             QDateTime::currentDateTime(), pdf, error));
    QVERIFY2(WriteFileReplacing(file, pdf, error), qPrintable(error));
    QCOMPARE(BytesOf(file), pdf);
    QCOMPARE(entriesOf(dir.path()), QStringList{u"rapport.pdf"_s});
    QByteArray qpdfReport;
    QVERIFY2(qpdfAccepts(file, qpdfReport), qpdfReport.constData());
}

void TestPdfExport::writeFailures_data()
{
    QTest::addColumn<QString>("relativeName");
    QTest::addColumn<QString>("error");

    QTest::newRow("missing folder")
        << u"absent/rapport.pdf"_s << u"Le dossier ou le fichier n'existe pas."_s;
    QTest::newRow("folder that is a regular file")
        << u"fichier/rapport.pdf"_s << u"Un élément du chemin n'est pas un dossier."_s;
    QTest::newRow("name of a folder") << u"dossier"_s << u"Le chemin désigne un dossier."_s;
}

void TestPdfExport::writeFailures()
{
    QFETCH(QString, relativeName);
    QFETCH(QString, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WriteBytes(dir.filePath(u"fichier"_s), "contenu"));
    QVERIFY(QDir(dir.path()).mkdir(u"dossier"_s));
    const QStringList before = entriesOf(dir.path());

    QString message;
    QVERIFY(!WriteFileReplacing(dir.filePath(relativeName), "%PDF-1.4", message));
    QCOMPARE(message, error);
    QCOMPARE(entriesOf(dir.path()), before);
    QCOMPARE(BytesOf(dir.filePath(u"fichier"_s)), QByteArray("contenu"));
    QVERIFY(entriesOf(dir.filePath(u"dossier"_s)).isEmpty());
}

void TestPdfExport::fullDiskKeepsTheOldFile()
{
    // A file-size limit of 8 KiB stands in for a full disk: the report's PDF is far larger.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"rapport.pdf"_s);
    QByteArray old = "%PDF-1.4 ancien rapport\n";
    old = old.repeated(120);
    QVERIFY(WriteBytes(file, old));

    const TRun calc =
        run(u"bash"_s,
            {u"-c"_s, u"ulimit -f 8; exec \"$0\" \"$@\""_s, QStringLiteral(VEMORA_CALC), u"km"_s,
             u"--kind"_s, u"0"_s, u"--distance"_s, u"12000"_s, u"--pdf"_s, file},
            m_runtime.path());
    QVERIFY(calc.Started);
    QVERIFY2(calc.Status > 0, qPrintable(u"status %1"_s.arg(calc.Status)));
    const QStringList errLines = QString::fromUtf8(calc.Err).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!errLines.isEmpty());
    QVERIFY2(errLines.last().startsWith(u"vemora-calc : Une erreur s'est produite"_s),
             calc.Err.constData());
    QVERIFY2(errLines.last().contains(SystemErrorText(EFBIG)), calc.Err.constData());
    QVERIFY(calc.Out.isEmpty());
    QCOMPARE(BytesOf(file), old);
    QCOMPARE(entriesOf(dir.path()), QStringList{u"rapport.pdf"_s});
}

void TestPdfExport::commandLineWritesReport_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<TCalcRequest>("request");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("documentName");

    TCalcRequest km;
    km.Type = tcKmCost;
    km.Year = 2022;
    km.Kind = 0;
    km.Power = 2;
    km.ByDays = true;
    km.PerDay = u"30"_s;
    km.Days = u"220"_s;
    QTest::newRow("mileage worked example")
        << u"km --year 2022 --kind 0 --power 2 --per-day 30 --days 220"_s << km << Fr(u"3 751"_s)
        << u"Détail des frais kilométriques 2022"_s;

    TCalcRequest fuel;
    fuel.Type = tcFuelCost;
    fuel.Year = 2022;
    fuel.Kind = 0;
    fuel.Power = 1;
    fuel.Fuel = 0;
    fuel.Distance = u"10000"_s;
    QTest::newRow("fuel worked example")
        << u"fuel --year 2022 --kind 0 --power 1 --fuel 0 --distance 10000"_s << fuel
        << Fr(u"1 260"_s) << u"Détail des frais forfaitaires de carburant 2022"_s;
}

void TestPdfExport::commandLineWritesReport()
{
    QFETCH(QString, args);
    QFETCH(TCalcRequest, request);
    QFETCH(QString, shown);
    QFETCH(QString, documentName);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"rapport.pdf"_s);
    const TRun calc =
        run(QStringLiteral(VEMORA_CALC), split(args) << u"--pdf"_s << file, m_runtime.path());
    QVERIFY2(calc.Status == 0, calc.Err.constData());
    QCOMPARE(QString::fromUtf8(calc.Out), shown + u'\n');
    checkReportPdf(file, documentName);

    // The same file as the export makes of the page recorded in this process.
    TCalcResult result;
    QString error;
    QVERIFY2(ComputeRequest(request, {u"--distance"_s, u"--per-day"_s, u"--days"_s}, result, error),
             qPrintable(error));
    QCOMPARE(result.Shown, shown);
    QByteArray pdf;
    const auto page = recordedPage(RequestReport(request, result));
    QVERIFY(RenderPagesToPdf({page}, 180, documentName, QDateTime::currentDateTime(), pdf, error));
    QVERIFY(withoutCreationDate(BytesOf(file)) == withoutCreationDate(pdf));
    QCOMPARE(pdfTextLines(file), searchableLines(*page));
}

void TestPdfExport::commandLineRefusals_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("message");

    QTest::newRow("text file name") << u"--pdf rapport.txt"_s
                                    << u"vemora-calc : L'extension du fichier : .txt, n'est pas "
                                       u"valide."_s;
    QTest::newRow("unknown printer") << u"--pdf rapport.pdf --printer Imprimante_absente"_s
                                     << u"vemora-calc : Imprimante inconnue : Imprimante_absente"_s;
}

void TestPdfExport::commandLineRefusals()
{
    QFETCH(QString, args);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList arguments = split(u"km --kind 0 --distance 12000 "_s + args);
    const qsizetype pdf = arguments.indexOf(u"--pdf"_s) + 1;
    arguments[pdf] = dir.filePath(arguments.at(pdf));
    const TRun calc = run(QStringLiteral(VEMORA_CALC), arguments, m_runtime.path());
    QCOMPARE(calc.Status, 2);
    QVERIFY2(QString::fromUtf8(calc.Err).split(u'\n').contains(message), calc.Err.constData());
    QVERIFY(calc.Out.isEmpty());
    QVERIFY(entriesOf(dir.path()).isEmpty());
}

QTEST_MAIN(TestPdfExport)
#include "tst_pdfexport.moc"
