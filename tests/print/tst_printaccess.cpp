// The printer dialog and the preview under the Carbon theme, for keyboard and screen-reader
// users: a focus frame that stands out, names that say what things are, the report readable.
#include "FPrintPreview.h"
#include "FPrinter.h"
#include "ModalWatchdog.h"
#include "Printing.h"
#include "ReportExamples.h"
#include "Startup.h"

#include <QAccessible>
#include <QCheckBox>
#include <QListWidget>
#include <QPointer>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The luminance contrast of two colours (1 to 21), as WCAG measures it.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto lin = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Every Tab stop of a shown window, grabbed with the focus away and on it. The pixels that
// change at 3:1 or more against the ones they replace make its frame: it must reach across most
// of the control (for a tab bar, of its current tab), count at least half the rim of the box it
// spans, and go when the focus leaves. One line per control that falls short.
QStringList focusFrameFaults(QWidget *window)
{
    QList<QWidget *> stops;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        // A part that hands its focus to another (the field of a spin box) shows it there.
        if (widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy())
            stops.append(widget);
    }
    QStringList faults;
    for (QWidget *control : stops) {
        // Away on the first stop, no push button: a dialog's default button keeps its look.
        QWidget *away = stops.at(control == stops.first() ? 1 : 0);
        const QRect place(control->mapTo(window, QPoint(0, 0)), control->size());
        const auto look = [window, place](QWidget *focus) {
            focus->setFocus(Qt::TabFocusReason);
            QCoreApplication::processEvents();
            return window->grab(place).toImage();
        };
        const QImage before = look(away);
        const QImage focused = look(control);
        int strong = 0;
        QRect box;
        for (int y = 0; y < focused.height(); ++y) {
            for (int x = 0; x < focused.width(); ++x) {
                if (contrast(focused.pixelColor(x, y), before.pixelColor(x, y)) >= 3) {
                    ++strong;
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        const auto *tabs = qobject_cast<QTabBar *>(control);
        const QRect area = tabs ? tabs->tabRect(tabs->currentIndex()) : control->rect();
        const QString name =
            control->objectName() + u' ' + QLatin1StringView(control->metaObject()->className());
        if (!control->hasFocus() || box.width() * 4 < area.width() * 3 ||
            box.height() * 4 < area.height() * 3 || strong < box.width() + box.height())
            faults.append(u"%1: %2 pixels at 3:1 over %3 x %4"_s.arg(name)
                              .arg(strong)
                              .arg(box.width())
                              .arg(box.height()));
        if (look(away) != before)
            faults.append(name + u": still framed without the focus"_s);
    }
    return faults;
}

// A shown preview of the report on that sheet, as the print command makes it.
TF_PrintPreview *preview(const TReport &report, const TDeviceCaps &caps)
{
    auto *window = new TF_PrintPreview(nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->LPages.append(std::make_shared<TRecordedPage>());
    RecordReport(*window->LPages.first(), report, caps);
    window->show();
    return QTest::qWaitForWindowActive(window) ? window : nullptr;
}

QString accessibleName(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

} // namespace

Q_DECLARE_METATYPE(TReport)
Q_DECLARE_METATYPE(TDeviceCaps)

class TestPrintAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { QCOMPARE(m_watchdog->unexpected(), QStringList()); }

    void focusFramesStandOut();
    void namesOfTheControls();
    void previewReadsTheReport_data();
    void previewReadsTheReport();

private:
    TModalWatchdog *m_watchdog = nullptr;
};

void TestPrintAccess::initTestCase()
{
    PinFrenchLocale();
    SubstituteFonts();
    QVERIFY(ApplyTheme(*qApp, u"Carbon"_s));
    m_watchdog = new TModalWatchdog(this);
}

void TestPrintAccess::focusFramesStandOut()
{
    QWidget common;
    auto *tabs = new QTabBar;
    tabs->addTab(u"Barème kilométrique"_s);
    tabs->addTab(u"Frais de carburant"_s);
    auto *portrait = new QRadioButton(u"Portrait"_s);
    portrait->setChecked(true);
    auto *layout = new QVBoxLayout(&common);
    for (QWidget *control :
         QList<QWidget *>{tabs, portrait, new QRadioButton(u"Paysage"_s),
                          new QCheckBox(u"Afficher un aperçu"_s), new QSpinBox, new QListWidget})
        layout->addWidget(control, 0, Qt::AlignLeft);
    TF_Printer dialog(nullptr);
    for (QWidget *window : {&common, static_cast<QWidget *>(&dialog)}) {
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QStringList faults = focusFrameFaults(window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; "_s)));
    }
    QPointer<QWidget> sheet = preview(MakeKmReport(KmWorkedExample()), VirtualA4Sheet());
    QVERIFY(sheet);
    const auto close = qScopeGuard([sheet] { sheet->close(); });
    const QStringList faults = focusFrameFaults(sheet);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; "_s)));
}

// Every Tab stop has a name; the orientation pictures say which one they show, rather than
// taking the caption of their group.
void TestPrintAccess::namesOfTheControls()
{
    TF_Printer dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(accessibleName(dialog.findChild<QWidget *>(u"I_Portrait"_s)),
             u"Orientation portrait"_s);
    QCOMPARE(accessibleName(dialog.findChild<QWidget *>(u"I_Landscape"_s)),
             u"Orientation paysage"_s);
    for (QWidget *widget : dialog.findChildren<QWidget *>()) {
        if (widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus))
            QVERIFY2(!accessibleName(widget).isEmpty(), qPrintable(widget->objectName()));
    }
}

void TestPrintAccess::previewReadsTheReport_data()
{
    QTest::addColumn<TReport>("report");
    QTest::addColumn<TDeviceCaps>("sheet");
    const TDeviceCaps a5{136, 198, 600, 600, 3496, 4961, QRect(142, 142, 3212, 4677)};
    QTest::newRow("mileage report on A4") << MakeKmReport(KmWorkedExample()) << VirtualA4Sheet();
    QTest::newRow("fuel report on A4") << MakeFuelReport(FuelWorkedExample()) << VirtualA4Sheet();
    QTest::newRow("mileage report shrunk on A5") << MakeKmReport(KmWorkedExample()) << a5;
}

// The page's text, as a screen reader gets it, is the report line by line: the title, each
// label with its value, the amount last.
void TestPrintAccess::previewReadsTheReport()
{
    QFETCH(TReport, report);
    QFETCH(TDeviceCaps, sheet);
    QPointer<TF_PrintPreview> window = preview(report, sheet);
    QVERIFY(window);
    const auto close = qScopeGuard([window] { window->close(); });
    QAccessibleInterface *page =
        QAccessible::queryAccessibleInterface(window->findChild<QWidget *>(u"PB_Preview"_s));
    QCOMPARE(page->text(QAccessible::Name), u"Page de l'aperçu"_s);
    QAccessibleTextInterface *text = page->textInterface();
    QVERIFY(text);
    QStringList expected{report.Title};
    for (const TReportLine &line : report.Details + QList<TReportLine>{report.Amount})
        expected.append((line.Label + line.Value).trimmed());
    QCOMPARE(text->text(0, text->characterCount()).split(u'\n'), expected);
}

QTEST_MAIN(TestPrintAccess)
#include "tst_printaccess.moc"
