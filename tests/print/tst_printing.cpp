// The whole print path against a print server of the test's own: the print links and Ctrl+N,
// the printer dialog, the preview, its PDF export and vemora-calc --print.
#include "CupsServer.h"
#include "FMain.h"
#include "FPrintPreview.h"
#include "FrenchLocale.h"
#include "ModalWatchdog.h"
#include "PageModel.h"
#include "PrintUi.h"
#include "Printing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QSet>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <memory>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Queue = u"VemoraPDF"_s;
const QString SecondQueue = u"VemoraPDF2"_s;
const QString KmJobTitle = u"Impression Frais Kilométriques"_s;
const QString FuelJobTitle = u"Impression Frais de carburant"_s;
const QString KmPreviewTitle = u"Détail des frais kilométriques 2022"_s;
const QString NoPrinterHeading = u"Aucune imprimante"_s;
const QString NoPrinterText = u"Aucune imprimante n'a été trouvée\u00A0!"_s;
const QString ZeroDistanceText = u"Le kilométrage effectué dans l'année est nul !"_s;

// "W x H pts (A4)" as pdfinfo writes it: the width and height in points.
QSizeF pointsOf(const QString &pageSize)
{
    const QStringList parts = pageSize.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 3 || parts.at(1) != u"x"_s)
        return {};
    return QSizeF(parts.at(0).toDouble(), parts.at(2).toDouble());
}

// Which way the lines of text run on the first page of a PDF: across the sheet, or down it
// when the page was printed turned on its side; nothing when there is no text to read.
std::optional<Qt::Orientation> textDirection(const QString &file)
{
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-bbox"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, file, u"-"_s});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitStatus() != QProcess::NormalExit ||
        pdftotext.exitCode() != 0)
        return {};
    const QString boxes = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression word(u"<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\""_s);
    // The words of a line share one coordinate: few lines, many places along them.
    QSet<qint64> lefts;
    QSet<qint64> tops;
    for (auto match = word.globalMatch(boxes); match.hasNext();) {
        const QRegularExpressionMatch box = match.next();
        lefts.insert(std::llround(box.captured(1).toDouble() * 2));
        tops.insert(std::llround(box.captured(2).toDouble() * 2));
    }
    if (lefts.size() == tops.size())
        return {};
    return lefts.size() > tops.size() ? Qt::Horizontal : Qt::Vertical;
}

// A text that ends with "…" is a beginning, one with "…" inside a beginning and an end.
bool matches(const QString &shown, const QString &expected)
{
    const qsizetype gap = expected.indexOf(u'\u2026');
    if (gap < 0)
        return shown == expected;
    return shown.startsWith(expected.left(gap)) && shown.endsWith(expected.mid(gap + 1));
}

// Picks an item of a combo box with the arrow keys, as a user does; false when it has none.
bool pickInCombo(QComboBox *combo, const QString &text)
{
    const int wanted = combo->findText(text);
    if (wanted < 0)
        return false;
    combo->setFocus(Qt::MouseFocusReason);
    for (int step = 0; step < combo->count() && combo->currentIndex() != wanted; ++step)
        QTest::keyClick(combo, combo->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
    return combo->currentText() == text;
}

// Clicks a radio button on its circle and caption, where it takes clicks.
void clickRadio(QRadioButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect area =
        button->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, {}, area.center());
}

// The OK (or Cancel) button of a dialog's own button box.
QPushButton *dialogButton(QWidget *dialog, QDialogButtonBox::StandardButton which)
{
    auto *box = dialog->findChild<QDialogButtonBox *>(QString(), Qt::FindDirectChildrenOnly);
    return box ? box->button(which) : nullptr;
}

} // namespace

#define FIND_OR_FAIL(variable, Type, parent, name)                                                 \
    auto *variable = (parent)->findChild<Type *>(name);                                            \
    QVERIFY2(variable, qPrintable(u"no control "_s + (name)))

// How a test answers the printer setup.
struct TSetupAnswer
{
    QString printer;        // picked in the setup's list; empty: the one it opens on
    bool landscape = false; // chosen in the printer's properties
    QString paper;          // chosen in the printer's properties; empty: left as it is
    bool confirmed = true;  // OK, or Cancel
};

// What the printer setup showed.
struct TSetupSeen
{
    bool shown = false;
    QString objectName;
    QString caption;
    QString okCaption;
    QString printer;      // the printer it opened on
    QStringList printers; // the printers it offers
    QRect frame;
    QRect ownerFrame;
    bool propertiesShown = false;
};

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void printRefused_data();
    void printRefused();
    void quickPrint_data();
    void quickPrint();
    void printerDialogCopies_data();
    void printerDialogCopies();
    void copiesFieldAndCancel();
    void previewPrintsCopies();
    void fitPage_data();
    void fitPage();
    void previewFollowsZoomOnResize();
    void exportPdf_data();
    void exportPdf();
    void commandLinePrint_data();
    void commandLinePrint();
    void commandLinePdfOnThePrintersPaper_data();
    void commandLinePdfOnThePrintersPaper();
    void setupFromPrinterDialog_data();
    void setupFromPrinterDialog();
    void landscapeSetupOutlivesReset();
    void setupFromPreview_data();
    void setupFromPreview();
    void setupDialogPlacement_data();
    void setupDialogPlacement();

private:
    void makeWindow();
    void showPage(bool fuel);
    void typeInto(const QString &field, const QString &text);
    void runCommand(const QString &command);
    void uninstallQueue();
    void reinstallQueue();
    // Queues an answer to the next message box: it is read into m_messages, then `button`
    // is pressed.
    void expectMessage(const QString &button);
    // Checks that the jobs after `mark` are `count` jobs titled `title`, one page each.
    void checkJobs(int mark, int count, const QString &title);
    // The one job sent after `mark`, once it is over.
    TCupsJob waitForOneJob(int mark);
    void addSecondQueue();
    void removeSecondQueue();
    // The first queue current again, in portrait, with its driver's defaults.
    static void restoreCurrentPrinter();
    // Queues an answer to the printer setup, and to its properties dialog when the answer
    // sets the orientation or the paper; what the setup showed goes into `seen`.
    void expectSetup(const TSetupAnswer &answer, TSetupSeen &seen);

    std::unique_ptr<TCupsServer> m_cups;
    QTemporaryDir m_emptyHome;
    QTemporaryDir m_settings;
    std::unique_ptr<TModalWatchdog> m_dialogs;
    std::unique_ptr<TF_Main> m_window;
    QList<TShownMessage> m_messages;
};

void TestPrinting::initTestCase()
{
    // The server first: the print library keeps the one it meets first.
    m_cups = std::make_unique<TCupsServer>();
    QVERIFY2(m_cups->IsRunning(), qPrintable(m_cups->Error()));
    QVERIFY2(m_cups->AddQueue(Queue), qPrintable(m_cups->Error()));
    QTRY_COMPARE(QPrinterInfo::availablePrinterNames(), QStringList{Queue});
    PinFrenchLocale();
    // The file dialog remembers its state; not in the user's own settings.
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void TestPrinting::cleanupTestCase()
{
    m_window.reset();
    m_cups.reset();
}

void TestPrinting::init()
{
    m_messages.clear();
    m_dialogs = std::make_unique<TModalWatchdog>();
    makeWindow();
}

void TestPrinting::cleanup()
{
    m_window.reset();
    const QStringList unexpected = m_dialogs->unexpected();
    const qsizetype pending = m_dialogs->pending();
    m_dialogs.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(u", "_s)));
    QCOMPARE(pending, 0);
    QCOMPARE(QPrinterInfo::availablePrinterNames(), QStringList{Queue});
}

void TestPrinting::makeWindow()
{
    // An empty home folder: no home page, so no web engine.
    m_window = std::make_unique<TF_Main>(m_emptyHome.path());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestPrinting::showPage(bool fuel)
{
    FIND_OR_FAIL(pages, QTabWidget, m_window, u"PC_Main"_s);
    const int index = fuel ? 1 : 0;
    QTabBar *tabs = pages->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    QCOMPARE(m_window->ActiveTypeCalc(), fuel ? tcFuelCost : tcKmCost);
    FIND_OR_FAIL(year, QComboBox, m_window, fuel ? u"E_KmYear"_s : u"E_Year"_s);
    year->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(year->hasFocus());
}

void TestPrinting::typeInto(const QString &field, const QString &text)
{
    FIND_OR_FAIL(edit, QLineEdit, m_window, field);
    edit->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClicks(edit, text);
    QCOMPARE(edit->text(), text);
}

void TestPrinting::runCommand(const QString &command)
{
    if (command == u"Ctrl+N"_s) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus && focus->window() == m_window.get());
        QTest::keyClick(focus, Qt::Key_N, Qt::ControlModifier);
        QCoreApplication::processEvents(); // the command runs once the key is over
        return;
    }
    FIND_OR_FAIL(link, QLabel, m_window, command);
    QTest::mouseClick(link, Qt::LeftButton);
}

void TestPrinting::uninstallQueue()
{
    QVERIFY2(m_cups->RemoveQueue(Queue), qPrintable(m_cups->Error()));
    QTRY_VERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
}

void TestPrinting::reinstallQueue()
{
    QVERIFY2(m_cups->AddQueue(Queue), qPrintable(m_cups->Error()));
    QTRY_COMPARE(QPrinterInfo::availablePrinterNames(), QStringList{Queue});
}

void TestPrinting::expectMessage(const QString &button)
{
    m_dialogs->expect([this, button](QWidget *dialog) {
        m_messages.append(ReadMessageBox(dialog));
        if (!ClickMessageButton(dialog, button)) {
            dialog->close();
            QFAIL(qPrintable(u"no button "_s + button + u" in "_s +
                             TModalWatchdog::describe(dialog)));
        }
    });
}

void TestPrinting::checkJobs(int mark, int count, const QString &title)
{
    QVERIFY2(m_cups->WaitForJobs(mark, count),
             qPrintable(TCupsServer::Describe(m_cups->Jobs(mark))));
    const QList<TCupsJob> jobs = m_cups->Jobs(mark);
    QVERIFY2(jobs.size() == count, qPrintable(TCupsServer::Describe(jobs)));
    for (const TCupsJob &job : jobs) {
        QCOMPARE(job.Queue, Queue);
        QCOMPARE(job.Title, title);
        QCOMPARE(job.Sheets, 1);
        const QMap<QString, QString> info = PdfInfo(job.PdfFile);
        QCOMPARE(info.value(u"Pages"_s), u"1"_s);
        QVERIFY2(info.value(u"Page size"_s).endsWith(u"(A4)"_s),
                 qPrintable(info.value(u"Page size"_s)));
    }
}

void TestPrinting::printRefused_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("fuel");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("informativeText");

    struct TRow
    {
        const char *name;
        bool installed;
        const char16_t *command;
        bool fuel;
        const char16_t *distance;
    };
    const TRow rows[] = {
        {"no printer, picture link, distance typed", false, u"I_Print", false, u"12000"},
        {"no printer, print link, distance typed", false, u"L_Print", false, u"12000"},
        {"no printer, Ctrl+N, distance typed", false, u"Ctrl+N", false, u"12000"},
        {"no printer, picture link, no distance", false, u"I_Print", false, u""},
        {"no printer, print link, fuel page, no distance", false, u"L_Print", true, u""},
        {"no printer, Ctrl+N, fuel page, no distance", false, u"Ctrl+N", true, u""},
        {"no printer, picture link, fuel page, distance typed", false, u"I_Print", true, u"900"},
        {"empty distance, picture link", true, u"I_Print", false, u""},
        {"empty distance, print link", true, u"L_Print", false, u""},
        {"empty distance, Ctrl+N", true, u"Ctrl+N", false, u""},
        {"zero distance typed, print link", true, u"L_Print", false, u"0"},
        {"empty distance, fuel page, picture link", true, u"I_Print", true, u""},
        {"empty distance, fuel page, print link", true, u"L_Print", true, u""},
    };
    for (const TRow &row : rows) {
        QTest::newRow(row.name) << row.installed << QString::fromUtf16(row.command) << row.fuel
                                << QString::fromUtf16(row.distance)
                                << (row.installed ? ZeroDistanceText : NoPrinterHeading)
                                << (row.installed ? QString() : NoPrinterText);
    }
}

void TestPrinting::printRefused()
{
    QFETCH(bool, installed);
    QFETCH(QString, command);
    QFETCH(bool, fuel);
    QFETCH(QString, distance);
    QFETCH(QString, text);
    QFETCH(QString, informativeText);

    const auto reinstall = qScopeGuard([this, installed] {
        if (!installed)
            reinstallQueue();
    });
    if (!installed)
        uninstallQueue();
    showPage(fuel);
    if (!distance.isEmpty())
        typeInto(fuel ? u"E_KmDistance"_s : u"E_Distance"_s, distance);
    const int mark = m_cups->LastJobId();

    expectMessage(u"OK"_s);
    runCommand(command);

    // One warning and nothing else: neither the printer dialog nor a job.
    QCOMPARE(m_dialogs->handled(), 1);
    QCOMPARE(m_messages.size(), 1);
    const TShownMessage &shown = m_messages.first();
    QCOMPARE(shown.caption, u"Avertissement"_s);
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QCOMPARE(shown.text, text);
    QCOMPARE(shown.informativeText, informativeText);
    QCOMPARE(shown.buttons, QStringList{u"OK"_s});
    const QList<TCupsJob> jobs = m_cups->Jobs(mark);
    QVERIFY2(jobs.isEmpty(), qPrintable(TCupsServer::Describe(jobs)));
}

void TestPrinting::quickPrint_data()
{
    QTest::addColumn<bool>("fuel");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("title");
    QTest::newRow("mileage page") << false << u"E_Distance"_s << KmJobTitle;
    QTest::newRow("fuel page") << true << u"E_KmDistance"_s << FuelJobTitle;
}

void TestPrinting::quickPrint()
{
    QFETCH(bool, fuel);
    QFETCH(QString, field);
    QFETCH(QString, title);
    showPage(fuel);
    typeInto(field, u"12000"_s);
    const int mark = m_cups->LastJobId();

    runCommand(u"I_Print"_s);

    QCOMPARE(m_dialogs->handled(), 0); // at once, with no dialog
    checkJobs(mark, 1, title);
}

void TestPrinting::printerDialogCopies_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("fuel");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<QString>("title");
    QTest::newRow("print link, two copies") << u"L_Print"_s << false << u"2"_s << KmJobTitle;
    QTest::newRow("Ctrl+N on the fuel page, three copies")
        << u"Ctrl+N"_s << true << u"3"_s << FuelJobTitle;
}

void TestPrinting::printerDialogCopies()
{
    QFETCH(QString, command);
    QFETCH(bool, fuel);
    QFETCH(QString, copies);
    QFETCH(QString, title);
    showPage(fuel);
    typeInto(fuel ? u"E_KmDistance"_s : u"E_Distance"_s, u"12000"_s);
    const int mark = m_cups->LastJobId();

    QString printer;
    bool previewChecked = true;
    m_dialogs->expect([&](QWidget *dialog) {
        QCOMPARE(dialog->objectName(), u"F_Printer"_s);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(printers, QComboBox, dialog, u"E_Printers"_s);
        FIND_OR_FAIL(preview, QCheckBox, dialog, u"CB_Preview"_s);
        FIND_OR_FAIL(edit, QLineEdit, dialog, u"E_NumCopy"_s);
        FIND_OR_FAIL(ok, QPushButton, dialog, u"B_Ok"_s);
        printer = printers->currentText();
        previewChecked = preview->isChecked();
        edit->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, copies);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    if (command == u"Ctrl+N"_s)
        showPage(fuel); // the shortcut from the page's first control
    runCommand(command);

    QCOMPARE(m_dialogs->handled(), 1);
    QCOMPARE(printer, Queue);
    QVERIFY(!previewChecked);
    checkJobs(mark, copies.toInt(), title);
}

void TestPrinting::copiesFieldAndCancel()
{
    typeInto(u"E_Distance"_s, u"12000"_s);
    const int mark = m_cups->LastJobId();

    QStringList seen;
    bool stayedOpen = false;
    bool menuShown = true;
    m_dialogs->expect([&](QWidget *dialog) {
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(edit, QLineEdit, dialog, u"E_NumCopy"_s);
        FIND_OR_FAIL(up, QToolButton, dialog, u"UD_NumCopyUp"_s);
        FIND_OR_FAIL(down, QToolButton, dialog, u"UD_NumCopyDown"_s);
        FIND_OR_FAIL(cancel, QPushButton, dialog, u"B_Cancel"_s);
        seen << edit->text();
        const auto retype = [edit](const QString &typed) {
            edit->setFocus(Qt::MouseFocusReason);
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, typed);
        };
        // Zero, then leaving the field.
        retype(u"0"_s);
        seen << edit->text();
        QTest::keyClick(edit, Qt::Key_Tab);
        seen << edit->text();
        // One character at most, digits only.
        retype(u"35"_s);
        seen << edit->text();
        retype(u"x"_s);
        seen << edit->text();
        QTest::keyClick(edit, Qt::Key_Tab);
        seen << edit->text();
        // The buttons go from what was typed and stop at 9 and at 1.
        retype(u"7"_s);
        QTest::mouseClick(up, Qt::LeftButton);
        seen << edit->text();
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(up, Qt::LeftButton);
        seen << edit->text();
        for (int i = 0; i < 12; ++i)
            QTest::mouseClick(down, Qt::LeftButton);
        seen << edit->text();
        // No context menu on the field.
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5),
                               edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &menu);
        menuShown = QApplication::activePopupWidget() != nullptr;
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        // Escape does not close the dialog.
        QTest::keyClick(edit, Qt::Key_Escape);
        stayedOpen = dialog->isVisible();
        retype(u"2"_s);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    runCommand(u"L_Print"_s);

    QCOMPARE(m_dialogs->handled(), 1);
    QCOMPARE(seen,
             (QStringList{u"1"_s, u"0"_s, u"1"_s, u"3"_s, u""_s, u"1"_s, u"8"_s, u"9"_s, u"1"_s}));
    QVERIFY(!menuShown);
    QVERIFY(stayedOpen);
    const QList<TCupsJob> jobs = m_cups->Jobs(mark);
    QVERIFY2(jobs.isEmpty(), qPrintable(TCupsServer::Describe(jobs)));
}

void TestPrinting::previewPrintsCopies()
{
    typeInto(u"E_Distance"_s, u"12000"_s);
    ReportYearText().clear();
    const auto clearYear = qScopeGuard([] { ReportYearText().clear(); });
    const int mark = m_cups->LastJobId();

    m_dialogs->expect([](QWidget *dialog) {
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(edit, QLineEdit, dialog, u"E_NumCopy"_s);
        FIND_OR_FAIL(preview, QCheckBox, dialog, u"CB_Preview"_s);
        FIND_OR_FAIL(ok, QPushButton, dialog, u"B_Ok"_s);
        edit->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, u"3"_s);
        QTest::mouseClick(preview, Qt::LeftButton);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    qsizetype pages = 0;
    bool recorded = false;
    QString year;
    QString printerLine;
    QString documentName;
    QRect frame;
    QRect area;
    m_dialogs->expect([&](QWidget *dialog) {
        auto *preview = qobject_cast<TF_PrintPreview *>(dialog);
        QVERIFY2(preview, qPrintable(TModalWatchdog::describe(dialog)));
        pages = preview->LPages.size();
        recorded = pages > 0 && preview->LPages.first()->IsRecorded();
        year = ReportYearText();
        documentName = preview->pwDocName;
        frame = preview->frameGeometry();
        area = preview->screen()->availableGeometry();
        FIND_OR_FAIL(name, QLabel, dialog, u"L_PrinterName"_s);
        FIND_OR_FAIL(print, QToolButton, dialog, u"B_Print"_s);
        FIND_OR_FAIL(quit, QToolButton, dialog, u"B_Quit"_s);
        printerLine = name->text();
        QTest::mouseClick(print, Qt::LeftButton);
        QTest::mouseClick(quit, Qt::LeftButton);
    });
    runCommand(u"L_Print"_s);

    QCOMPARE(m_dialogs->handled(), 2);
    QCOMPARE(pages, 1);
    QVERIFY(recorded);
    // The window starts on the newest income year.
    QCOMPARE(year, u"2025"_s);
    QCOMPARE(documentName, u"Détail des frais kilométriques 2025"_s);
    QCOMPARE(printerLine, u"Imprimante actuellement utilisée : "_s + Queue);
    checkJobs(mark, 3, u"Détail des frais kilométriques 2025"_s);
    // The whole window, its frame included, within the screen's work area.
    const auto rectText = [](const QRect &r) {
        return u"%1 x %2 at %3, %4"_s.arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
    };
    QVERIFY2(area.contains(frame),
             qPrintable(u"window "_s + rectText(frame) + u" in work area "_s + rectText(area)));
    QVERIFY(frame.width() >= 400 && frame.height() >= 400);
}

void TestPrinting::fitPage_data()
{
    QTest::addColumn<bool>("fullWidth");
    QTest::addColumn<bool>("scrolled");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("whole A4 page in a wide client, height bound")
        << false << false << QSize(760, 800) << 210.0 << 297.0 << QRect(104, 10, 551, 780);
    QTest::newRow("whole A4 page in a tall client, width bound")
        << false << false << QSize(400, 900) << 210.0 << 297.0 << QRect(10, 181, 380, 537);
    QTest::newRow("whole page of a sheet a little under A4")
        << false << false << QSize(760, 800) << 209.6 << 296.6 << QRect(104, 10, 551, 780);
    QTest::newRow("full width, from the top of the scrolled area")
        << true << true << QSize(760, 800) << 210.0 << 297.0 << QRect(10, 0, 740, 1046);
    QTest::newRow("full width that fits, centred")
        << true << false << QSize(760, 1200) << 210.0 << 297.0 << QRect(10, 77, 740, 1046);
    QTest::newRow("landscape sheet, whole page")
        << false << false << QSize(760, 800) << 297.0 << 210.0 << QRect(10, 138, 740, 523);
    QTest::newRow("sheet of no size")
        << false << false << QSize(760, 800) << 0.0 << 297.0 << QRect();
}

void TestPrinting::fitPage()
{
    QFETCH(bool, fullWidth);
    QFETCH(bool, scrolled);
    QFETCH(QSize, client);
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);
    QFETCH(QRect, expected);
    const QRect page = fullWidth ? FitPageWidth(client, widthMm, heightMm, scrolled)
                                 : FitWholePage(client, widthMm, heightMm);
    QCOMPARE(page, expected);
}

void TestPrinting::previewFollowsZoomOnResize()
{
    typeInto(u"E_Distance"_s, u"12000"_s);
    TF_PrintPreview preview(m_window.get());
    preview.LPages.append(std::make_shared<TRecordedPage>());
    m_window->PrintCalcResult(tcKmCost, 1, &preview.LPages);
    QVERIFY(preview.LPages.first()->IsRecorded());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));

    QVERIFY(preview.width() >= 400 && preview.height() >= 400);

    FIND_OR_FAIL(scroll, QScrollArea, &preview, u"SB_Preview"_s);
    FIND_OR_FAIL(sheet, QWidget, &preview, u"PB_Preview"_s);
    FIND_OR_FAIL(fullWidth, QToolButton, &preview, u"B_FullWidth"_s);
    FIND_OR_FAIL(wholePage, QToolButton, &preview, u"B_FullScreen"_s);
    QWidget *viewport = scroll->viewport();
    const TDeviceCaps caps = preview.LPages.first()->Caps();
    const double ratio = PageHeightMm(caps) / PageWidthMm(caps);
    QVERIFY2(std::abs(ratio - 297.0 / 210.0) < 0.01, qPrintable(QString::number(ratio)));

    // The whole sheet in sight, 10 pixels from the limiting edges, in the sheet's proportions.
    const auto wholePageShown = [&]() {
        const QRect shown(sheet->mapTo(viewport, QPoint(0, 0)), sheet->size());
        return viewport->rect().contains(shown) &&
               (shown.width() == viewport->width() - 20 ||
                shown.height() == viewport->height() - 20) &&
               std::abs(double(shown.height()) / shown.width() - ratio) < 0.01;
    };
    // The width of the viewport less 10 pixels each side, the top of the sheet at the top.
    const auto fullWidthShown = [&]() {
        return sheet->width() == viewport->width() - 20 && sheet->height() > viewport->height() &&
               sheet->y() == 0 && sheet->mapTo(viewport, QPoint(0, 0)).x() == 10;
    };
    QTRY_VERIFY(wholePageShown());

    QTest::mouseClick(fullWidth, Qt::LeftButton);
    QTRY_VERIFY(fullWidthShown());
    const int wideViewport = viewport->width();
    preview.resize(600, 500);
    QTRY_VERIFY(viewport->width() != wideViewport);
    QTRY_VERIFY(fullWidthShown());
    QVERIFY(fullWidth->isChecked());

    QTest::mouseClick(wholePage, Qt::LeftButton);
    QTRY_VERIFY(wholePageShown());
    preview.resize(700, 420);
    QTRY_VERIFY(wholePageShown());
    preview.resize(420, 560);
    QTRY_VERIFY(wholePageShown());

    // Never smaller than 400 x 400.
    preview.resize(100, 100);
    QVERIFY(preview.width() >= 400 && preview.height() >= 400);
}

void TestPrinting::exportPdf_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("savedAs");

    const QByteArray old = "ancien rapport, à garder\n";
    const QString replaceQuestion =
        u"Le fichier rapport.pdf, existe déjà !\u2026Voulez-vous le remplacer\u00A0?"_s;
    QTest::newRow("plain name in the documents folder")
        << u"rapport.pdf"_s << QByteArray() << QStringList() << QStringList() << QStringList()
        << QStringList() << u"rapport.pdf"_s;
    QTest::newRow("name without extension")
        << u"rapport"_s << QByteArray() << QStringList() << QStringList() << QStringList()
        << QStringList() << u"rapport.pdf"_s;
    QTest::newRow("text extension refused")
        << u"rapport.txt"_s << QByteArray() << QStringList{u"Avertissement"_s}
        << QStringList{u"Erreur d'extension de fichier"_s}
        << QStringList{u"L'extension du fichier : .txt, n'est pas valide."_s}
        << QStringList{u"OK"_s} << QString();
    QTest::newRow("upper-case PDF extension accepted")
        << u"RAPPORT.PDF"_s << QByteArray() << QStringList() << QStringList() << QStringList()
        << QStringList() << u"RAPPORT.PDF"_s;
    QTest::newRow("replacing refused keeps the file")
        << u"rapport.pdf"_s << old << QStringList{u"Avertissement"_s, u"Informations"_s}
        << QStringList{u"Confirmer le remplacement"_s, u"Information"_s}
        << QStringList{replaceQuestion, u"Opération annulée, le fichier n'a pas été sauvegardé."_s}
        << QStringList{u"&Non"_s, u"OK"_s} << QString();
    QTest::newRow("replacing accepted")
        << u"rapport.pdf"_s << old << QStringList{u"Avertissement"_s}
        << QStringList{u"Confirmer le remplacement"_s} << QStringList{replaceQuestion}
        << QStringList{u"&Oui"_s} << u"rapport.pdf"_s;
    QTest::newRow("folder that does not exist")
        << u"absent/rapport.pdf"_s << QByteArray() << QStringList{u"Erreur"_s}
        << QStringList{u"Une Erreur s'est produite"_s}
        << QStringList{u"Une erreur s'est produite avec le message suivant :\u2026"
                       u"Le fichier n'a pas été sauvegardé."_s}
        << QStringList{u"OK"_s} << QString();
}

void TestPrinting::exportPdf()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, existing);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, headings);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, answers);
    QFETCH(QString, savedAs);

    // A home of the test's own, whose documents folder the save dialog opens on.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString documents = home.path() + u"/Documents"_s;
    QVERIFY(QDir().mkpath(documents));
    const QByteArray oldHome = qgetenv("HOME");
    const bool hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        if (hadConfigHome)
            qputenv("XDG_CONFIG_HOME", oldConfigHome);
        ReportYearText().clear();
    });
    const QString existingFile = documents + u"/rapport.pdf"_s;
    if (!existing.isEmpty()) {
        QFile file(existingFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(existing), existing.size());
    }
    // The preview as the print link leaves it (previewPrintsCopies follows that path), shown
    // without a loop of its own: it then never stands between the save dialog and the
    // questions that follow it.
    typeInto(u"E_Distance"_s, u"12000"_s);
    ReportYearText() = u"2022"_s;
    TF_PrintPreview preview(m_window.get());
    preview.pwDocName = KmPreviewTitle;
    preview.LPages.append(std::make_shared<TRecordedPage>());
    m_window->PrintCalcResult(tcKmCost, 1, &preview.LPages);
    preview.show();
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    FIND_OR_FAIL(save, QToolButton, &preview, u"B_SavePdf"_s);

    QString proposedName;
    QString proposedFolder;
    QString saveCaption;
    m_dialogs->expect([&](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY2(files && files->objectName() == u"SaveDialog"_s,
                 qPrintable(TModalWatchdog::describe(dialog)));
        QTRY_VERIFY_WITH_TIMEOUT(files->isActiveWindow(), 500);
        FIND_OR_FAIL(name, QLineEdit, files, u"fileNameEdit"_s);
        FIND_OR_FAIL(buttons, QDialogButtonBox, files, u"buttonBox"_s);
        QPushButton *accept = buttons->button(QDialogButtonBox::Save);
        QVERIFY(accept);
        proposedName = name->text();
        proposedFolder = files->directory().absolutePath();
        saveCaption = files->windowTitle();
        name->setFocus(Qt::MouseFocusReason);
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Backspace);
        QTest::keyClicks(name, typed);
        // The completion list of matching names, if any, goes away as with Escape.
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        QTest::mouseClick(accept, Qt::LeftButton);
    });
    for (const QString &answer : answers)
        expectMessage(answer);
    QTest::mouseClick(save, Qt::LeftButton);

    QCOMPARE(m_dialogs->handled(), 1 + answers.size());
    QCOMPARE(proposedName, u"Frais_kilométriques_2022"_s);
    QCOMPARE(proposedFolder, QDir(documents).absolutePath());
    QCOMPARE(saveCaption, u"Enregistrer l'aperçu sous"_s);
    QCOMPARE(m_messages.size(), headings.size());
    for (qsizetype i = 0; i < m_messages.size(); ++i) {
        QCOMPARE(m_messages.at(i).caption, captions.at(i));
        QCOMPARE(m_messages.at(i).text, headings.at(i));
        QVERIFY2(matches(m_messages.at(i).informativeText, texts.at(i)),
                 qPrintable(m_messages.at(i).informativeText));
    }

    // What the documents folder holds now: the old file, or the new one and nothing else.
    const QStringList left =
        QDir(documents).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    if (savedAs.isEmpty()) {
        QCOMPARE(left, existing.isEmpty() ? QStringList() : QStringList{u"rapport.pdf"_s});
        if (!existing.isEmpty()) {
            QFile file(existingFile);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), existing);
        }
        return;
    }
    QCOMPARE(left, QStringList{savedAs});
    QFile file(documents + u'/' + savedAs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("%PDF-"));
    const QMap<QString, QString> info = PdfInfo(file.fileName());
    QCOMPARE(info.value(u"Pages"_s), u"1"_s);
    QCOMPARE(info.value(u"Title"_s), KmPreviewTitle);
    // The queue's A4 sheet, drawn at 180 dots per inch.
    const QSize dots = PageSizeAtDpi(CapsOf(CurrentPrinter()), 180);
    const QSizeF points = pointsOf(info.value(u"Page size"_s));
    const QString size = info.value(u"Page size"_s);
    QVERIFY2(std::abs(points.width() - dots.width() * 72.0 / 180) < 1, qPrintable(size));
    QVERIFY2(std::abs(points.height() - dots.height() * 72.0 / 180) < 1, qPrintable(size));
    QVERIFY2(std::abs(points.width() - 595.28) < 1, qPrintable(size));
    QVERIFY2(std::abs(points.height() - 841.89) < 1, qPrintable(size));
}

void TestPrinting::commandLinePrint_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<QString>("error");
    QTest::newRow("two copies on the queue") << true << true << 2 << QString();
    QTest::newRow("no printer installed")
        << false << false << 0 << u"Aucune imprimante n'a été trouvée"_s;
}

void TestPrinting::commandLinePrint()
{
    QFETCH(bool, installed);
    QFETCH(bool, succeeds);
    QFETCH(int, jobs);
    QFETCH(QString, error);
    const auto reinstall = qScopeGuard([this, installed] {
        if (!installed)
            reinstallQueue();
    });
    if (!installed)
        uninstallQueue();
    const int mark = m_cups->LastJobId();

    QProcess calc;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CUPS_SERVER"_s, m_cups->Socket());
    environment.insert(u"LC_ALL"_s, u"fr_FR.UTF-8"_s);
    QTemporaryDir runtime; // so that nothing but the program's own messages reaches stderr
    QVERIFY(runtime.isValid());
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    calc.setProcessEnvironment(environment);
    calc.start(QString::fromUtf8(VEMORA_CALC), {u"km"_s, u"--kind"_s, u"0"_s, u"--distance"_s,
                                                u"12000"_s, u"--print"_s, u"--copies"_s, u"2"_s});
    QVERIFY(calc.waitForFinished(60000));
    const QString errors = QString::fromUtf8(calc.readAllStandardError());
    QCOMPARE(calc.exitStatus(), QProcess::NormalExit);
    QVERIFY2((calc.exitCode() == 0) == succeeds, qPrintable(errors));
    QVERIFY2(error.isEmpty() ? errors.isEmpty() : errors.contains(error), qPrintable(errors));
    if (jobs > 0) {
        checkJobs(mark, jobs, KmJobTitle);
    } else {
        const QList<TCupsJob> sent = m_cups->Jobs(mark);
        QVERIFY2(sent.isEmpty(), qPrintable(TCupsServer::Describe(sent)));
    }
}

void TestPrinting::commandLinePdfOnThePrintersPaper_data()
{
    QTest::addColumn<QString>("printer"); // --printer NOM; none when empty
    QTest::addColumn<QSizeF>("points");   // the PDF's page

    // Letter's 13200 dots at 1200 dpi make 1981 pixels at 180 dpi once the quotient of the
    // resolutions is rounded up, 793 points.
    QTest::newRow("a queue on Letter paper") << u"VemoraLetter"_s << QSizeF(612, 793);
    QTest::newRow("a queue on A4 paper") << Queue << QSizeF(596, 842);
    QTest::newRow("no printer named, the default on Letter") << QString() << QSizeF(596, 842);
}

void TestPrinting::commandLinePdfOnThePrintersPaper()
{
    QFETCH(QString, printer);
    QFETCH(QSizeF, points);

    const QString letter = u"VemoraLetter"_s;
    const auto remove = qScopeGuard([this, letter] {
        m_cups->Administer(u"lpadmin"_s, {u"-d"_s, Queue});
        m_cups->RemoveQueue(letter);
    });
    QVERIFY2(
        m_cups->AddQueue(letter) &&
            m_cups->Administer(u"lpadmin"_s, {u"-p"_s, letter, u"-o"_s, u"PageSize=Letter"_s}) &&
            m_cups->Administer(u"lpadmin"_s, {u"-d"_s, letter}),
        qPrintable(m_cups->Error()));
    QTemporaryDir folder; // also XDG_RUNTIME_DIR, so that only the program's messages are seen
    QVERIFY(folder.isValid());
    QProcess calc;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CUPS_SERVER"_s, m_cups->Socket());
    environment.insert(u"XDG_RUNTIME_DIR"_s, folder.path());
    calc.setProcessEnvironment(environment);
    const QString file = folder.filePath(u"rapport.pdf"_s);
    QStringList args{u"km"_s, u"--kind"_s, u"0"_s, u"--distance"_s, u"12000"_s, u"--pdf"_s, file};
    if (!printer.isEmpty())
        args << u"--printer"_s << printer;
    calc.start(QString::fromUtf8(VEMORA_CALC), args);
    QVERIFY(calc.waitForFinished(60000));
    QVERIFY2(calc.exitCode() == 0, calc.readAllStandardError().constData());
    const QString size = PdfInfo(file).value(u"Page size"_s);
    QVERIFY2(size.startsWith(u"%1 x %2 pts"_s.arg(points.width()).arg(points.height())),
             qPrintable(size));
}

TCupsJob TestPrinting::waitForOneJob(int mark)
{
    if (!m_cups->WaitForJobs(mark, 1))
        return {};
    const QList<TCupsJob> jobs = m_cups->Jobs(mark);
    return jobs.size() == 1 ? jobs.first() : TCupsJob();
}

void TestPrinting::addSecondQueue()
{
    QVERIFY2(m_cups->AddQueue(SecondQueue), qPrintable(m_cups->Error()));
    QTRY_COMPARE(QPrinterInfo::availablePrinterNames(), (QStringList{Queue, SecondQueue}));
}

void TestPrinting::removeSecondQueue()
{
    restoreCurrentPrinter();
    QVERIFY2(m_cups->RemoveQueue(SecondQueue), qPrintable(m_cups->Error()));
    QTRY_COMPARE(QPrinterInfo::availablePrinterNames(), QStringList{Queue});
}

void TestPrinting::restoreCurrentPrinter()
{
    SelectCurrentPrinter(Queue);
    CurrentPrinter().setPageOrientation(QPageLayout::Portrait);
    ResetPrinter();
}

void TestPrinting::expectSetup(const TSetupAnswer &answer, TSetupSeen &seen)
{
    m_dialogs->expect([this, answer, &seen](QWidget *dialog) {
        seen.shown = true;
        seen.objectName = dialog->objectName();
        seen.caption = dialog->windowTitle();
        QVERIFY2(qobject_cast<QPrintDialog *>(dialog),
                 qPrintable(TModalWatchdog::describe(dialog)));
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        seen.frame = dialog->frameGeometry();
        seen.ownerFrame =
            dialog->parentWidget() ? dialog->parentWidget()->frameGeometry() : QRect();
        FIND_OR_FAIL(printers, QComboBox, dialog, u"printers"_s);
        FIND_OR_FAIL(properties, QPushButton, dialog, u"properties"_s);
        QPushButton *ok = dialogButton(dialog, QDialogButtonBox::Ok);
        QPushButton *cancel = dialogButton(dialog, QDialogButtonBox::Cancel);
        QVERIFY(ok && cancel);
        seen.okCaption = ok->text();
        seen.printer = printers->currentText();
        for (int i = 0; i < printers->count(); ++i)
            seen.printers << printers->itemText(i);
        if (!answer.printer.isEmpty())
            QVERIFY2(pickInCombo(printers, answer.printer), qPrintable(printers->currentText()));
        if (answer.landscape || !answer.paper.isEmpty()) {
            m_dialogs->expect([answer, &seen](QWidget *sheet) {
                seen.propertiesShown = true;
                QTRY_VERIFY_WITH_TIMEOUT(sheet->isActiveWindow(), 500);
                FIND_OR_FAIL(landscape, QRadioButton, sheet, u"landscape"_s);
                FIND_OR_FAIL(paper, QComboBox, sheet, u"pageSizeCombo"_s);
                QPushButton *sheetOk = dialogButton(sheet, QDialogButtonBox::Ok);
                QVERIFY(sheetOk);
                if (!answer.paper.isEmpty())
                    QVERIFY2(pickInCombo(paper, answer.paper), qPrintable(paper->currentText()));
                if (answer.landscape) {
                    clickRadio(landscape);
                    QVERIFY(landscape->isChecked());
                }
                QTest::mouseClick(sheetOk, Qt::LeftButton);
            });
            QTest::mouseClick(properties, Qt::LeftButton);
            QVERIFY(seen.propertiesShown);
            QVERIFY(dialog->isVisible());
        }
        QTest::mouseClick(answer.confirmed ? ok : cancel, Qt::LeftButton);
    });
}

void TestPrinting::setupFromPrinterDialog_data()
{
    QTest::addColumn<QString>("pickedInSetup");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("current");
    QTest::newRow("cancelled setup, the queue picked in the list is current")
        << QString() << false << SecondQueue;
    QTest::newRow("confirmed setup of the queue picked in the list")
        << QString() << true << SecondQueue;
    QTest::newRow("confirmed setup with the other queue picked in it") << Queue << true << Queue;
}

void TestPrinting::setupFromPrinterDialog()
{
    QFETCH(QString, pickedInSetup);
    QFETCH(bool, confirmed);
    QFETCH(QString, current);
    const auto removeQueue = qScopeGuard([this] { removeSecondQueue(); });
    addSecondQueue();
    if (QTest::currentTestFailed())
        return;
    typeInto(u"E_Distance"_s, u"12000"_s);
    QCOMPARE(CurrentPrinterName(), Queue);

    QStringList listed;
    QString currentAfterSetup;
    QString selectedAfterSetup;
    m_dialogs->expect([&](QWidget *dialog) {
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(printers, QComboBox, dialog, u"E_Printers"_s);
        FIND_OR_FAIL(setup, QPushButton, dialog, u"B_Property"_s);
        FIND_OR_FAIL(cancel, QPushButton, dialog, u"B_Cancel"_s);
        for (int i = 0; i < printers->count(); ++i)
            listed << printers->itemText(i);
        QVERIFY2(pickInCombo(printers, SecondQueue), qPrintable(printers->currentText()));
        QTest::mouseClick(setup, Qt::LeftButton);
        currentAfterSetup = CurrentPrinterName();
        selectedAfterSetup = printers->currentText();
        // Cancelled: only the setup has chosen the printer.
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    TSetupSeen seen;
    expectSetup({pickedInSetup, false, {}, confirmed}, seen);
    runCommand(u"L_Print"_s);

    QCOMPARE(m_dialogs->handled(), 2);
    QCOMPARE(listed, (QStringList{Queue, SecondQueue}));
    QVERIFY(seen.shown);
    QCOMPARE(seen.objectName, u"PrinterSetupDialog"_s);
    QCOMPARE(seen.caption, u"Configuration de l'impression"_s);
    QCOMPARE(seen.okCaption, u"OK"_s);
    QCOMPARE(seen.printer, SecondQueue); // the setup of the printer picked in the list
    QCOMPARE(seen.printers, (QStringList{Queue, SecondQueue})); // printers, no file
    QCOMPARE(currentAfterSetup, current);
    QCOMPARE(selectedAfterSetup, confirmed ? current : SecondQueue);
    QCOMPARE(CurrentPrinterName(), current);

    // The next print goes to the current printer.
    const int mark = m_cups->LastJobId();
    runCommand(u"I_Print"_s);
    const TCupsJob job = waitForOneJob(mark);
    QVERIFY2(job.Id > 0, qPrintable(TCupsServer::Describe(m_cups->Jobs(mark))));
    QCOMPARE(job.Queue, current);
    QCOMPARE(job.Title, KmJobTitle);
    QCOMPARE(textDirection(job.PdfFile), Qt::Horizontal); // upright, as it was set up
}

void TestPrinting::landscapeSetupOutlivesReset()
{
    const auto restore = qScopeGuard([] { restoreCurrentPrinter(); });
    typeInto(u"E_Distance"_s, u"12000"_s);
    QCOMPARE(CurrentPrinter().pageLayout().orientation(), QPageLayout::Portrait);
    int mark = m_cups->LastJobId();

    // The setup from the printer dialog: landscape on A5 paper, then print.
    struct TPictures
    {
        bool portrait = false;
        bool landscape = false;
    };
    TPictures before;
    TPictures afterSetup;
    QPageLayout layoutAfterSetup;
    const auto pictures = [](QWidget *dialog) {
        const auto *portrait = dialog->findChild<QLabel *>(u"I_Portrait"_s);
        const auto *landscape = dialog->findChild<QLabel *>(u"I_Landscape"_s);
        return TPictures{portrait && portrait->isVisible(), landscape && landscape->isVisible()};
    };
    m_dialogs->expect([&](QWidget *dialog) {
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(setup, QPushButton, dialog, u"B_Property"_s);
        FIND_OR_FAIL(ok, QPushButton, dialog, u"B_Ok"_s);
        before = pictures(dialog);
        QTest::mouseClick(setup, Qt::LeftButton);
        afterSetup = pictures(dialog);
        layoutAfterSetup = CurrentPrinter().pageLayout();
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    TSetupSeen seen;
    expectSetup({{}, true, u"A5"_s, true}, seen);
    runCommand(u"L_Print"_s);

    QCOMPARE(m_dialogs->handled(), 3);
    QVERIFY(seen.propertiesShown);
    QVERIFY(before.portrait && !before.landscape);
    QVERIFY(afterSetup.landscape && !afterSetup.portrait);
    QCOMPARE(layoutAfterSetup.orientation(), QPageLayout::Landscape);
    QCOMPARE(layoutAfterSetup.pageSize().id(), QPageSize::A5);
    // Printed as set up: on A5, the page turned on its side (the queue writes every sheet
    // upright, so the lines of text run down it).
    TCupsJob job = waitForOneJob(mark);
    QVERIFY2(job.Id > 0, qPrintable(TCupsServer::Describe(m_cups->Jobs(mark))));
    QString size = PdfInfo(job.PdfFile).value(u"Page size"_s);
    QVERIFY2(size.endsWith(u"(A5)"_s), qPrintable(size));
    QCOMPARE(textDirection(job.PdfFile), Qt::Vertical);

    // The printer dialog opened next, after the print command's reset.
    TPictures next;
    m_dialogs->expect([&](QWidget *dialog) {
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(cancel, QPushButton, dialog, u"B_Cancel"_s);
        next = pictures(dialog);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    runCommand(u"L_Print"_s);
    QCOMPARE(m_dialogs->handled(), 4);
    QVERIFY(next.landscape && !next.portrait);
    QCOMPARE(CurrentPrinter().pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(CurrentPrinter().pageLayout().pageSize().id(), QPageSize::A4);

    // A paper size set on the printer goes too; the orientation stays for the print.
    CurrentPrinter().setPageSize(QPageSize(QPageSize::A5));
    mark = m_cups->LastJobId();
    runCommand(u"I_Print"_s);
    QCOMPARE(CurrentPrinterName(), Queue);
    QCOMPARE(CurrentPrinter().pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(CurrentPrinter().pageLayout().pageSize().id(), QPageSize::A4);
    job = waitForOneJob(mark);
    QVERIFY2(job.Id > 0, qPrintable(TCupsServer::Describe(m_cups->Jobs(mark))));
    QCOMPARE(job.Queue, Queue);
    size = PdfInfo(job.PdfFile).value(u"Page size"_s);
    QVERIFY2(size.endsWith(u"(A4)"_s), qPrintable(size));
    QCOMPARE(textDirection(job.PdfFile), Qt::Vertical);
}

void TestPrinting::setupFromPreview_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<bool>("fullWidth");
    QTest::addColumn<QString>("pickedInSetup");
    QTest::newRow("cancelled setup keeps the page") << false << false << false << QString();
    QTest::newRow("confirmed setup records the page again") << true << false << false << QString();
    QTest::newRow("landscape setup, whole page") << true << true << false << QString();
    QTest::newRow("landscape setup, full width") << true << true << true << QString();
    QTest::newRow("confirmed setup of the other queue") << true << false << false << SecondQueue;
}

void TestPrinting::setupFromPreview()
{
    QFETCH(bool, confirmed);
    QFETCH(bool, landscape);
    QFETCH(bool, fullWidth);
    QFETCH(QString, pickedInSetup);
    const bool otherQueue = !pickedInSetup.isEmpty();
    const auto restore = qScopeGuard([this, otherQueue] {
        ReportYearText().clear();
        if (otherQueue)
            removeSecondQueue();
        else
            restoreCurrentPrinter();
    });
    if (otherQueue)
        addSecondQueue();
    if (QTest::currentTestFailed())
        return;
    typeInto(u"E_Distance"_s, u"12000"_s);
    const QString current = otherQueue ? pickedInSetup : Queue;

    m_dialogs->expect([](QWidget *dialog) {
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(preview, QCheckBox, dialog, u"CB_Preview"_s);
        FIND_OR_FAIL(ok, QPushButton, dialog, u"B_Ok"_s);
        QTest::mouseClick(preview, Qt::LeftButton);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    std::shared_ptr<TRecordedPage> pageBefore;
    std::shared_ptr<TRecordedPage> pageAfter;
    qsizetype pagesAfter = 0;
    QString labelBefore;
    QString labelAfter;
    bool printEnabled = false;
    TDeviceCaps printerCaps;
    QSize sheet;
    QSize client;
    m_dialogs->expect([&](QWidget *dialog) {
        auto *preview = qobject_cast<TF_PrintPreview *>(dialog);
        QVERIFY2(preview, qPrintable(TModalWatchdog::describe(dialog)));
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(name, QLabel, dialog, u"L_PrinterName"_s);
        FIND_OR_FAIL(setup, QToolButton, dialog, u"B_CfgPrn"_s);
        FIND_OR_FAIL(print, QToolButton, dialog, u"B_Print"_s);
        FIND_OR_FAIL(wide, QToolButton, dialog, u"B_FullWidth"_s);
        FIND_OR_FAIL(quit, QToolButton, dialog, u"B_Quit"_s);
        FIND_OR_FAIL(scroll, QScrollArea, dialog, u"SB_Preview"_s);
        FIND_OR_FAIL(page, QWidget, dialog, u"PB_Preview"_s);
        QVERIFY(!preview->LPages.isEmpty());
        pageBefore = preview->LPages.first();
        labelBefore = name->text();
        if (fullWidth)
            QTest::mouseClick(wide, Qt::LeftButton);
        QTest::mouseClick(setup, Qt::LeftButton);
        pagesAfter = preview->LPages.size();
        pageAfter = preview->LPages.value(0);
        labelAfter = name->text();
        printEnabled = print->isEnabled();
        printerCaps = CapsOf(CurrentPrinter());
        sheet = page->size();
        client = scroll->viewport()->size();
        QTest::mouseClick(quit, Qt::LeftButton);
    });
    TSetupSeen seen;
    expectSetup({pickedInSetup, landscape, {}, confirmed}, seen);
    runCommand(u"L_Print"_s);

    QCOMPARE(m_dialogs->handled(), landscape ? 4 : 3);
    QVERIFY(seen.shown);
    QCOMPARE(seen.printer, Queue);
    QCOMPARE(labelBefore, u"Imprimante actuellement utilisée : "_s + Queue);
    QCOMPARE(pagesAfter, 1);
    QVERIFY(pageBefore && pageAfter);
    QVERIFY(printEnabled);
    if (!confirmed) {
        QCOMPARE(pageAfter, pageBefore);
        QCOMPARE(labelAfter, labelBefore);
        return;
    }
    QVERIFY(pageAfter != pageBefore);
    QVERIFY(pageAfter->IsRecorded());
    QCOMPARE(labelAfter, u"Imprimante actuellement utilisée : "_s + current);
    QCOMPARE(CurrentPrinterName(), current);
    // Recorded again for the printer as now set up.
    const TDeviceCaps caps = pageAfter->Caps();
    QCOMPARE(caps.LogPixelsX, printerCaps.LogPixelsX);
    QCOMPARE(caps.PhysicalWidth, printerCaps.PhysicalWidth);
    QCOMPARE(caps.PhysicalHeight, printerCaps.PhysicalHeight);
    QCOMPARE(caps.Printable, printerCaps.Printable);
    QCOMPARE(caps.PhysicalWidth > caps.PhysicalHeight, landscape);
    // Shown in the zoom chosen, in the sheet's new proportions.
    const double ratio = PageHeightMm(caps) / PageWidthMm(caps);
    QVERIFY2(std::abs(double(sheet.height()) / sheet.width() - ratio) < 0.01,
             qPrintable(u"%1 x %2"_s.arg(sheet.width()).arg(sheet.height())));
    QCOMPARE(sheet.width() > sheet.height(), landscape);
    if (fullWidth)
        QCOMPARE(sheet.width(), client.width() - 20);
    else
        QVERIFY(sheet.width() == client.width() - 20 || sheet.height() == client.height() - 20);
}

void TestPrinting::setupDialogPlacement_data()
{
    QTest::addColumn<bool>("fromPreview");
    QTest::newRow("from the printer dialog, below and right of its corner") << false;
    QTest::newRow("from the preview, centred over it") << true;
}

void TestPrinting::setupDialogPlacement()
{
    QFETCH(bool, fromPreview);
    const auto clearYear = qScopeGuard([] { ReportYearText().clear(); });
    typeInto(u"E_Distance"_s, u"12000"_s);

    m_dialogs->expect([fromPreview](QWidget *dialog) {
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
        FIND_OR_FAIL(preview, QCheckBox, dialog, u"CB_Preview"_s);
        FIND_OR_FAIL(setup, QPushButton, dialog, u"B_Property"_s);
        FIND_OR_FAIL(ok, QPushButton, dialog, u"B_Ok"_s);
        FIND_OR_FAIL(cancel, QPushButton, dialog, u"B_Cancel"_s);
        if (fromPreview) {
            QTest::mouseClick(preview, Qt::LeftButton);
            QTest::mouseClick(ok, Qt::LeftButton);
            return;
        }
        QTest::mouseClick(setup, Qt::LeftButton);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    if (fromPreview) {
        m_dialogs->expect([](QWidget *dialog) {
            QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 500);
            FIND_OR_FAIL(setup, QToolButton, dialog, u"B_CfgPrn"_s);
            FIND_OR_FAIL(quit, QToolButton, dialog, u"B_Quit"_s);
            QTest::mouseClick(setup, Qt::LeftButton);
            QTest::mouseClick(quit, Qt::LeftButton);
        });
    }
    TSetupSeen seen;
    expectSetup({{}, false, {}, false}, seen);
    runCommand(u"L_Print"_s);

    QCOMPARE(m_dialogs->handled(), fromPreview ? 3 : 2);
    QCOMPARE(seen.objectName, u"PrinterSetupDialog"_s);
    const auto rectText = [](const QRect &r) {
        return u"%1 x %2 at %3, %4"_s.arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
    };
    const QString where =
        u"setup "_s + rectText(seen.frame) + u" over "_s + rectText(seen.ownerFrame);
    QVERIFY2(seen.ownerFrame.isValid() && seen.frame.isValid(), qPrintable(where));
    if (fromPreview) {
        const QPointF gap = QRectF(seen.frame).center() - QRectF(seen.ownerFrame).center();
        QVERIFY2(std::abs(gap.x()) <= 1 && std::abs(gap.y()) <= 1, qPrintable(where));
    } else {
        QCOMPARE(seen.frame.topLeft(), seen.ownerFrame.topLeft() + QPoint(15, 15));
    }
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
