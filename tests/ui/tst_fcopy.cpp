// The information window: captions, legal references, scrolling credits, keys, links and colours.
#include "Accessibility.h"
#include "FCopy.h"
#include "FrenchLocale.h"
#include "LinkLabel.h"
#include "Maker.h"
#include "PublishedScales.h"
#include "RealCosts.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QEnterEvent>
#include <QLabel>
#include <QListWidget>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

// Stands in for the web browser: keeps the addresses the window asks to open.
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void openUrl(const QUrl &url) { opened.append(url); }
};

class TestFCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void windowFrame();
    void captions();
    void noteLines_data();
    void noteLines();
    void noteBlocksFollowTheYears();
    void noteShowsWholeRows();
    void colours_data();
    void colours();
    void creditsText();
    void tickerRunsWhileShown();
    void tickerFullCycle();
    void activationRestartsCredits();
    void closeKeys_data();
    void closeKeys();
    void otherKeysReachTheList();
    void readByScreenReaders();
    void closeLinkAndModalUse();
    void hoverColours_data();
    void hoverColours();
    void links_data();
    void links();

private:
    TF_Copyright *showDialog();
    static bool waitActive(QWidget *window);
    static void tick(QTimer *timer);
    void watchForDialogs();

    TUrlCatcher m_catcher;
    std::unique_ptr<QWidget> m_owner;
    QTimer m_watchdog;
    QStringList m_unexpectedDialogs;
};

void TestFCopy::initTestCase()
{
    PinFrenchLocale();
    QDesktopServices::setUrlHandler(u"https"_s, &m_catcher, "openUrl");
    QDesktopServices::setUrlHandler(u"http"_s, &m_catcher, "openUrl");
    m_watchdog.setInterval(20);
    connect(&m_watchdog, &QTimer::timeout, this, &TestFCopy::watchForDialogs);
}

void TestFCopy::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(u"https"_s);
    QDesktopServices::unsetUrlHandler(u"http"_s);
}

void TestFCopy::init()
{
    m_catcher.opened.clear();
    m_unexpectedDialogs.clear();
    m_owner = std::make_unique<QWidget>();
    m_owner->setWindowTitle(u"Vemora"_s);
    m_owner->setGeometry(100, 50, 600, 500);
    m_owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_owner.get()));
    QVERIFY(waitActive(m_owner.get()));
    m_watchdog.start();
}

void TestFCopy::cleanup()
{
    m_watchdog.stop();
    m_owner.reset();
    QVERIFY2(m_unexpectedDialogs.isEmpty(), qPrintable(m_unexpectedDialogs.join(u" | "_s)));
}

// Any modal window other than the information window is a dialog the test did not expect.
void TestFCopy::watchForDialogs()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || qobject_cast<TF_Copyright *>(modal))
        return;
    m_unexpectedDialogs.append(modal->objectName() + u": "_s + modal->windowTitle());
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
}

TF_Copyright *TestFCopy::showDialog()
{
    auto *dialog = new TF_Copyright(m_owner.get());
    dialog->show();
    if (!waitActive(dialog))
        qWarning("the information window did not become active");
    return dialog;
}

// The window system activates a new window a little after showing it; the window counts as
// active at once only because its owner is.
bool TestFCopy::waitActive(QWidget *window)
{
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 5000);
}

// One beat of the credits, sent by hand to a timer armed too long to fire on its own.
void TestFCopy::tick(QTimer *timer)
{
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
}

void TestFCopy::windowFrame()
{
    TF_Copyright *dialog = showDialog();
    QCOMPARE(dialog->windowTitle(), u"Informations"_s);
    QCOMPARE(dialog->size(), QSize(434, 433));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    const Qt::WindowFlags flags = dialog->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(dialog->font().pixelSize(), 11);

    const QPoint offset = dialog->frameGeometry().center() - m_owner->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, "the window is not centred over its owner");
}

void TestFCopy::captions()
{
    TF_Copyright dialog(m_owner.get());
    QCOMPARE(dialog.findChild<QLabel *>(u"L_Version"_s)->text(), u"Version : 1.92.261209"_s);
    QCOMPARE(dialog.findChild<QLabel *>(u"L_BOI"_s)->text(),
             u"Arrêté du 27 mars 2023 fixant le barème forfaitaire"_s);
    QCOMPARE(dialog.findChild<QLabel *>(u"L_Offer"_s)->text(),
             u"Ce logiciel vous est offert par Ostrel"_s);
    QCOMPARE(dialog.findChild<QLabel *>(u"L_Close"_s)->text(), u"Fermer"_s);
    // The copyright line and the credits wait for the window to become active.
    auto *copyright = dialog.findChild<QLabel *>(u"L_Copyright"_s);
    QVERIFY(copyright->text().isEmpty());
    QVERIFY(dialog.creditsText().isEmpty());

    TF_Copyright *shown = showDialog();
    QCOMPARE(shown->findChild<QLabel *>(u"L_Copyright"_s)->text(), MakerCopyright());
    // Autosized captions are not cut short.
    for (const char16_t *name : {u"L_BOI", u"L_Copyright", u"L_Close", u"Label1", u"Label3"}) {
        auto *label = shown->findChild<QLabel *>(QString::fromUtf16(name));
        QVERIFY(label->width() >= label->sizeHint().width());
    }
}

void TestFCopy::noteLines_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");

    QTest::newRow("disclaimer")
        << 0 << u"L'utilisateur reste seul responsable de l'usage qui est fait"_s;
    QTest::newRow("disclaimer end") << 1 << u"de ces informations."_s;
    QTest::newRow("2025 header") << 3 << u"- Pour les revenus 2025 :"_s;
    QTest::newRow("2025 names its year")
        << 6 << u"l'administration fiscale pour les revenus de l'année 2025,"_s;
    QTest::newRow("2025 kept mileage scale")
        << 7 << u"barème kilométrique 2022 reconduit (brochure pratique 2026)."_s;
    QTest::newRow("2025 fuel reference")
        << 10 << u"- Barème carburant : BOI-BAREME-000003 de février 2026"_s;
    QTest::newRow("2023 fuel reference")
        << 28 << u"- Barème carburant : BOI-BAREME-000003-20240306"_s;
    QTest::newRow("gap before 2022") << 29 << QString();
    QTest::newRow("2022 header") << 30 << u"- Pour les revenus 2022 :"_s;
    QTest::newRow("decree statement keeps its trailing blank")
        << 32 << u"Les résultats sont conformes à l'arrêté du 27 mars 2023 fixant le barème "_s;
    QTest::newRow("decree statement end")
        << 35 << u"optant pour le régime des frais réels déductibles."_s;
    QTest::newRow("2022 reference") << 37 << u"- JORF n° 0083 du 7 avril 2023"_s;
    QTest::newRow("2021 statement") << 41 << u"Les résultats sont conformes au barème fourni par"_s;
    QTest::newRow("2021 publication") << 43 << u"paru au BOIFP le 13 février 2022."_s;
    QTest::newRow("2021 reference") << 45 << u"- JORF n°0037 du 13 février 2022"_s;
    QTest::newRow("2018 reference") << 69 << u"- BOI-BAREME-000001-20190326"_s;
    QTest::newRow("2015 reference") << 93 << u"- BOI-RSA-BASE-30-50-30-20-20160215"_s;
    QTest::newRow("2014 publication")
        << 99 << u"paru au Journal Officiel de la République Française le 28 février 2015."_s;
    QTest::newRow("2014 reference") << 101 << u"- JORF n°0050 du 28 FEVRIER 2015"_s;
    QTest::newRow("2013 set apart by two gaps") << 103 << QString();
    QTest::newRow("2013 header") << 104 << u"- Pour les revenus 2013 :"_s;
    QTest::newRow("2013 reference date") << 111 << u"DU 27 MARS 2014"_s;
    QTest::newRow("2012 set apart by two gaps") << 112 << QString();
    QTest::newRow("2012 publication with its double blank")
        << 118 << u"paru au Bulletin Officiel  des Finances Publics-Impôts le 22 mars 2013."_s;
    QTest::newRow("2012 reference") << 120 << u"- BOI-BAREME-000003-20130322"_s;
    QTest::newRow("last line") << 121 << u"DU 22 MARS 2013"_s;
}

void TestFCopy::noteLines()
{
    QFETCH(int, row);
    QFETCH(QString, text);

    TF_Copyright dialog(m_owner.get());
    auto *note = dialog.findChild<QListWidget *>(u"L_Note"_s);
    QVERIFY(note);
    QCOMPARE(note->item(124)->text(), u"- Frais réels ou déduction de 10 % :"_s);
    QCOMPARE(note->item(row)->text(), text);
}

void TestFCopy::noteBlocksFollowTheYears()
{
    TF_Copyright dialog(m_owner.get());
    auto *note = dialog.findChild<QListWidget *>(u"L_Note"_s);
    // One block for each income year of the scales, newest first: a year added to the
    // scales without its block fails here.
    QList<int> years = KmYears() + FuelYears();
    std::sort(years.begin(), years.end(), std::greater<int>());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    const QString header = u"- Pour les revenus "_s;
    QList<int> blocks;
    for (int row = 0; row < note->count(); ++row) {
        const QString text = note->item(row)->text();
        if (!text.startsWith(header))
            continue;
        const int year = blocks.size() < years.size() ? years.at(blocks.size()) : 0;
        QCOMPARE(text, header + QString::number(year) + u" :"_s);
        QVERIFY(note->item(row - 1)->text().isEmpty());
        QVERIFY(note->item(row + 1)->text().isEmpty());
        // Every year but the decree's names itself in the second statement line.
        if (year != 2022) {
            QCOMPARE(note->item(row + 3)->text(),
                     u"l'administration fiscale pour les revenus de l'année %1,"_s.arg(year));
        }
        blocks << year;
    }
    QCOMPARE(blocks, years);
    // And for each year of the comparison with the 10 % deduction, its bounds, its meal value
    // and its home working, each with its reference.
    const QStringList paragraphs = static_cast<TParagraphList *>(note)->Paragraphs().split(u'\n');
    QList<int> parameters;
    for (const QString &paragraph : paragraphs) {
        if (!paragraph.startsWith(u"Revenus "_s))
            continue;
        const int year = paragraph.mid(8, 4).toInt();
        QVERIFY2(paragraph.contains(u"Déduction de 10 % en %1 : au moins "_s.arg(year)) &&
                     paragraph.contains(u"Repas pris au foyer : "_s) &&
                     paragraph.contains(u"Forfait de télétravail : "_s) &&
                     paragraph.count(u'(') >= 2,
                 qPrintable(paragraph));
        parameters << year;
    }
    QCOMPARE(parameters, RealCostsYears());
}

void TestFCopy::noteShowsWholeRows()
{
    TF_Copyright *dialog = showDialog();
    auto *note = dialog->findChild<QListWidget *>(u"L_Note"_s);
    QCOMPARE(note->geometry(), QRect(11, 194, 410, 195));
    QCOMPARE(note->visualItemRect(note->item(0)).height(), 15);
    QCOMPARE(note->visualItemRect(note->item(1)).top(), 15);
    QCOMPARE(note->viewport()->height(), 13 * 15);
    QVERIFY(note->verticalScrollBar()->isVisible());
    QVERIFY(!note->horizontalScrollBar()->isVisible());
}

void TestFCopy::colours_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("themed");
    QTest::addColumn<int>("role");
    QTest::addColumn<QColor>("expected");

    const QColor theme(0x12, 0x34, 0x56);
    const int text = QPalette::WindowText;
    QTest::newRow("subtitle takes the plain colour")
        << u"Label2"_s << false << text << QColor(0x5C, 0x4A, 0x3F);
    QTest::newRow("credits take the plain colour")
        << u"Label_Name"_s << false << text << QColor(0x67, 0x5B, 0x4B);
    QTest::newRow("subtitle follows the theme") << u"Label2"_s << true << text << theme;
    QTest::newRow("credits follow the theme") << u"Label_Name"_s << true << text << theme;
    QTest::newRow("title keeps its grey")
        << u"Label1"_s << true << text << QColor(0xA0, 0xA0, 0xA4);
    QTest::newRow("offer keeps its light blue")
        << u"L_Offer"_s << true << text << QColor(0xE3, 0xF0, 0xFF);
    QTest::newRow("decree link keeps its white") << u"L_BOI"_s << true << text << QColor(Qt::white);
    QTest::newRow("close link keeps its white")
        << u"L_Close"_s << true << text << QColor(Qt::white);
    QTest::newRow("copyright keeps its grey")
        << u"L_Copyright"_s << true << text << QColor(0x80, 0x80, 0x80);
    QTest::newRow("references stay black")
        << u"L_Note"_s << true << int(QPalette::Text) << QColor(Qt::black);
    QTest::newRow("references stay on white")
        << u"L_Note"_s << true << int(QPalette::Base) << QColor(Qt::white);
}

void TestFCopy::colours()
{
    QFETCH(QString, control);
    QFETCH(bool, themed);
    QFETCH(int, role);
    QFETCH(QColor, expected);

    // A dark theme shaped like the program's own.
    const auto restore = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    if (themed) {
        qApp->setStyleSheet(u"QWidget { background-color: #2b2b2b; color: #123456; }"
                            u"QLabel { background-color: transparent; color: #123456; }"
                            u"QListWidget { background-color: #1e1e1e; color: #123456; }"_s);
    }
    TF_Copyright *dialog = showDialog();
    auto *widget = dialog->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(widget->palette().color(QPalette::ColorRole(role)), expected);
}

void TestFCopy::creditsText()
{
    TF_Copyright *dialog = showDialog();
    const QString expected = u" Programmeur:    "_s + AuthorName() + QString(8, u' ') +
                             MakerCopyright() + u"."_s + QString(6, u' ') + RightsReserved() +
                             QString(130, u' ');
    QCOMPARE(dialog->creditsText(), expected);
    QVERIFY(dialog->creditsText().size() <= 255);
}

void TestFCopy::tickerRunsWhileShown()
{
    auto *dialog = new TF_Copyright(m_owner.get());
    auto *timer = dialog->findChild<QTimer *>(u"Timer1"_s);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 100);
    QVERIFY(!timer->isActive());

    dialog->show();
    QVERIFY(waitActive(dialog));
    QVERIFY(timer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->creditsShown().size() >= 3, 3000);
    QVERIFY(dialog->creditsText().startsWith(dialog->creditsShown()));
    QCOMPARE(dialog->findChild<QLabel *>(u"Label_Name"_s)->text(), dialog->creditsShown());
}

void TestFCopy::tickerFullCycle()
{
    auto *dialog = new TF_Copyright(m_owner.get());
    auto *timer = dialog->findChild<QTimer *>(u"Timer1"_s);
    auto *name = dialog->findChild<QLabel *>(u"Label_Name"_s);
    timer->setInterval(1h);
    dialog->show();
    QVERIFY(waitActive(dialog));
    QVERIFY(timer->isActive());
    QVERIFY(name->text().isEmpty());

    const QString credits = dialog->creditsText();
    for (int step = 1; step < credits.size(); ++step) {
        tick(timer);
        QCOMPARE(dialog->creditsShown(), credits.left(step));
        QCOMPARE(name->text(), dialog->creditsShown());
    }
    // The last character completes the line, which starts again from nothing.
    tick(timer);
    QVERIFY(dialog->creditsShown().isEmpty());
    QVERIFY(name->text().isEmpty());
    tick(timer);
    QCOMPARE(name->text(), credits.left(1));

    // A hidden window keeps its credits where they are.
    dialog->hide();
    tick(timer);
    QCOMPARE(dialog->creditsShown(), credits.left(1));
}

void TestFCopy::activationRestartsCredits()
{
    auto *dialog = new TF_Copyright(m_owner.get());
    auto *timer = dialog->findChild<QTimer *>(u"Timer1"_s);
    auto *name = dialog->findChild<QLabel *>(u"Label_Name"_s);
    timer->setInterval(1h);
    dialog->show();
    QVERIFY(waitActive(dialog));
    for (int step = 0; step < 5; ++step)
        tick(timer);
    QCOMPARE(name->text().size(), 5);

    // Another window over it, as a warning would be, then back.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(waitActive(&other));
    tick(timer);
    QCOMPARE(dialog->creditsShown().size(), 6);
    dialog->activateWindow();
    QVERIFY(waitActive(dialog));
    QVERIFY(dialog->creditsShown().isEmpty());
    QVERIFY(name->text().isEmpty());
    QVERIFY(timer->isActive());

    // Closed and opened again.
    tick(timer);
    dialog->close();
    QVERIFY(!timer->isActive());
    dialog->show();
    QVERIFY(waitActive(dialog));
    QVERIFY(dialog->creditsShown().isEmpty());
    QVERIFY(timer->isActive());
}

void TestFCopy::closeKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("inList");

    QTest::newRow("Return in the list") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << true;
    QTest::newRow("Escape in the list") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << true;
    QTest::newRow("keypad Enter in the list")
        << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << true;
    QTest::newRow("Ctrl+Return in the list")
        << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
    QTest::newRow("Shift+Escape in the list")
        << int(Qt::Key_Escape) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    QTest::newRow("Escape on the window")
        << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << false;
    QTest::newRow("Alt+Return on the window")
        << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::AltModifier) << false;
    QTest::newRow("Ctrl+Shift+Escape on the window")
        << int(Qt::Key_Escape) << (Qt::ControlModifier | Qt::ShiftModifier) << false;
}

void TestFCopy::closeKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, inList);

    TF_Copyright *dialog = showDialog();
    auto *note = dialog->findChild<QListWidget *>(u"L_Note"_s);
    QWidget *target = dialog;
    if (inList) {
        note->setFocus();
        QTRY_VERIFY(note->hasFocus());
        target = note;
    }
    QTest::keyClick(target, Qt::Key(key), modifiers);
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(!dialog->findChild<QTimer *>(u"Timer1"_s)->isActive());
}

void TestFCopy::otherKeysReachTheList()
{
    TF_Copyright *dialog = showDialog();
    auto *note = dialog->findChild<QListWidget *>(u"L_Note"_s);
    QTRY_COMPARE(QApplication::focusWidget(), note); // the window opens on the notes
    QTest::keyClick(note, Qt::Key_Tab);              // then the links, from the top
    QCOMPARE(QApplication::focusWidget()->objectName(), u"Image1"_s);
    note->setFocus();
    note->setCurrentRow(0);
    QTest::keyClick(note, Qt::Key_Down);
    QCOMPARE(note->currentRow(), 1);
    QTest::keyClick(note, Qt::Key_End);
    QCOMPARE(note->currentRow(), note->count() - 1);
    QVERIFY(dialog->isVisible());
}

// The notes read as paragraphs, not rows; the credits hold still once the keyboard moves.
void TestFCopy::readByScreenReaders()
{
    TF_Copyright *dialog = showDialog();
    QAccessibleInterface *notes =
        QAccessible::queryAccessibleInterface(dialog->findChild<QListWidget *>(u"L_Note"_s));
    QCOMPARE(notes->childCount(), 0);
    QAccessibleTextInterface *text = notes->textInterface();
    QVERIFY(text && notes->state().readOnly);
    const QStringList paragraphs = text->text(0, text->characterCount()).split(u'\n');
    QCOMPARE(
        paragraphs.first(),
        u"L'utilisateur reste seul responsable de l'usage qui est fait de ces informations."_s);
    QVERIFY(paragraphs.contains(u"- Pour les revenus 2025 :"_s));
    QVERIFY(!paragraphs.contains(QString()));
    QCOMPARE(QAccessible::queryAccessibleInterface(dialog->findChild<QWidget *>(u"Image1"_s))
                 ->text(QAccessible::Description),
             u"Ouvre le site d'Ostrel"_s);

    auto *timer = dialog->findChild<QTimer *>(u"Timer1"_s);
    tick(timer);
    const QString shown = dialog->creditsShown();
    QVERIFY(!shown.isEmpty());
    dialog->findChild<QWidget *>(u"L_Close"_s)->setFocus(Qt::TabFocusReason);
    tick(timer);
    QCOMPARE(dialog->creditsShown(), shown);
}

void TestFCopy::closeLinkAndModalUse()
{
    auto *dialog = new TF_Copyright(m_owner.get());
    QTimer::singleShot(0, dialog, [dialog] {
        if (!waitActive(dialog))
            qWarning("the information window did not become active");
        QTest::mouseClick(dialog->findChild<QLabel *>(u"L_Close"_s), Qt::LeftButton);
    });
    QTimer::singleShot(5s, dialog, &QDialog::accept); // keeps a failure from hanging the test
    QCOMPARE(dialog->exec(), int(QDialog::Rejected));
    QVERIFY(!dialog->findChild<QTimer *>(u"Timer1"_s)->isActive());
}

void TestFCopy::hoverColours_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("decree link") << u"L_BOI"_s;
    QTest::newRow("close link") << u"L_Close"_s;
}

void TestFCopy::hoverColours()
{
    QFETCH(QString, control);

    TF_Copyright *dialog = showDialog();
    auto *link = dialog->findChild<TLinkLabel *>(control);
    QVERIFY(link);
    QCOMPARE(link->textColor(), QColor(Qt::white));
    const QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, link->mapToGlobal(inside));
    QApplication::sendEvent(link, &enter);
    QCOMPARE(link->textColor(), QColor(0xE3, 0xF0, 0xFF));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    QCOMPARE(link->textColor(), QColor(Qt::white));
}

void TestFCopy::links_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("siteAddress");
    QTest::addColumn<QString>("expected");

    const QString site = u"https://www.impots.gouv.fr/particulier"_s;
    const QString decree = DecreeAddress();
    QTest::newRow("decree link") << u"L_BOI"_s << site << decree;
    QTest::newRow("decree link without a web site") << u"L_BOI"_s << u"ostrel"_s << decree;
    QTest::newRow("copyright link") << u"L_Copyright"_s << site << site;
    QTest::newRow("logo") << u"Image1"_s << site << site;
    QTest::newRow("copyright link without a web address")
        << u"L_Copyright"_s << u"www.ostrel.fr"_s << QString();
    QTest::newRow("logo without a web address") << u"Image1"_s << u"www.ostrel.fr"_s << QString();
    QTest::newRow("logo with no address at all") << u"Image1"_s << QString() << QString();
}

void TestFCopy::links()
{
    QFETCH(QString, control);
    QFETCH(QString, siteAddress);
    QFETCH(QString, expected);

    const QString previous = SiteAddress();
    const auto restore = qScopeGuard([previous] { SetSiteAddress(previous); });
    SetSiteAddress(siteAddress);

    TF_Copyright *dialog = showDialog();
    auto *widget = dialog->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(widget->cursor().shape(), Qt::PointingHandCursor);
    // Clicked, then reached with Tab and followed with Enter: the window stays open.
    QTest::mouseClick(widget, Qt::LeftButton);
    widget->setFocus(Qt::TabFocusReason);
    QTest::keyClick(widget, Qt::Key_Return);
    QTest::qWait(50);
    if (expected.isEmpty()) {
        QVERIFY(m_catcher.opened.isEmpty());
    } else {
        QCOMPARE(m_catcher.opened.size(), 2);
        QCOMPARE(m_catcher.opened.first().toString(), expected);
        QCOMPARE(m_catcher.opened.last().toString(), expected);
    }
    QVERIFY(dialog->isVisible());
}

QTEST_MAIN(TestFCopy)
#include "tst_fcopy.moc"
