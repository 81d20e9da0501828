// Millimetres and printer dots, font sizes, text placement and recorded pages.
#include "FrenchLocale.h"
#include "InkBox.h"
#include "PageModel.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

TDeviceCaps sheetAt(int dpi)
{
    TDeviceCaps caps = VirtualA4Sheet();
    caps.LogPixelsX = dpi;
    caps.LogPixelsY = dpi;
    return caps;
}

// A target whose texts all measure the same and which keeps what it is asked to draw.
class TFakeTarget : public TDrawTarget
{
public:
    struct TCall
    {
        int X;
        int Y;
        QString Text;
    };

    TFakeTarget(int width, int height)
        : m_width(width)
        , m_height(height)
    {
    }
    const TDeviceCaps &Caps() const override { return m_caps; }
    void SetFont(const QString &, int, bool) override {}
    void SetBold(bool) override {}
    int TextWidth(const QString &) const override { return m_width; }
    int TextHeight(const QString &) const override { return m_height; }
    void TextOut(int x, int y, const QString &text) override { Calls.append({x, y, text}); }

    QList<TCall> Calls;

private:
    TDeviceCaps m_caps = VirtualA4Sheet();
    int m_width;
    int m_height;
};

} // namespace

class TestPageModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PinFrenchLocale(); }
    void millimetresToDots_data();
    void millimetresToDots();
    void dotsToMillimetres_data();
    void dotsToMillimetres();
    void sheetSize_data();
    void sheetSize();
    void printerFontSize_data();
    void printerFontSize();
    void recordedCellHeight_data();
    void recordedCellHeight();
    void printerCharacterHeight_data();
    void printerCharacterHeight();
    void alignTextX_data();
    void alignTextX();
    void textOutMm_data();
    void textOutMm();
    void textOutMmDrawsNothing_data();
    void textOutMmDrawsNothing();
    void recordingIsStoredWhenTargetEnds();
    void replayStretchedScalesThePage();
};

void TestPageModel::millimetresToDots_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("across");
    QTest::addColumn<double>("mm");
    QTest::addColumn<qint64>("dots");

    QTest::newRow("left edge 22 mm across at 600 dpi") << 600 << true << 22.0 << qint64(520);
    QTest::newRow("title line 28 mm down at 600 dpi") << 600 << false << 28.0 << qint64(661);
    QTest::newRow("first line 45 mm down at 600 dpi") << 600 << false << 45.0 << qint64(1063);
    QTest::newRow("left edge 22 mm across at 300 dpi") << 300 << true << 22.0 << qint64(260);
    QTest::newRow("whole sheet width at 600 dpi") << 600 << true << 210.0 << qint64(4961);
    QTest::newRow("negative millimetres at 600 dpi") << 600 << true << -5.0 << qint64(-118);
    // 254 dpi is exactly 10 dots per millimetre: halves land on whole dots and go to even.
    QTest::newRow("half dot at 254 dpi goes down to even") << 254 << true << 2.25 << qint64(22);
    QTest::newRow("half dot at 254 dpi goes up to even") << 254 << false << 0.75 << qint64(8);
    QTest::newRow("no resolution") << 0 << false << 45.0 << qint64(0);
}

void TestPageModel::millimetresToDots()
{
    QFETCH(int, dpi);
    QFETCH(bool, across);
    QFETCH(double, mm);
    QFETCH(qint64, dots);

    const TDeviceCaps caps = sheetAt(dpi);
    QCOMPARE(across ? MmToDevX(caps, mm) : MmToDevY(caps, mm), dots);
}

void TestPageModel::dotsToMillimetres_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("across");
    QTest::addColumn<int>("dots");
    QTest::addColumn<qint64>("mm");

    QTest::newRow("10 pt cell of 83 dots down") << 600 << false << 83 << qint64(4);
    QTest::newRow("12 pt cell of 100 dots down") << 600 << false << 100 << qint64(4);
    QTest::newRow("520 dots across") << 600 << true << 520 << qint64(22);
    QTest::newRow("half millimetre at 254 dpi goes down to even") << 254 << true << 25 << qint64(2);
    QTest::newRow("half millimetre at 254 dpi goes up to even") << 254 << false << 35 << qint64(4);
    QTest::newRow("no resolution across") << 0 << true << 500 << qint64(0);
    QTest::newRow("no resolution down") << 0 << false << 500 << qint64(0);
}

void TestPageModel::dotsToMillimetres()
{
    QFETCH(int, dpi);
    QFETCH(bool, across);
    QFETCH(int, dots);
    QFETCH(qint64, mm);

    const TDeviceCaps caps = sheetAt(dpi);
    QCOMPARE(across ? DevToMmX(caps, dots) : DevToMmY(caps, dots), mm);
}

void TestPageModel::sheetSize_data()
{
    QTest::addColumn<int>("dpiX");
    QTest::addColumn<int>("dpiY");
    QTest::addColumn<int>("pictureDpi");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");
    QTest::addColumn<QSize>("picture");

    // 4961 / 600 x 25.4 and 7016 / 600 x 25.4.
    QTest::newRow("A4 at 600 dpi pictured at 180 dpi")
        << 600 << 600 << 180 << 210.01566666666668 << 297.01066666666668 << QSize(1489, 2105);
    QTest::newRow("A4 at 600 dpi pictured at its own resolution")
        << 600 << 600 << 600 << 210.01566666666668 << 297.01066666666668 << QSize(4961, 7016);
    QTest::newRow("no resolution across")
        << 0 << 600 << 180 << 0.0 << 297.01066666666668 << QSize(0, 0);
    QTest::newRow("no resolution down")
        << 600 << 0 << 180 << 210.01566666666668 << 0.0 << QSize(0, 0);
    QTest::newRow("picture without resolution")
        << 600 << 600 << 0 << 210.01566666666668 << 297.01066666666668 << QSize(0, 0);
}

void TestPageModel::sheetSize()
{
    QFETCH(int, dpiX);
    QFETCH(int, dpiY);
    QFETCH(int, pictureDpi);
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);
    QFETCH(QSize, picture);

    TDeviceCaps caps = VirtualA4Sheet();
    caps.LogPixelsX = dpiX;
    caps.LogPixelsY = dpiY;
    QVERIFY(qAbs(PageWidthMm(caps) - widthMm) < 1e-9);
    QVERIFY(qAbs(PageHeightMm(caps) - heightMm) < 1e-9);
    QCOMPARE(PageSizeAtDpi(caps, pictureDpi), picture);
}

void TestPageModel::printerFontSize_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("size");

    QTest::newRow("12 pt on the printer") << 12 << false << 600 << 12;
    QTest::newRow("10 pt on the printer") << 10 << false << 600 << 10;
    QTest::newRow("12 pt recorded at 600 dpi") << 12 << true << 600 << -100;
    QTest::newRow("10 pt recorded at 600 dpi") << 10 << true << 600 << -83;
    QTest::newRow("10 pt recorded at 300 dpi") << 10 << true << 300 << -42;
}

void TestPageModel::printerFontSize()
{
    QFETCH(int, points);
    QFETCH(bool, recorded);
    QFETCH(int, dpi);
    QFETCH(int, size);

    QCOMPARE(PrinterFontSize(points, recorded, sheetAt(dpi)), size);
}

void TestPageModel::recordedCellHeight_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("cell");

    // round(|size| x 96 / 72): 100 -> 133 and 83 -> 111 dots.
    QTest::newRow("12 pt bold title") << 12 << true << 133;
    QTest::newRow("12 pt regular") << 12 << false << 133;
    QTest::newRow("10 pt bold label") << 10 << true << 111;
    QTest::newRow("10 pt regular value") << 10 << false << 111;
}

void TestPageModel::recordedCellHeight()
{
    QFETCH(int, points);
    QFETCH(bool, bold);
    QFETCH(int, cell);

    const TDeviceCaps caps = VirtualA4Sheet();
    TRecordedPage page;
    TRecordingTarget target(page, caps);
    target.SetFont(u"Arial"_s, PrinterFontSize(points, true, caps), bold);
    // The font's pixel size is a whole number: the cell it gives may miss by one dot.
    QVERIFY2(qAbs(target.TextHeight(u"Véhicule :   "_s) - cell) <= 1,
             qPrintable(u"cell height %1"_s.arg(target.TextHeight(u"Véhicule :   "_s))));
}

void TestPageModel::printerCharacterHeight_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("pixelSize");

    QTest::newRow("12 pt title") << 12 << 100;
    QTest::newRow("10 pt line") << 10 << 83;
}

void TestPageModel::printerCharacterHeight()
{
    QFETCH(int, points);
    QFETCH(int, pixelSize);

    const TDeviceCaps caps = VirtualA4Sheet();
    // A picture stands in for the printer's page.
    QImage sheet(2000, 400, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    TPainterTarget printed(painter, caps);
    printed.SetFont(u"Arial"_s, PrinterFontSize(points, false, caps), true);
    printed.TextOut(10, 10, u"Véhicule :   "_s);
    QCOMPARE(painter.font().pixelSize(), pixelSize);
    QVERIFY(!inkBox(sheet).isEmpty());

    // The same size on a recorded page comes out larger than on the printer.
    TRecordedPage page;
    TRecordingTarget recorded(page, caps);
    recorded.SetFont(u"Arial"_s, PrinterFontSize(points, true, caps), true);
    QVERIFY2(recorded.TextHeight(u"Véhicule"_s) > printed.TextHeight(u"Véhicule"_s),
             qPrintable(u"recorded %1, printed %2"_s.arg(recorded.TextHeight(u"Véhicule"_s))
                            .arg(printed.TextHeight(u"Véhicule"_s))));
    QVERIFY(recorded.TextWidth(u"Véhicule"_s) > printed.TextWidth(u"Véhicule"_s));
}

void TestPageModel::alignTextX_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("start");

    QTest::newRow("centred, odd room halved toward zero")
        << 501 << 0 << 2000 << int(alCenter) << 749;
    QTest::newRow("centred from a left margin") << 501 << 100 << 2000 << int(alCenter) << 799;
    QTest::newRow("centred text wider than the span") << 3000 << 0 << 2000 << int(alCenter) << 0;
    QTest::newRow("right aligned") << 501 << 0 << 2000 << int(alRight) << 1499;
    QTest::newRow("right aligned text wider than the span")
        << 3000 << 0 << 2000 << int(alRight) << 0;
    QTest::newRow("right aligned at the 16-bit limit")
        << 501 << 0 << 32767 << int(alRight) << 32266;
    QTest::newRow("left leaves x") << 501 << 300 << 2000 << int(alLeft) << 300;
    QTest::newRow("left leaves x past the right edge") << 3000 << 300 << 2000 << int(alLeft) << 300;
}

void TestPageModel::alignTextX()
{
    QFETCH(int, width);
    QFETCH(int, x);
    QFETCH(int, right);
    QFETCH(int, align);
    QFETCH(int, start);

    const TFakeTarget target(width, 111);
    QCOMPARE(int(AlignTextX(target, u"texte"_s, int16_t(x), int16_t(right), align)), start);
}

void TestPageModel::textOutMm_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("xRight");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("align");
    QTest::addColumn<QPoint>("topLeft");

    // The fake text is 501 dots wide and 111 dots high; 45 mm down is dot 1063.
    QTest::newRow("bottom of the cell on the line")
        << 22 << 0 << 45 << int(alLeft) << QPoint(520, 952);
    QTest::newRow("top above the printable area") << 22 << 0 << 2 << int(alLeft) << QPoint(520, 0);
    QTest::newRow("line above the sheet") << 22 << 0 << -5 << int(alLeft) << QPoint(520, 0);
    QTest::newRow("left of the printable area") << -5 << 0 << 45 << int(alLeft) << QPoint(0, 952);
    // (4961 - 501) / 2 = 2230; 100 mm is dot 2362.
    QTest::newRow("centred across the sheet")
        << 0 << 210 << 45 << int(alCenter) << QPoint(2230, 952);
    QTest::newRow("right aligned on 100 mm") << 0 << 100 << 45 << int(alRight) << QPoint(1861, 952);
    QTest::newRow("right aligned too far left") << 0 << 10 << 45 << int(alRight) << QPoint(0, 952);
}

void TestPageModel::textOutMm()
{
    QFETCH(int, x);
    QFETCH(int, xRight);
    QFETCH(int, y);
    QFETCH(int, align);
    QFETCH(QPoint, topLeft);

    TFakeTarget target(501, 111);
    TextOutMm(target, x, xRight, y, u"Puissance :   "_s, align);
    QCOMPARE(target.Calls.size(), 1);
    QCOMPARE(QPoint(target.Calls.first().X, target.Calls.first().Y), topLeft);
    QCOMPARE(target.Calls.first().Text, u"Puissance :   "_s);
}

void TestPageModel::textOutMmDrawsNothing_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("text");

    QTest::newRow("line at 0 mm") << 0 << u"Puissance :   "_s;
    QTest::newRow("empty text") << 45 << QString();
}

void TestPageModel::textOutMmDrawsNothing()
{
    QFETCH(int, y);
    QFETCH(QString, text);

    TFakeTarget target(501, 111);
    TextOutMm(target, 22, 0, y, text, alLeft);
    QVERIFY(target.Calls.isEmpty());
}

void TestPageModel::recordingIsStoredWhenTargetEnds()
{
    const TDeviceCaps caps = VirtualA4Sheet();
    TRecordedPage page;
    QVERIFY(!page.IsRecorded());
    {
        TRecordingTarget target(page, caps);
        target.SetFont(u"Arial"_s, PrinterFontSize(10, true, caps), true);
        target.TextOut(520, 952, u"Véhicule :   "_s);
        target.SetBold(false);
        target.TextOut(1000, 952, u"Automobile thermique"_s);
        QVERIFY(!page.IsRecorded());
    }
    QVERIFY(page.IsRecorded());
    QCOMPARE(page.NaturalSize(), QSize(4961, 7016));
    QCOMPARE(page.Caps().LogPixelsY, 600);
    QCOMPARE(page.Operations().size(), 2);
    QCOMPARE(page.Operations().at(0).Position, QPoint(520, 952));
    QVERIFY(page.Operations().at(0).Font.bold());
    QCOMPARE(page.Operations().at(1).Text, u"Automobile thermique"_s);
    QVERIFY(!page.Operations().at(1).Font.bold());
}

void TestPageModel::replayStretchedScalesThePage()
{
    const TDeviceCaps caps = VirtualA4Sheet();
    TRecordedPage page;
    {
        TRecordingTarget target(page, caps);
        target.SetFont(u"Arial"_s, PrinterFontSize(12, true, caps), true);
        target.TextOut(1000, 2000, u"HHHH"_s);
    }
    const QRect natural = [&] {
        QImage full(caps.Printable.size(), QImage::Format_RGB32);
        full.fill(Qt::white);
        QPainter painter(&full);
        page.Replay(painter, QPoint(0, 0));
        painter.end();
        return inkBox(full);
    }();
    QVERIFY(!natural.isEmpty());

    // The 180 dpi picture of the sheet: 1489 x 2105 for 4961 x 7016 dots.
    QImage picture(1489, 2105, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    page.ReplayStretched(painter, QRectF(0, 0, 1489, 2105));
    painter.end();
    const QRect stretched = inkBox(picture);
    const double sx = 1489.0 / 4961;
    const double sy = 2105.0 / 7016;
    QVERIFY2(qAbs(stretched.left() - natural.left() * sx) <= 2 &&
                 qAbs(stretched.top() - natural.top() * sy) <= 2 &&
                 qAbs(stretched.right() - natural.right() * sx) <= 2 &&
                 qAbs(stretched.bottom() - natural.bottom() * sy) <= 2,
             qPrintable(u"natural %1,%2 %3x%4, stretched %5,%6 %7x%8"_s.arg(natural.left())
                            .arg(natural.top())
                            .arg(natural.width())
                            .arg(natural.height())
                            .arg(stretched.left())
                            .arg(stretched.top())
                            .arg(stretched.width())
                            .arg(stretched.height())));
}

QTEST_MAIN(TestPageModel)
#include "tst_pagemodel.moc"
