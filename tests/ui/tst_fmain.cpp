// The main window driven as a user drives it: picks, typing, Tab and Enter, links and keys.
#include "EntryFields.h"
#include "Environment.h"
#include "FMain.h"
#include "FindControl.h"
#include "FrenchLocale.h"
#include "HomeBrowser.h"
#include "HomeText.h"
#include "LinkLabel.h"
#include "Maker.h"
#include "NumberEdit.h"
#include "NumberText.h"
#include "PageModel.h"
#include "PublishedScales.h"
#include "UrlCatcher.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>
#include <tuple>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class TestFMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensOnCalculatorWithoutHomePage();
    void opensOnHomePageWhenItLoads();
    void opensOnCalculatorWhenHomePageFails();
    void homePanelSaysWhyWithoutBrowser();
    void calculatorReadyBeforeBrowser();
    void calculateRule();
    void mileageCalculation_data();
    void mileageCalculation();
    void annualDistanceFollowsDays();
    void perDayFieldRewrittenOnLeaving_data();
    void perDayFieldRewrittenOnLeaving();
    void dayCountCapped();
    void yearChangeRefillsKinds();
    void yearPickedTwiceWithFocus();
    void yearsOfTheScales();
    void powerListFollowsKind();
    void changedInputEmptiesAmount();
    void keyFilters();
    void clipboard();
    void fieldMenuAndFullDayCount();
    void badInputInEveryField_data();
    void badInputInEveryField();
    void enterMovesToNextField();
    void controlShortcuts();
    void panelsKeepValues();
    void hoverFeedback();
    void linksOpenAddresses();
    void linksFollowTheKeyboard();
    void fuelPageAtStart();
    void fuelTwoWheeler();
    void fuelStatusChange();
    void fuelCalculation_data();
    void fuelCalculation();
    void fuelInputsEmptyAmount();
    void realCostsPage();
    void realCostsLimits_data();
    void realCostsLimits();
    void realCostsVehicleCarried();
    void realCostsYearOffers();
    void longCommuteHintAbove80_data();
    void longCommuteHintAbove80();
    void accessibleNumberField_data();
    void accessibleNumberField();
    void accessibleYearList();
    void accessibleWorkingLines();
    void homePageText();

private:
    template<class T> T *find(const QString &name) const
    {
        return FindControl<T>(m_window.get(), name);
    }
    // Copies the program's home page into the folder; false when it cannot.
    static bool copyHomePage(const QString &folder);
    void makeWindow(const QString &homeFolder);
    void pick(const QString &list, int index);
    // Picks an income year by its caption.
    void pickYear(const QString &list, int year);
    void typeInto(const QString &field, const QString &text);
    void tabOut();
    void pasteInto(const QString &field, const QString &text);
    QString text(const QString &label) const;
    void showFuelPage();
    void showRealCostsPage();
    // A label's, a field's or the comparison's text, each kind of space a plain one.
    QString plain(const QString &name) const;
    // Answers the next modal dialog with `answer` (which receives it), failing when none came.
    void expectDialog(std::function<void(QWidget *)> answer);
    void watchForUnexpectedDialogs();

    QTemporaryDir m_emptyFolder;
    std::unique_ptr<TF_Main> m_window;
    QTimer m_watchdog;
    std::function<void(QWidget *)> m_expected;
    QStringList m_unexpected;
    TUrlCatcher m_urls;
};

void TestFMain::initTestCase()
{
    PinFrenchLocale();
    QDesktopServices::setUrlHandler(u"https"_s, &m_urls, "open");
    m_watchdog.setInterval(20);
    connect(&m_watchdog, &QTimer::timeout, this, &TestFMain::watchForUnexpectedDialogs);
    m_watchdog.start();
}

void TestFMain::init()
{
    m_urls.urls.clear();
    m_unexpected.clear();
    m_expected = nullptr;
    makeWindow(m_emptyFolder.path());
}

void TestFMain::cleanup()
{
    m_window.reset();
    QGuiApplication::clipboard()->clear();
    QVERIFY2(m_unexpected.isEmpty(), qPrintable(m_unexpected.join(u", "_s)));
}

bool TestFMain::copyHomePage(const QString &folder)
{
    return QFile::copy(QStringLiteral(VEMORA_HOME_PAGE), folder + u"/index.html"_s);
}

void TestFMain::makeWindow(const QString &homeFolder)
{
    m_window = std::make_unique<TF_Main>(homeFolder);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestFMain::watchForUnexpectedDialogs()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (m_expected) {
        auto answer = std::move(m_expected);
        m_expected = nullptr;
        answer(modal);
        return;
    }
    m_unexpected << modal->windowTitle();
    modal->close();
}

void TestFMain::expectDialog(std::function<void(QWidget *)> answer)
{
    m_expected = std::move(answer);
}

void TestFMain::pick(const QString &list, int index)
{
    // As a user picks: open the list and click the entry.
    auto *combo = find<QComboBox>(list);
    combo->setFocus(Qt::MouseFocusReason);
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex item = combo->model()->index(index, 0);
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(combo->currentIndex(), index);
    m_window->activateWindow();
    QTRY_VERIFY(m_window->isActiveWindow());
}

void TestFMain::pickYear(const QString &list, int year)
{
    const int index = find<QComboBox>(list)->findText(QString::number(year));
    QVERIFY2(index >= 0, qPrintable(u"%1 is not offered"_s.arg(year)));
    pick(list, index);
}

void TestFMain::typeInto(const QString &field, const QString &typed)
{
    auto *edit = find<QLineEdit>(field);
    if (!edit->hasFocus()) {
        edit->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(edit->hasFocus());
    }
    QTest::keyClicks(edit, typed);
}

void TestFMain::tabOut()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCoreApplication::processEvents();
}

void TestFMain::pasteInto(const QString &field, const QString &pasted)
{
    // The context menu's paste, which no key filter sees.
    auto *edit = find<TNumberEdit>(field);
    edit->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(edit->hasFocus());
    QGuiApplication::clipboard()->setText(pasted);
    std::unique_ptr<QMenu> menu(edit->createContextMenu());
    auto *paste = menu->findChild<QAction *>(u"edit-paste"_s);
    QVERIFY(paste);
    QVERIFY(paste->isEnabled());
    paste->trigger();
}

QString TestFMain::text(const QString &label) const
{
    if (auto *edit = m_window->findChild<QLineEdit *>(label))
        return edit->text();
    return find<QLabel>(label)->text();
}

void TestFMain::showFuelPage()
{
    auto *pages = find<QTabWidget>(u"PC_Main"_s);
    pages->setCurrentIndex(1);
    QCOMPARE(m_window->ActiveTypeCalc(), tcFuelCost);
}

void TestFMain::showRealCostsPage()
{
    find<QTabWidget>(u"PC_Main"_s)->setCurrentIndex(2);
    QCOMPARE(m_window->ActiveTypeCalc(), tcRealCosts);
}

QString TestFMain::plain(const QString &name) const
{
    auto *edit = m_window->findChild<QTextEdit *>(name);
    return (edit ? edit->toPlainText() : text(name))
        .replace(QChar(0x202F), u' ')
        .replace(QChar(0x00A0), u' ');
}

void TestFMain::opensOnCalculatorWithoutHomePage()
{
    QVERIFY(!m_window->HomePanelShown());
    QVERIFY(find<QWidget>(u"P_Calc"_s)->isVisible());
    QCOMPARE(m_window->ActiveTypeCalc(), tcKmCost);
    // The newest income year, first in the list, with its six kinds.
    auto *years = find<QComboBox>(u"E_Year"_s);
    QCOMPARE(years->currentIndex(), 0);
    QCOMPARE(years->currentText(), QString::number(NewestYear(tcKmCost)));
    QCOMPARE(find<QComboBox>(u"E_Type"_s)->count(), 6);
    QCOMPARE(find<QComboBox>(u"E_Power"_s)->currentText(), u"3 CV et moins"_s);
    QVERIFY(find<QLabel>(u"I_Thermic"_s)->isVisible());
    // "&Calculer": Alt+C presses the button of the page shown.
    QCOMPARE(find<QPushButton>(u"B_Calc"_s)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C));
    QCOMPARE(find<QPushButton>(u"B_KmCalc"_s)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C));
    QVERIFY(!find<QLabel>(u"I_Electric"_s)->isVisible());
    QCOMPARE(m_window->findChild<QWidget *>(u"WebBrowser1"_s), nullptr);
}

void TestFMain::opensOnHomePageWhenItLoads()
{
    if (BrowserEngineLeftOut())
        QSKIP("the browser engine is left out of this build's tests");
    QTemporaryDir folder;
    QVERIFY(copyHomePage(folder.path()));
    makeWindow(folder.path());
    QVERIFY(m_window->HomePanelShown());
    THomeBrowser *browser = nullptr;
    // The browser comes from its own module, with its own copy of the class's type data: it is
    // found by name.
    QTRY_VERIFY((browser = static_cast<THomeBrowser *>(
                     m_window->findChild<QWidget *>(u"WebBrowser1"_s))) != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(browser->Url().isLocalFile() && !browser->Title().isEmpty(), 30000);
    QVERIFY(m_window->HomePanelShown());
    QVERIFY(browser->Url().toLocalFile().endsWith(u"/index.html"_s));

    // "Accéder à la calculatrice" shows the calculator with the focus on the year.
    QTest::mouseClick(find<QLabel>(u"L_ShowCalc"_s), Qt::LeftButton);
    QVERIFY(!m_window->HomePanelShown());
    QTRY_COMPARE(QApplication::focusWidget(), find<QWidget>(u"E_Year"_s));

    // The page's drawing process dies: the home panel says so, the window stays.
    QTest::mouseClick(find<QLabel>(u"L_Home"_s), Qt::LeftButton);
    emit browser->stopped();
    QVERIFY(find<QLabel>(u"L_HomeProblem"_s)->isVisible());
    QVERIFY(find<QLabel>(u"L_HomeProblem"_s)->text().contains(u"s'est arrêté"_s));
    QVERIFY(!browser->isVisible());
}

// Started by the superuser with the engine's sandbox on, the browser would end the program: it
// is not started, the home panel says why, and the calculator works.
void TestFMain::homePanelSaysWhyWithoutBrowser()
{
    if (BrowserEngineLeftOut())
        QSKIP("the browser engine is left out of this build's tests");
    if (::geteuid() != 0)
        QSKIP("only the superuser meets the browser's refusal");
    QTemporaryDir folder;
    QVERIFY(copyHomePage(folder.path()));
    const QByteArray sandbox = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    const auto restore =
        qScopeGuard([&sandbox] { qputenv("QTWEBENGINE_DISABLE_SANDBOX", sandbox); });
    makeWindow(folder.path());
    QTRY_VERIFY_WITH_TIMEOUT(m_window->findChild<QLabel *>(u"L_HomeProblem"_s), 10000);
    QVERIFY(find<QLabel>(u"L_HomeProblem"_s)->isVisible());
    QVERIFY(find<QLabel>(u"L_HomeProblem"_s)->text().contains(u"superutilisateur (root)"_s));
    QVERIFY(m_window->HomePanelShown());
    QCOMPARE(m_window->findChild<QWidget *>(u"WebBrowser1"_s), nullptr);

    QTest::mouseClick(find<QLabel>(u"L_ShowCalc"_s), Qt::LeftButton);
    typeInto(u"E_Distance"_s, u"12000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    QVERIFY(!text(u"L_Result"_s).isEmpty());
}

// With a home page, the calculator is made once the window is up: whatever the user does first
// finds it ready, and keys typed early hold the browser back rather than wait for it.
void TestFMain::calculatorReadyBeforeBrowser()
{
    if (BrowserEngineLeftOut())
        QSKIP("the browser engine is left out of this build's tests");
    QTemporaryDir folder;
    QVERIFY(copyHomePage(folder.path()));
    m_window = std::make_unique<TF_Main>(folder.path());
    m_window->show();
    QVERIFY(m_window->HomePanelShown());
    QCOMPARE(m_window->findChild<QWidget *>(u"P_Calc"_s), nullptr); // not made yet

    // Keys keep coming: the browser waits.
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(m_window.get(), Qt::Key_Shift);
        QTest::qWait(50);
    }
    QCOMPARE(m_window->findChild<QWidget *>(u"WebBrowser1"_s), nullptr);

    QTest::mouseClick(find<QLabel>(u"L_ShowCalc"_s), Qt::LeftButton);
    QVERIFY(!m_window->HomePanelShown());
    QTRY_COMPARE(QApplication::focusWidget(), find<QWidget>(u"E_Year"_s));
    typeInto(u"E_Distance"_s, u"12000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    QVERIFY(!text(u"L_Result"_s).isEmpty());
    QVERIFY(m_window->LastKmCalc().Amount > 0);

    // Once left alone, the browser comes, without taking the user back to the home page.
    QTRY_VERIFY_WITH_TIMEOUT(m_window->findChild<QWidget *>(u"WebBrowser1"_s), 10000);
    QVERIFY(!m_window->HomePanelShown());

    // Ctrl+F closes the window even before anything else was made.
    m_window = std::make_unique<TF_Main>(folder.path());
    m_window->show();
    QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(m_window->findChild<QWidget *>(u"P_Calc"_s), nullptr);
    QTRY_VERIFY(!m_window->isVisible());
}

void TestFMain::opensOnCalculatorWhenHomePageFails()
{
    if (BrowserEngineLeftOut())
        QSKIP("the browser engine is left out of this build's tests");
    // A "?" in the folder's name cuts the address short: the page cannot be found.
    QTemporaryDir parent;
    const QString folder = parent.filePath(u"accueil?introuvable"_s);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(copyHomePage(folder));
    makeWindow(folder);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->HomePanelShown(), 30000);
    QVERIFY(find<QWidget>(u"P_Calc"_s)->isVisible());
    QVERIFY(m_unexpected.isEmpty()); // silently
}

void TestFMain::calculateRule()
{
    auto *calc = find<QPushButton>(u"B_Calc"_s);
    QVERIFY(!calc->isEnabled());
    typeInto(u"E_Distance"_s, u"1"_s);
    QVERIFY(calc->isEnabled());
    QTest::keyClick(find<QLineEdit>(u"E_Distance"_s), Qt::Key_Backspace);
    QVERIFY(!calc->isEnabled());
    // A negative distance cannot be typed, but it can be pasted: it still cannot be computed.
    pasteInto(u"E_Distance"_s, u"-5000"_s);
    QCOMPARE(text(u"E_Distance"_s), u"-5000"_s);
    QVERIFY(!calc->isEnabled());
    find<QLineEdit>(u"E_Distance"_s)->clear();
    typeInto(u"E_Distance"_s, u"0,4"_s);
    QVERIFY(!calc->isEnabled()); // rounds to 0 km
}

void TestFMain::mileageCalculation_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("power");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("shown");

    QTest::newRow("car 5 CV 12000 km") << 2022 << 0 << 2 << u"12000"_s << Fr(u"5 679"_s);
    QTest::newRow("electric car marked up") << 2022 << 3 << 0 << u"4000"_s << Fr(u"2 540"_s);
    QTest::newRow("electric moped") << 2022 << 5 << -1 << u"4500"_s << Fr(u"1 281"_s);
    QTest::newRow("electric car 2019") << 2019 << 3 << 1 << u"15000"_s << Fr(u"5 557"_s);
    QTest::newRow("half euro rounded up") << 2022 << 0 << 0 << u"2500"_s << Fr(u"1 323"_s);
    QTest::newRow("moped 2017 middle band") << 2017 << 2 << -1 << u"3000"_s << u"601"_s;
    QTest::newRow("electric motorcycle 2025 marked up")
        << 2025 << 4 << 0 << u"3000"_s << Fr(u"1 422"_s);
}

void TestFMain::mileageCalculation()
{
    QFETCH(int, year);
    QFETCH(int, kind);
    QFETCH(int, power);
    QFETCH(QString, distance);
    QFETCH(QString, shown);

    pickYear(u"E_Year"_s, year);
    pick(u"E_Type"_s, kind);
    if (power >= 0)
        pick(u"E_Power"_s, power);
    typeInto(u"E_Distance"_s, distance);
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_Result"_s), shown);
    QCOMPARE(m_window->LastKmCalc().Distance, TextToNumber(distance));
    QCOMPARE(int(m_window->LastKmCalc().Kind), kind);
    QCOMPARE(int(m_window->LastKmCalc().Year), year);
}

void TestFMain::annualDistanceFollowsDays()
{
    typeInto(u"E_NumOfDays"_s, u"200"_s);
    QCOMPARE(text(u"E_Distance"_s), QString()); // no distance per day yet
    typeInto(u"E_DistanceByDay"_s, u"12,5"_s);
    QCOMPARE(text(u"E_Distance"_s), Fr(u"2 500"_s));
    QVERIFY(find<QPushButton>(u"B_Calc"_s)->isEnabled());
    find<QLineEdit>(u"E_DistanceByDay"_s)->selectAll();
    QTest::keyClick(find<QLineEdit>(u"E_DistanceByDay"_s), Qt::Key_Backspace);
    QCOMPARE(text(u"E_Distance"_s), u"0"_s);
    QVERIFY(!find<QPushButton>(u"B_Calc"_s)->isEnabled());

    // 218 days at 18,25 km: 3978,5, a tie going to the even 3978.
    typeInto(u"E_DistanceByDay"_s, u"18,25"_s);
    find<QLineEdit>(u"E_NumOfDays"_s)->clear();
    typeInto(u"E_NumOfDays"_s, u"218"_s);
    QCOMPARE(text(u"E_Distance"_s), Fr(u"3 978"_s));

    // Typing the annual distance leaves both factors alone.
    find<QLineEdit>(u"E_Distance"_s)->clear();
    typeInto(u"E_Distance"_s, u"100"_s);
    QCOMPARE(text(u"E_NumOfDays"_s), u"218"_s);
    QCOMPARE(text(u"E_DistanceByDay"_s), u"18,25"_s);
}

void TestFMain::perDayFieldRewrittenOnLeaving_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("rewritten");
    QTest::newRow("one decimal kept") << u"12,5"_s << u"12,5"_s;
    QTest::newRow("cents rounded half up") << u"12,345"_s << u"12,35"_s;
    QTest::newRow("thousands grouped") << u"1234,5"_s << Fr(u"1 234,5"_s);
    QTest::newRow("trailing zeros dropped") << u"12,50"_s << u"12,5"_s;
    QTest::newRow("lone separator") << u","_s << u"0"_s;
    QTest::newRow("empty stays empty") << QString() << QString();
}

void TestFMain::perDayFieldRewrittenOnLeaving()
{
    QFETCH(QString, typed);
    QFETCH(QString, rewritten);
    typeInto(u"E_DistanceByDay"_s, typed);
    tabOut();
    QCOMPARE(text(u"E_DistanceByDay"_s), rewritten);
}

void TestFMain::dayCountCapped()
{
    // 2020 has 366 days.
    pickYear(u"E_Year"_s, 2020);
    typeInto(u"E_DistanceByDay"_s, u"10"_s);
    typeInto(u"E_NumOfDays"_s, u"400"_s);
    QCOMPARE(text(u"E_Distance"_s), Fr(u"4 000"_s));
    tabOut();
    QCOMPARE(text(u"E_NumOfDays"_s), u"366"_s);
    // The annual distance follows the capped count.
    QCOMPARE(text(u"E_Distance"_s), Fr(u"3 660"_s));

    pickYear(u"E_Year"_s, 2021);
    find<QLineEdit>(u"E_NumOfDays"_s)->clear();
    typeInto(u"E_NumOfDays"_s, u"400"_s);
    tabOut();
    QCOMPARE(text(u"E_NumOfDays"_s), u"365"_s);
    QCOMPARE(text(u"E_Distance"_s), Fr(u"3 650"_s));

    typeInto(u"E_NumOfDays"_s, u"300"_s); // entering the field selected its whole text
    QCOMPARE(text(u"E_NumOfDays"_s), u"300"_s);
    tabOut();
    QCOMPARE(text(u"E_NumOfDays"_s), u"300"_s);
}

void TestFMain::yearChangeRefillsKinds()
{
    pick(u"E_Type"_s, 3);
    typeInto(u"E_Distance"_s, u"8000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    QVERIFY(!text(u"L_Result"_s).isEmpty());
    QVERIFY(find<QLabel>(u"I_Electric"_s)->isVisible());

    pickYear(u"E_Year"_s, 2017);
    QCOMPARE(text(u"L_Result"_s), QString());
    auto *kinds = find<QComboBox>(u"E_Type"_s);
    QCOMPARE(kinds->count(), 3);
    QCOMPARE(kinds->currentText(), u"Automobile"_s);
    QVERIFY(find<QLabel>(u"I_Thermic"_s)->isVisible());
}

void TestFMain::yearPickedTwiceWithFocus()
{
    // 2017 then back to the newest year while the list keeps the focus: the six kinds come
    // back.
    pick(u"E_Type"_s, 4);
    pickYear(u"E_Year"_s, 2017);
    QCOMPARE(find<QComboBox>(u"E_Type"_s)->count(), 3);
    QCOMPARE(find<QComboBox>(u"E_Type"_s)->currentText(), u"Moto"_s);
    pick(u"E_Year"_s, 0);
    QCOMPARE(find<QComboBox>(u"E_Type"_s)->count(), 6);
    QCOMPARE(find<QComboBox>(u"E_Type"_s)->currentText(), u"Moto thermique"_s);
    QCOMPARE(find<QComboBox>(u"E_Power"_s)->count(), 3);
}

void TestFMain::yearsOfTheScales()
{
    // Every year offered has its scale, newest first.
    for (const QString &list : {u"E_Year"_s, u"E_KmYear"_s}) {
        auto *years = find<QComboBox>(list);
        QVERIFY(years->count() > 1);
        for (int i = 0; i < years->count(); ++i) {
            const int year = years->itemText(i).toInt();
            QVERIFY(list == u"E_Year"_s ? IsKmYearOffered(year) : IsFuelYearOffered(year));
            QVERIFY(i == 0 || year < years->itemText(i - 1).toInt());
        }
    }

    // Mileage: back from 2017 to 2025, the six kinds and the marked-up electric scale.
    pickYear(u"E_Year"_s, 2017);
    QCOMPARE(find<QComboBox>(u"E_Type"_s)->count(), 3);
    pickYear(u"E_Year"_s, 2025);
    QCOMPARE(find<QComboBox>(u"E_Type"_s)->count(), 6);
    pick(u"E_Type"_s, 3);
    pick(u"E_Power"_s, 2);
    typeInto(u"E_Distance"_s, u"12000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_Result"_s), Fr(u"6 810"_s)); // 0.428 × 12000 + 1674

    // Fuel: each year its own rates; an amount of another year does not stay shown.
    showFuelPage();
    pick(u"E_KmPower"_s, 1);
    typeInto(u"E_KmDistance"_s, u"10000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_KmResult"_s), Fr(u"1 100"_s));
    pickYear(u"E_KmYear"_s, 2022);
    QCOMPARE(text(u"L_KmResult"_s), QString());
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_KmResult"_s), Fr(u"1 260"_s));
    pickYear(u"E_KmYear"_s, 2025);
    QCOMPARE(text(u"L_KmResult"_s), QString());
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_KmResult"_s), Fr(u"1 100"_s));
    QCOMPARE(int(m_window->LastFuelCalc().Year), 2025);
}

void TestFMain::powerListFollowsKind()
{
    auto *power = find<QComboBox>(u"E_Power"_s);
    auto *powerLabel = find<QLabel>(u"L_Power"_s);
    pick(u"E_Type"_s, 2);
    QVERIFY(!power->isVisible());
    QVERIFY(!powerLabel->isVisible());
    QCOMPARE(power->count(), 0);
    pick(u"E_Type"_s, 0);
    QVERIFY(power->isVisible());
    QCOMPARE(powerLabel->text(), u"Puissance administrative du véhicule"_s);
    QCOMPARE(power->currentText(), u"3 CV et moins"_s);

    pick(u"E_Power"_s, 4);
    pick(u"E_Type"_s, 1);
    QCOMPARE(powerLabel->text(), u"Puissance administrative de la moto"_s);
    QCOMPARE(power->currentText(), u"1 ou 2 CV"_s);
    pick(u"E_Type"_s, 0);
    pick(u"E_Power"_s, 1);
    pick(u"E_Type"_s, 4);
    QCOMPARE(power->currentText(), u"3 à 5 CV"_s);
    for (int kind = 0; kind < 6; ++kind) {
        pick(u"E_Type"_s, kind);
        QCOMPARE(find<QLabel>(u"I_Electric"_s)->isVisible(), kind >= 3);
        QCOMPARE(find<QLabel>(u"I_Thermic"_s)->isVisible(), kind < 3);
    }
}

void TestFMain::changedInputEmptiesAmount()
{
    typeInto(u"E_Distance"_s, u"12000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_Result"_s), Fr(u"4 857"_s));
    pick(u"E_Power"_s, 0); // the same class again
    QCOMPARE(text(u"L_Result"_s), Fr(u"4 857"_s));
    pick(u"E_Power"_s, 2);
    QCOMPARE(text(u"L_Result"_s), QString());
    pick(u"E_Power"_s, 0); // back to the reference: the amount stays empty
    QCOMPARE(text(u"L_Result"_s), QString());

    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    typeInto(u"E_Distance"_s, u"1"_s);
    QCOMPARE(text(u"L_Result"_s), QString());
}

void TestFMain::keyFilters()
{
    typeInto(u"E_DistanceByDay"_s, u"1.5"_s);
    QCOMPARE(text(u"E_DistanceByDay"_s), u"1,5"_s);
    typeInto(u"E_DistanceByDay"_s, u",-a 2"_s);
    QCOMPARE(text(u"E_DistanceByDay"_s), u"1,52"_s);
    // A separator replacing the selected one is accepted.
    find<QLineEdit>(u"E_DistanceByDay"_s)->setSelection(1, 1);
    typeInto(u"E_DistanceByDay"_s, u"."_s);
    QCOMPARE(text(u"E_DistanceByDay"_s), u"1,52"_s);

    typeInto(u"E_NumOfDays"_s, u"2.,x-1 5 9"_s);
    QCOMPARE(text(u"E_NumOfDays"_s), u"215"_s); // three characters at most
    typeInto(u"E_Distance"_s, u"-12e3"_s);
    QCOMPARE(text(u"E_Distance"_s), u"123"_s);
}

void TestFMain::clipboard()
{
    // Ctrl+V typed in a numeric field pastes nothing.
    QGuiApplication::clipboard()->setText(u"77"_s);
    typeInto(u"E_Distance"_s, u"5"_s);
    QTest::keyClick(find<QLineEdit>(u"E_Distance"_s), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(text(u"E_Distance"_s), u"5"_s);
    // Shift+Insert does.
    QTest::keyClick(find<QLineEdit>(u"E_Distance"_s), Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(text(u"E_Distance"_s), u"577"_s);

    // Letters and the inner minus sign go, "." is the separator, the second one goes.
    pasteInto(u"E_DistanceByDay"_s, u"a1-2.5,3"_s);
    QCOMPARE(text(u"E_DistanceByDay"_s), u"12,53"_s);
    find<QLineEdit>(u"E_DistanceByDay"_s)->clear();
    pasteInto(u"E_DistanceByDay"_s, u"-5"_s);
    QCOMPARE(text(u"E_DistanceByDay"_s), u"-5"_s);
    find<QLineEdit>(u"E_DistanceByDay"_s)->clear();
    pasteInto(u"E_DistanceByDay"_s, u"5-"_s);
    QCOMPARE(text(u"E_DistanceByDay"_s), u"5"_s);
}

void TestFMain::fieldMenuAndFullDayCount()
{
    // The menu names only shortcuts the field accepts: none with Ctrl and a letter.
    std::unique_ptr<QMenu> menu(find<TNumberEdit>(u"E_DistanceByDay"_s)->createContextMenu());
    QStringList named;
    for (QAction *action : menu->actions()) {
        const QString keys = action->text().section(u'\t', 1);
        QVERIFY2(!QRegularExpression(u"Ctrl\\+[A-Z]$"_s).match(keys).hasMatch(),
                 qPrintable(action->text()));
        if (!keys.isEmpty())
            named << action->objectName() + u' ' + keys;
    }
    QCOMPARE(named, (QStringList{u"edit-cut Shift+Del"_s, u"edit-copy Ctrl+Ins"_s,
                                 u"edit-paste Shift+Ins"_s, u"edit-delete Del"_s}));

    // A click into a full day count selects it: the digit typed then replaces it.
    typeInto(u"E_NumOfDays"_s, u"218"_s);
    auto *days = find<QLineEdit>(u"E_NumOfDays"_s);
    QTest::mouseClick(days, Qt::LeftButton, {}, days->rect().center());
    QTest::keyClicks(days, u"5"_s);
    QCOMPARE(days->text(), u"5"_s);
}

void TestFMain::badInputInEveryField_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::newRow("ten thousand digits") << QString(10000, u'9');
    QTest::newRow("ten thousand letters") << QString(10000, u'x');
    QTest::newRow("huge exponent") << u"1e99999"_s;
    QTest::newRow("not a number") << u"nan"_s;
    QTest::newRow("infinity") << u"inf"_s;
    QTest::newRow("digits of another script") << u"\u0661\u0662\u0663"_s;
    QTest::newRow("control characters") << u"\u0001\u0008\u001b12\u0000"_s;
}

void TestFMain::badInputInEveryField()
{
    QFETCH(QString, pasted);
    const QStringList fields{u"E_DistanceByDay"_s,   u"E_NumOfDays"_s,   u"E_Distance"_s,
                             u"E_KmDistanceByDay"_s, u"E_KmNumOfDays"_s, u"E_KmDistance"_s};
    QElapsedTimer clock;
    clock.start();
    for (const QString &field : fields) {
        if (field.startsWith(u"E_Km"_s))
            showFuelPage();
        pasteInto(field, pasted);
        tabOut();
    }
    QVERIFY(clock.elapsed() < 10000);
    // Each field reads its text by the entry rules, whatever the text became.
    QCOMPARE(m_window->GetDistance(), DistanceFromText(text(u"E_Distance"_s)));
    QCOMPARE(m_window->GetKmDistance(), DistanceFromText(text(u"E_KmDistance"_s)));
    QCOMPARE(m_window->GetNumOfDays(), NumOfDaysFromText(text(u"E_NumOfDays"_s)));
    QVERIFY(text(u"E_NumOfDays"_s).size() <= 3);
    QCOMPARE(m_window->GetDistanceByDay(), DistanceByDayFromText(text(u"E_DistanceByDay"_s)));
    for (const QString &field : {u"E_DistanceByDay"_s, u"E_KmDistanceByDay"_s}) {
        for (const QChar c : text(field))
            QVERIFY2(c.isDigit() || c == u',' || c == u'-' || c == QChar(FrenchThousands),
                     qPrintable(field));
    }
    // Whatever the distance became, the buttons follow it.
    QCOMPARE(find<QPushButton>(u"B_Calc"_s)->isEnabled(), m_window->GetDistance() > 0);
    QCOMPARE(find<QPushButton>(u"B_KmCalc"_s)->isEnabled(), m_window->GetKmDistance() > 0);
}

void TestFMain::enterMovesToNextField()
{
    typeInto(u"E_Distance"_s, u"300"_s);
    typeInto(u"E_NumOfDays"_s, u"20"_s);
    QTest::keyClick(find<QLineEdit>(u"E_NumOfDays"_s), Qt::Key_Return);
    QCOMPARE(text(u"E_NumOfDays"_s), u"20"_s);
    QTRY_COMPARE(QApplication::focusWidget(), find<QWidget>(u"E_Distance"_s));
    QCOMPARE(text(u"E_Distance"_s), u"300"_s);
    QTest::keyClick(find<QLineEdit>(u"E_Distance"_s), Qt::Key_Enter); // the keypad's Enter
    QTRY_COMPARE(QApplication::focusWidget(), find<QWidget>(u"B_Calc"_s));
    // Without a distance the button is disabled and the focus passes it by.
    find<QLineEdit>(u"E_Distance"_s)->clear();
    typeInto(u"E_Distance"_s, QString());
    QTest::keyClick(find<QLineEdit>(u"E_Distance"_s), Qt::Key_Return);
    QTRY_VERIFY(QApplication::focusWidget() != find<QWidget>(u"E_Distance"_s));
    QVERIFY(QApplication::focusWidget() != find<QWidget>(u"B_Calc"_s));
}

void TestFMain::controlShortcuts()
{
    QSignalSpy prints(m_window.get(), &TF_Main::printRequested);
    auto *year = find<QWidget>(u"E_Year"_s);
    year->setFocus();
    QTest::keyClick(year, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(year, Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(year, Qt::Key_F, Qt::AltModifier);
    QVERIFY(m_window->isVisible());

    // Ctrl+N prints the active page's calculation after the printer dialog; no printer is
    // installed here, which the print command says first.
    int noPrinter = 0;
    auto expectNoPrinter = [this, &noPrinter] {
        expectDialog([&noPrinter](QWidget *dialog) {
            noPrinter += dialog->findChildren<QLabel *>().size() > 0 &&
                         dialog->windowTitle() == u"Avertissement"_s;
            dialog->close();
        });
    };
    expectNoPrinter();
    QTest::keyClick(year, Qt::Key_N, Qt::ControlModifier);
    QTRY_COMPARE(prints.size(), 1); // once the key is over
    QCOMPARE(prints.at(0).at(0).value<TTypeCalc>(), tcKmCost);
    QCOMPARE(prints.at(0).at(1).toBool(), true);
    expectNoPrinter();
    QTest::mouseClick(find<QLabel>(u"I_Print"_s), Qt::LeftButton);
    QCOMPARE(prints.size(), 2);
    QCOMPARE(prints.at(1).at(1).toBool(), false); // at once, without the dialog
    QCOMPARE(noPrinter, 2);
    m_window->activateWindow();
    QTRY_VERIFY(m_window->isActiveWindow());
    year->setFocus();

    // Ctrl+I shows the information window.
    QString title;
    expectDialog([&title](QWidget *dialog) {
        title = dialog->windowTitle();
        dialog->close();
    });
    QTest::keyClick(year, Qt::Key_I, Qt::ControlModifier);
    QTRY_COMPARE(title, u"Informations"_s);

    // From the home panel too: Ctrl+N for the fuel page, then Ctrl+F closes the program.
    showFuelPage();
    QTest::mouseClick(find<QLabel>(u"L_Home"_s), Qt::LeftButton);
    QVERIFY(m_window->HomePanelShown());
    QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get();
    expectNoPrinter();
    QTest::keyClick(focus, Qt::Key_N, Qt::ControlModifier);
    QTRY_COMPARE(prints.size(), 3);
    QCOMPARE(noPrinter, 3);
    QCOMPARE(prints.at(2).at(0).value<TTypeCalc>(), tcFuelCost);
    QTest::keyClick(focus, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!m_window->isVisible());
}

void TestFMain::panelsKeepValues()
{
    typeInto(u"E_Distance"_s, u"12000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    showFuelPage();
    typeInto(u"E_KmDistance"_s, u"500"_s);
    QTest::mouseClick(find<QLabel>(u"L_Home"_s), Qt::LeftButton);
    QVERIFY(m_window->HomePanelShown());
    QWidget *focusBefore = QApplication::focusWidget();
    QTest::mouseClick(find<QLabel>(u"L_ShowCalc"_s), Qt::LeftButton);
    QVERIFY(!m_window->HomePanelShown());
    QCOMPARE(m_window->ActiveTypeCalc(), tcFuelCost);
    QCOMPARE(QApplication::focusWidget(), focusBefore); // the fuel page keeps its focus
    QCOMPARE(text(u"E_KmDistance"_s), u"500"_s);
    QCOMPARE(text(u"L_Result"_s), Fr(u"4 857"_s));
    QCOMPARE(text(u"E_Distance"_s), u"12000"_s);
}

void TestFMain::hoverFeedback()
{
    auto *print = find<QLabel>(u"I_Print"_s);
    auto *frame = find<QWidget>(u"S_BtnBorder"_s);
    QVERIFY(!frame->isVisible());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(print, &enter);
    QVERIFY(frame->isVisible());
    QCOMPARE(frame->geometry(), QRect(print->x() - 3, print->y() - 2, 41, 41));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(print, &leave);
    QVERIFY(!frame->isVisible());

    auto *close = m_window->findChild<TLinkLabel *>(u"L_Close"_s);
    QCOMPARE(close->textColor(), QColor(0xFF, 0xFF, 0xFF));
    QApplication::sendEvent(close, &enter);
    QCOMPARE(close->textColor(), QColor(0xE3, 0xF0, 0xFF));
    QApplication::sendEvent(close, &leave);
    QCOMPARE(close->textColor(), QColor(0xFF, 0xFF, 0xFF));
    // The home panel's link does the reverse.
    auto *showCalc = m_window->findChild<TLinkLabel *>(u"L_ShowCalc"_s);
    QCOMPARE(showCalc->textColor(), QColor(0xE3, 0xF0, 0xFF));
    QApplication::sendEvent(showCalc, &enter);
    QCOMPARE(showCalc->textColor(), QColor(0xFF, 0xFF, 0xFF));
}

// Links are Tab stops, framed while they have the keyboard, and Enter or Space follows them
// (Enter elsewhere moves on, as Tab).
void TestFMain::linksFollowTheKeyboard()
{
    QSignalSpy prints(m_window.get(), &TF_Main::printRequested);
    auto *close = find<TLinkLabel>(u"L_Close"_s);
    QVERIFY(close->focusPolicy() & Qt::TabFocus);
    const QColor unframed = close->grab().toImage().pixelColor(0, 0);
    close->setFocus(Qt::TabFocusReason);
    QCOMPARE(close->grab().toImage().pixelColor(0, 0), TLinkLabel::FocusFrameColor());
    QVERIFY(unframed != TLinkLabel::FocusFrameColor());

    for (const auto &[name, key, withDialog] : {std::tuple{u"L_Print"_s, Qt::Key_Return, true},
                                                {u"I_Print"_s, Qt::Key_Space, false},
                                                {u"L_Print"_s, Qt::Key_Enter, true}}) {
        auto *link = find<TLinkLabel>(name);
        link->setFocus(Qt::TabFocusReason);
        expectDialog([](QWidget *dialog) { dialog->close(); }); // no printer here
        QTest::keyClick(link, key);
        QVERIFY2(prints.size() == 1 && prints.takeFirst().at(1).toBool() == withDialog,
                 qPrintable(name));
        QTRY_VERIFY(!m_expected);
        QCOMPARE(m_window->focusWidget(), link); // the keyboard's place once the window is back
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    // Shift+Enter is not a click.
    QTest::keyClick(find<TLinkLabel>(u"L_Print"_s), Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(prints.size(), 0);

    // Back home, Enter on "Accéder à la calculatrice" opens the calculator.
    QTest::keyClick(find<TLinkLabel>(u"L_Home"_s), Qt::Key_Space);
    QVERIFY(m_window->HomePanelShown());
    auto *showCalc = find<TLinkLabel>(u"L_ShowCalc"_s);
    showCalc->setFocus(Qt::TabFocusReason);
    QTest::keyClick(showCalc, Qt::Key_Return);
    QVERIFY(!m_window->HomePanelShown());
    QCOMPARE(QApplication::focusWidget(), find<QWidget>(u"E_Year"_s));
}

void TestFMain::linksOpenAddresses()
{
    QTest::mouseClick(find<QLabel>(u"L_CopyRight"_s), Qt::LeftButton);
    QCOMPARE(m_urls.urls.size(), 1);
    QCOMPARE(m_urls.urls.first().toString(), SiteAddress());
    QVERIFY(SiteAddress().startsWith(u"https://www.impots.gouv.fr/"_s));
}

void TestFMain::fuelPageAtStart()
{
    showFuelPage();
    auto *professional = find<QRadioButton>(u"RB_Professional"_s);
    QVERIFY(professional->isChecked());
    // The whole status caption is shown, left of "Salarié".
    QVERIFY(professional->sizeHint().width() <= professional->width());
    QVERIFY(professional->geometry().right() < find<QRadioButton>(u"RB_Employee"_s)->x());
    QCOMPARE(find<QComboBox>(u"E_KmYear"_s)->currentIndex(), 0);
    QCOMPARE(find<QComboBox>(u"E_KmYear"_s)->currentText(),
             QString::number(NewestYear(tcFuelCost)));
    QCOMPARE(find<QComboBox>(u"E_KmType"_s)->currentText(), u"Voiture de tourisme"_s);
    QCOMPARE(find<QComboBox>(u"E_KmPower"_s)->currentText(), u"3 à 4 CV"_s);
    QCOMPARE(find<QComboBox>(u"E_KmFuel"_s)->currentText(), u"Gazole"_s);
    QVERIFY(!find<QPushButton>(u"B_KmCalc"_s)->isEnabled());
    QCOMPARE(m_window->LastFuelCalc().ScaleRow, -1);
}

void TestFMain::fuelTwoWheeler()
{
    showFuelPage();
    pick(u"E_KmFuel"_s, 2);
    pick(u"E_KmPower"_s, 4);
    pick(u"E_KmType"_s, 1);
    QVERIFY(!find<QComboBox>(u"E_KmFuel"_s)->isEnabled());
    QVERIFY(!find<QLabel>(u"L_KmFuel"_s)->isEnabled());
    QCOMPARE(find<QComboBox>(u"E_KmFuel"_s)->currentText(), u"GPL"_s);
    QCOMPARE(find<QComboBox>(u"E_KmPower"_s)->count(), 4);
    QCOMPARE(find<QComboBox>(u"E_KmPower"_s)->currentText(), u"Inférieure à 50 CC"_s);
    pick(u"E_KmPower"_s, 2);
    pick(u"E_KmType"_s, 0);
    QVERIFY(find<QComboBox>(u"E_KmFuel"_s)->isEnabled());
    QCOMPARE(find<QComboBox>(u"E_KmPower"_s)->currentText(), u"8 à 9 CV"_s);
}

void TestFMain::fuelStatusChange()
{
    showFuelPage();
    pickYear(u"E_KmYear"_s, 2022);
    auto *power = find<QComboBox>(u"E_KmPower"_s);
    pick(u"E_KmPower"_s, 3);
    typeInto(u"E_KmDistance"_s, u"10000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_KmResult"_s), Fr(u"1 690"_s));
    QTest::mouseClick(find<QRadioButton>(u"RB_Employee"_s), Qt::LeftButton);
    QCOMPARE(power->count(), 2);
    QCOMPARE(power->currentText(), u"3 à 4 CV"_s);
    // "10 à 11 CV" became "3 à 4 CV": its amount no longer stands.
    QCOMPARE(text(u"L_KmResult"_s), QString());

    QTest::mouseClick(find<QRadioButton>(u"RB_Professional"_s), Qt::LeftButton);
    pick(u"E_KmPower"_s, 1);
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_KmResult"_s), Fr(u"1 260"_s));
    QTest::mouseClick(find<QRadioButton>(u"RB_Employee"_s), Qt::LeftButton);
    QCOMPARE(power->currentText(), u"5 à 7 CV et +"_s);
    QCOMPARE(text(u"L_KmResult"_s), Fr(u"1 260"_s)); // the same scale row: the amount stays
}

void TestFMain::fuelCalculation_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("power");
    QTest::addColumn<int>("fuel");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("shown");
    QTest::newRow("diesel 5 to 7 CV") << 2022 << 0 << 1 << 0 << u"10000"_s << Fr(u"1 260"_s);
    QTest::newRow("tie to the even 86") << 2022 << 0 << 2 << 1 << u"500"_s << u"86"_s;
    QTest::newRow("tie to the even 26") << 2022 << 0 << 0 << 0 << u"250"_s << u"26"_s;
    QTest::newRow("LPG just below the half") << 2022 << 0 << 0 << 2 << u"2500"_s << u"157"_s;
    QTest::newRow("two-wheeler") << 2022 << 1 << 3 << 0 << u"10000"_s << Fr(u"1 360"_s);
    QTest::newRow("unleaded 12 CV and more 2025")
        << 2025 << 0 << 4 << 1 << u"20000"_s << Fr(u"4 160"_s);
    QTest::newRow("two-wheeler 2024") << 2024 << 1 << 2 << 0 << u"10000"_s << u"990"_s;
}

void TestFMain::fuelCalculation()
{
    QFETCH(int, year);
    QFETCH(int, kind);
    QFETCH(int, power);
    QFETCH(int, fuel);
    QFETCH(QString, distance);
    QFETCH(QString, shown);
    showFuelPage();
    pickYear(u"E_KmYear"_s, year);
    pick(u"E_KmType"_s, kind);
    pick(u"E_KmPower"_s, power);
    if (kind == 0)
        pick(u"E_KmFuel"_s, fuel);
    typeInto(u"E_KmDistance"_s, distance);
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_KmResult"_s), shown);
}

void TestFMain::fuelInputsEmptyAmount()
{
    showFuelPage();
    pickYear(u"E_KmYear"_s, 2022);
    pick(u"E_KmFuel"_s, 1);
    typeInto(u"E_KmDistance"_s, u"500"_s);
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_KmResult"_s), u"59"_s);
    pick(u"E_KmFuel"_s, 2);
    QCOMPARE(text(u"L_KmResult"_s), QString());
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    pick(u"E_KmFuel"_s, 0);
    QCOMPARE(text(u"L_KmResult"_s), QString());

    // 220 days at 10 km: the annual distance follows, the earlier amount goes.
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    QVERIFY(!text(u"L_KmResult"_s).isEmpty());
    typeInto(u"E_KmNumOfDays"_s, u"220"_s);
    typeInto(u"E_KmDistanceByDay"_s, u"10"_s);
    QCOMPARE(text(u"E_KmDistance"_s), Fr(u"2 200"_s));
    QVERIFY(find<QPushButton>(u"B_KmCalc"_s)->isEnabled());
    QCOMPARE(text(u"L_KmResult"_s), QString());
}

// The mileage amount carried to the third page, a whole comparison with the keyboard, the sheet
// it prints, the names screen readers get, and a refused input.
void TestFMain::realCostsPage()
{
    const auto plain = [](QString text) {
        return text.replace(QChar(0x202F), u' ').replace(QChar(0x00A0), u' ');
    };
    typeInto(u"E_DistanceByDay"_s, u"90"_s);
    QVERIFY(find<QLabel>(u"L_LongCommute"_s)->isVisible());
    QVERIFY(find<QLineEdit>(u"E_DistanceByDay"_s)->accessibleDescription().contains(u"§ 10"_s));
    find<QLineEdit>(u"E_DistanceByDay"_s)->clear();
    typeInto(u"E_Distance"_s, u"12000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    QCOMPARE(text(u"L_Result"_s), Fr(u"4 857"_s));

    auto *pages = find<QTabWidget>(u"PC_Main"_s);
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(m_window->ActiveTypeCalc(), tcRealCosts);
    QCOMPARE(plain(text(u"E_RcVehicle"_s)), u"4 857,00"_s);
    QCOMPARE(plain(text(u"L_RcVehicleOrigin"_s)),
             u"barème kilométrique 2025 : 12 000 km, 3 CV et moins"_s);
    // Another year has no amount of its own; the year of the amount brings it back.
    pickYear(u"E_RcYear"_s, 2024);
    QCOMPARE(text(u"E_RcVehicle"_s), QString());
    pickYear(u"E_RcYear"_s, 2025);

    // Keys only: the pay, Tab through the vehicle to the meals, Alt+C.
    find<QComboBox>(u"E_RcYear"_s)->setFocus(Qt::TabFocusReason);
    for (const char *typed : {"30000", "", "100"}) {
        tabOut();
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
    }
    QCOMPARE(QApplication::focusWidget()->objectName(), u"E_RcMeals"_s);
    // On to "Calculer" past the other fields (the flat home working has none in 2025), Space.
    for (int i = 0; i < 7; ++i)
        tabOut();
    QCOMPARE(QApplication::focusWidget()->objectName(), u"B_RcCalc"_s);
    QCOMPARE(find<QPushButton>(u"B_RcCalc"_s)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    const QString working = plain(find<QTextEdit>(u"E_RcWorking"_s)->toPlainText());
    for (const QString &line :
         {u"Les frais réels réduisent votre revenu imposable de 2 402 € de plus que la déduction "
          u"de 10 %."_s,
          u"Frais réels à déclarer case 1AK (déclarant 1) ou 1BK (déclarant 2) : 5 402 €"_s,
          u"Repas : 100 × (5,45 (sans justificatif)) = 5,45 € : 545,00 €"_s,
          u"Revenu imposable avec les frais réels : 30 000,00 − 5 402 = 24 598 €"_s})
        QVERIFY2(working.contains(line), qPrintable(working));
    QCOMPARE(plain(text(u"L_RcResult"_s)), u"5 402"_s);

    // The sheet: each line of the page, the verdict and the box to fill.
    TPageList sheets{std::make_shared<TRecordedPage>()};
    m_window->PrintCalcResult(tcRealCosts, 1, &sheets);
    QStringList printed;
    for (const TTextOp &op : sheets.first()->Operations())
        printed << plain(op.Text);
    for (const QString &expected :
         {u"Frais réels ou déduction de 10 % : revenus 2025"_s, u"Frais de véhicule :   "_s,
          u"barème kilométrique 2025 : 12 000 km, 3 CV et moins : 4 857,00 €"_s,
          u"Conclusion :   "_s, u"Repas pris au foyer :   "_s, u"5 402 €"_s,
          u"Frais réels à déclarer case 1AK (déclarant 1) ou 1BK (déclarant 2) :   "_s})
        QVERIFY2(printed.contains(expected), qPrintable(printed.join(u'|')));

    // Screen readers: every field named after its label, the result after what it holds.
    QCOMPARE(find<QLineEdit>(u"E_RcSalary"_s)->accessibleName(),
             u"Salaire net imposable de l'année"_s);
    QCOMPARE(find<QTextEdit>(u"E_RcWorking"_s)->accessibleName(), u"Résultat de la comparaison"_s);

    // Three meals a day are refused in words, and nothing stays shown.
    typeInto(u"E_RcMeals"_s, u"800"_s);
    QString said;
    expectDialog([&said](QWidget *dialog) {
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            said += label->text();
        dialog->close();
    });
    QTest::mouseClick(find<QPushButton>(u"B_RcCalc"_s), Qt::LeftButton);
    QTRY_VERIFY(!said.isEmpty());
    QVERIFY2(plain(said).contains(u"Nombre de repas hors limites : 800 (de 0 à 730 en 2025"_s),
             qPrintable(said));
    QCOMPARE(text(u"L_RcResult"_s), QString());
}

// Each amount, price and count of the page at its limit: refused beyond it, in words and with
// nothing shown, and computed at it. 30 000 € of pay give a 10 % deduction of 3 000 €.
void TestFMain::realCostsLimits_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QStringList>("entries"); // field, its text, field, its text...
    QTest::addColumn<QString>("refusal");     // what the dialog says; empty when computed
    QTest::addColumn<QString>("line");        // a line of the comparison, when computed
    QTest::addColumn<QString>("declared");
    const auto refused = [](const char *name, int year, const QStringList &entries,
                            const QString &refusal) {
        QTest::newRow(name) << year << entries << refusal << QString() << QString();
    };
    const auto computed = [](const char *name, int year, const QStringList &entries,
                             const QString &line, const QString &declared) {
        QTest::newRow(name) << year << entries << QString() << line << declared;
    };
    refused("negative pay", 2024, {u"Salary"_s, u"-1"_s},
            u"Salaire net imposable négatif : -1,00 €"_s);
    refused("vehicle a cent above ten million", 2024, {u"Vehicle"_s, u"10000000,01"_s},
            u"Frais de véhicule trop grand : 10 000 000,01 € (10 000 000 € au plus)"_s);
    refused("meal price a cent above 1000", 2024,
            {u"Meals"_s, u"1"_s, u"MealPrice"_s, u"1000,01"_s},
            u"Prix moyen d'un repas trop grand : 1 000,01 € (1 000 € au plus)"_s);
    refused("733 meals in leap 2024", 2024, {u"Meals"_s, u"733"_s},
            u"Nombre de repas hors limites : 733 (de 0 à 732 en 2024, deux par jour)"_s);
    refused("366 home-working days in 2023", 2023, {u"HomeDays"_s, u"366"_s},
            u"Nombre de jours de télétravail hors limites : 366 (de 0 à 365 en 2023)"_s);
    refused("367 home-working days in leap 2024", 2024, {u"HomeDays"_s, u"367"_s},
            u"Nombre de jours de télétravail hors limites : 367 (de 0 à 366 en 2024)"_s);
    refused("home-working days and amount", 2024,
            {u"HomeDays"_s, u"10"_s, u"HomeActual"_s, u"100"_s},
            u"Donnez les jours de télétravail ou ses frais réels, pas les deux"_s);
    refused("unreadable meal count", 2024, {u"Meals"_s, u"-"_s},
            u"Nombre illisible pour « Repas pris sur le lieu de travail » : « - »"_s);
    refused("a fraction of a meal", 2024, {u"Meals"_s, u"2,5"_s},
            u"Nombre illisible pour « Repas pris sur le lieu de travail » : « 2,5 » (un nombre "
            u"entier est attendu)"_s);
    refused("a fraction of a home-working day", 2024, {u"HomeDays"_s, u"1,5"_s},
            u"Nombre illisible pour « Jours de télétravail (forfait) » : « 1,5 » (un nombre "
            u"entier est attendu)"_s);
    computed("732 meals in leap 2024", 2024, {u"Meals"_s, u"732"_s},
             u"Repas : 732 × (5,35 (sans justificatif)) = 5,35 € : 3 916,20 €"_s, u"3 916"_s);
    computed("meal price at 1000", 2024, {u"Meals"_s, u"1"_s, u"MealPrice"_s, u"1000"_s},
             u"Repas : 1 × (1 000,00 − 5,35) = 994,65 € : 994,65 €"_s, u"995"_s);
    computed("366 home-working days in leap 2024", 2024, {u"HomeDays"_s, u"366"_s},
             u"Télétravail : 366 jours × 2,70 € = 988,20 €, plafonné à 626,40 €"_s, u"626"_s);
    computed("232 home-working days reach the 2024 cap", 2024, {u"HomeDays"_s, u"232"_s},
             u"Télétravail : 232 jours × 2,70 € = 626,40 €"_s, u"626"_s);
    computed("actual home working in 2025", 2025, {u"HomeActual"_s, u"800"_s},
             u"Télétravail : montant réel : 800,00 €"_s, u"800"_s);
}

void TestFMain::realCostsLimits()
{
    QFETCH(int, year);
    QFETCH(QStringList, entries);
    QFETCH(QString, refusal);
    QFETCH(QString, line);
    QFETCH(QString, declared);
    showRealCostsPage();
    pickYear(u"E_RcYear"_s, year);
    for (qsizetype i = 0; i + 1 < entries.size(); i += 2) {
        // A minus sign, or a comma in a count, cannot be typed, but it can be pasted.
        const QString &entry = entries.at(i + 1);
        if (entry.startsWith(u'-') ||
            (entry.contains(u',') && (entries.at(i) == u"Meals" || entries.at(i) == u"HomeDays")))
            pasteInto(u"E_Rc"_s + entries.at(i), entries.at(i + 1));
        else
            typeInto(u"E_Rc"_s + entries.at(i), entries.at(i + 1));
    }
    if (text(u"E_RcSalary"_s).isEmpty())
        typeInto(u"E_RcSalary"_s, u"30000"_s);
    QString said;
    if (!refusal.isEmpty()) {
        expectDialog([&said](QWidget *dialog) {
            for (const QLabel *label : dialog->findChildren<QLabel *>())
                said += label->text();
            dialog->close();
        });
    }
    QTest::mouseClick(find<QPushButton>(u"B_RcCalc"_s), Qt::LeftButton);
    if (!refusal.isEmpty()) {
        QTRY_VERIFY(!said.isEmpty());
        said.replace(QChar(0x202F), u' ').replace(QChar(0x00A0), u' ');
        QVERIFY2(said.contains(refusal), qPrintable(said));
        QCOMPARE(text(u"L_RcResult"_s), QString());
        QCOMPARE(plain(u"E_RcWorking"_s), QString());
        return;
    }
    // The whole line: a cap or a count cannot hide after the part compared.
    const QString working = plain(u"E_RcWorking"_s);
    QVERIFY2(working.split(u'\n').contains(line), qPrintable(working));
    QCOMPARE(plain(u"L_RcResult"_s), declared);
}

// The fuel page's amount reaches the page in its year with its origin, a mileage calculation of
// that year takes its place, and an amount typed over it is computed without origin until a
// scale's page computes again.
void TestFMain::realCostsVehicleCarried()
{
    const auto carried = [this] {
        return plain(u"E_RcVehicle"_s) + u" | "_s + plain(u"L_RcVehicleOrigin"_s);
    };
    const auto computeMileage = [this] {
        find<QTabWidget>(u"PC_Main"_s)->setCurrentIndex(0);
        QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
        showRealCostsPage();
    };
    showFuelPage();
    pickYear(u"E_KmYear"_s, 2022);
    pick(u"E_KmPower"_s, 1); // 5 à 7 CV, diesel: 0,126 € per km in 2022
    typeInto(u"E_KmDistance"_s, u"10000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_KmCalc"_s), Qt::LeftButton);
    showRealCostsPage();
    pickYear(u"E_RcYear"_s, 2022);
    QCOMPARE(carried(), u"1 260,00 | barème carburant 2022 : 10 000 km, 5 à 7 CV, gazole"_s);

    // A 5 CV car in 2022: 12 000 km × 0,357 + 1 395 = 5 679 €.
    const QString mileage = u"5 679,00 | barème kilométrique 2022 : 12 000 km, 5 CV"_s;
    find<QTabWidget>(u"PC_Main"_s)->setCurrentIndex(0);
    pickYear(u"E_Year"_s, 2022);
    pick(u"E_Power"_s, 2);
    typeInto(u"E_Distance"_s, u"12000"_s);
    computeMileage();
    QCOMPARE(carried(), mileage);

    // 2 000 € typed: 30 000 € of pay leave 28 000 €, 1 000 € more than the 10 % deduction.
    typeInto(u"E_RcSalary"_s, u"30000"_s);
    find<QLineEdit>(u"E_RcVehicle"_s)->clear();
    typeInto(u"E_RcVehicle"_s, u"2000"_s);
    QCOMPARE(text(u"L_RcVehicleOrigin"_s), u"montant saisi"_s);
    QTest::mouseClick(find<QPushButton>(u"B_RcCalc"_s), Qt::LeftButton);
    QCOMPARE(plain(u"L_RcResult"_s), u"2 000"_s);
    const QString working = plain(u"E_RcWorking"_s);
    QVERIFY2(working.contains(u"Frais de véhicule : 2 000,00 €\n"_s), qPrintable(working));
    QVERIFY2(working.contains(u"réduit votre revenu imposable de 1 000 € de plus que les frais "_s),
             qPrintable(working));
    QVERIFY2(!working.contains(u"barème"_s), qPrintable(working));
    computeMileage(); // over the typed amount, whose comparison goes
    QCOMPARE(carried(), mileage);
    QCOMPARE(text(u"L_RcResult"_s), QString());
}

// What a year does not offer cannot be given: flat home-working days go in a year without the
// flat amount, and a marginal rate the year lacks falls back to none.
void TestFMain::realCostsYearOffers()
{
    auto *days = find<QLineEdit>(u"E_RcHomeDays"_s);
    showRealCostsPage();
    for (int year : {2019, 2025}) {
        pickYear(u"E_RcYear"_s, 2024);
        QCOMPARE(plain(u"L_RcHomeNote"_s),
                 u"Forfait de 2,70 € par jour, 626,40 € par an au plus"_s);
        typeInto(u"E_RcHomeDays"_s, u"10"_s);
        pickYear(u"E_RcYear"_s, year);
        QVERIFY(!days->isEnabled());
        QCOMPARE(days->text(), QString());
        QVERIFY(plain(u"L_RcHomeNote"_s).endsWith(u" : le montant réel seulement"_s));
    }
    // 14 % is a rate of 2019, not of 2024; 30 % is one of both.
    auto *rates = find<QComboBox>(u"E_RcRate"_s);
    for (const auto &[rate, kept] : {std::pair{u"14"_s, u"Non indiqué"_s}, {u"30"_s, u"30 %"_s}}) {
        pickYear(u"E_RcYear"_s, 2019);
        pick(u"E_RcRate"_s, rates->findText(rate + QChar(0x00A0) + u'%'));
        pickYear(u"E_RcYear"_s, 2024);
        QCOMPARE(rates->currentText().replace(QChar(0x00A0), u' '), kept);
    }
    // 2 000 € of costs leave 1 000 € more than the 10 % deduction: 300 € of tax at 30 %.
    typeInto(u"E_RcSalary"_s, u"30000"_s);
    typeInto(u"E_RcVehicle"_s, u"2000"_s);
    QTest::mouseClick(find<QPushButton>(u"B_RcCalc"_s), Qt::LeftButton);
    QVERIFY2(
        plain(u"E_RcWorking"_s).contains(u"Impôt évité (estimation) : 1 000 € × 30 % = 300,00 €"_s),
        qPrintable(plain(u"E_RcWorking"_s)));
}

void TestFMain::longCommuteHintAbove80_data()
{
    QTest::addColumn<QString>("perDay");
    QTest::addColumn<bool>("hinted");
    QTest::newRow("exactly 80 km") << u"80"_s << false;
    QTest::newRow("a hundredth above 80 km") << u"80,01"_s << true;
    QTest::newRow("half a km above 80 km") << u"80,5"_s << true;
}

void TestFMain::longCommuteHintAbove80()
{
    QFETCH(QString, perDay);
    QFETCH(bool, hinted);
    auto *field = find<QLineEdit>(u"E_DistanceByDay"_s);
    typeInto(u"E_DistanceByDay"_s, perDay);
    QCOMPARE(find<QLabel>(u"L_LongCommute"_s)->isVisible(), hinted);
    QCOMPARE(field->accessibleDescription().contains(u"§ 10"_s), hinted);
    field->selectAll();
    QTest::keyClicks(field, u"80"_s); // back to 80 km, the hint goes
    QVERIFY(!find<QLabel>(u"L_LongCommute"_s)->isVisible());
}

// A field's text comes whole to screen readers, its digit groups joined, the caret where the
// typing left it: a fault once gave "12000" as "1200".
void TestFMain::accessibleNumberField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("12000 km keeps its last digit") << u"E_Distance"_s << u"12000"_s << u"12000"_s;
    QTest::newRow("8000 km") << u"E_Distance"_s << u"8000"_s << u"8000"_s;
    QTest::newRow("123456 km") << u"E_Distance"_s << u"123456"_s << u"123456"_s;
    QTest::newRow("distance per day grouped on leaving")
        << u"E_DistanceByDay"_s << u"1234,5"_s << u"1234,5"_s;
}

void TestFMain::accessibleNumberField()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, spoken);
    auto *edit = find<QLineEdit>(field);
    QAccessibleInterface *described = QAccessible::queryAccessibleInterface(edit);
    QVERIFY(described && described->textInterface());
    QAccessibleTextInterface *text = described->textInterface();
    typeInto(field, typed);
    QCOMPARE(text->cursorPosition(), int(typed.size()));
    tabOut(); // the field may group its digits as it is left
    QCOMPARE(described->text(QAccessible::Value), spoken);
    QCOMPARE(text->characterCount(), int(spoken.size()));
    QCOMPARE(text->text(0, text->characterCount()), spoken);
    int start = -1, end = -1;
    text->attributes(text->characterCount() - 1, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(0, int(spoken.size())));
    QCOMPARE(text->cursorPosition(), int(spoken.size()));
    // A caret put before the last digit by the screen reader lands there on screen.
    text->setCursorPosition(int(spoken.size()) - 1);
    QCOMPARE(edit->cursorPosition(), int(edit->text().size()) - 1);
}

// The year list tells the year chosen, by a pick or by the arrow keys, and which entry is chosen.
void TestFMain::accessibleYearList()
{
    auto *years = find<QComboBox>(u"E_Year"_s);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(years);
    QVERIFY(list && list->textInterface());
    QCOMPARE(list->childCount(), years->count());
    pickYear(u"E_Year"_s, 2024);
    for (const auto &[key, year] :
         {std::pair{Qt::Key_unknown, 2024}, {Qt::Key_Down, 2023}, {Qt::Key_Up, 2024}}) {
        if (key != Qt::Key_unknown)
            QTest::keyClick(years, key);
        const QString chosen = QString::number(year);
        QCOMPARE(list->text(QAccessible::Value), chosen);
        QCOMPARE(list->textInterface()->characterCount(), 4);
        QCOMPARE(list->textInterface()->text(0, 4), chosen);
        for (int i = 0; i < list->childCount(); ++i)
            QCOMPARE(list->child(i)->state().selected, years->itemText(i) == chosen);
    }
}

// The working of a comparison is read line by line as it is shown, a long paragraph in its
// rows, numbers whole; the arrow keys and the screen reader move the same caret.
void TestFMain::accessibleWorkingLines()
{
    find<QTabWidget>(u"PC_Main"_s)->setCurrentIndex(2);
    auto *working = find<QTextEdit>(u"E_RcWorking"_s);
    working->setPlainText(u"Revenu : 30\u202F000,00 €\nLes frais réels réduisent votre revenu "
                          u"imposable de 2\u202F402 € de plus que la déduction de 10 %, ce qui "
                          u"vaut mieux cette année pour les repas et le véhicule.\nTotal : "
                          u"5\u202F402 €"_s);
    QAccessibleTextInterface *text =
        QAccessible::queryAccessibleInterface(working)->textInterface();
    QVERIFY(text);
    QStringList rows;
    QList<int> starts;
    int start = -1, end = 0;
    while (end < text->characterCount()) {
        starts << end;
        rows << text->textAtOffset(end, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(start, starts.last());
        QVERIFY(end > start);
    }
    QCOMPARE(rows.join(QString()), text->text(0, text->characterCount()));
    QVERIFY2(rows.size() > 3, qPrintable(rows.join(u'|'))); // the long paragraph wraps
    QCOMPARE(rows.first(), u"Revenu : 30000,00 €\n"_s);
    QCOMPARE(rows.last(), u"Total : 5402 €"_s);
    working->setFocus();
    for (int row = 1; row < rows.size(); ++row) {
        QTest::keyClick(working, Qt::Key_Down);
        QCOMPARE(text->cursorPosition(), starts.at(row));
    }
    text->setCursorPosition(starts.at(1));
    QCOMPARE(working->textCursor().position(), int(working->toPlainText().indexOf(u"Les"_s)));
}

// The home page as the keyboard and screen readers read it: each heading, paragraph and step on a
// line of its own, in the page's order, without tags, its entities read as the characters.
void TestFMain::homePageText()
{
    if (BrowserEngineLeftOut())
        QSKIP("this build has no home page");
    QString title;
    const QStringList lines = HomePageLines(QStringLiteral(VEMORA_HOME_PAGE), &title);
    QCOMPARE(title, u"Vemora — accueil"_s);
    const QStringList expected{
        u"Vemora — calculatrice des frais de véhicule"_s,
        u"Les forfaits kilométrique et carburant de l’impôt sur le revenu, calculés au centime "
        u"près."_s,
        u"Barème kilométrique revenus "_s + YearRangeText(tcKmCost),
        u"Automobiles, motos et cyclomoteurs, thermiques ou électriques."_s,
        u"Véhicules électriques : + 20 % à partir des revenus "_s +
            QString::number(FirstElectricMarkupYear()) + u'.',
        u"Barème carburant revenus "_s + YearRangeText(tcFuelCost),
        u"Pour les entrepreneurs individuels, professions libérales et associés."_s,
        u"Pour les salariés, avec leur propre barème."_s,
        u"Mode d’emploi"_s,
        u"1. Choisissez l’année des revenus, le type de véhicule et sa puissance administrative."_s,
        u"2. Tapez la distance annuelle en kilomètres, ou bien la distance par jour et le nombre "
        u"de jours travaillés."_s,
        u"3. Appuyez sur Calculer : le montant s’affiche en euros."_s,
        u"4. Pour garder une trace, choisissez Imprimer..., puis imprimez ou enregistrez en PDF "
        u"depuis l’aperçu."_s,
        u"5. La page « Frais réels ou 10 % » dit s’il vaut mieux déclarer vos frais réels."_s,
        u"Barèmes officiels"_s,
        u"Simulateur du barème kilométrique (impots.gouv.fr)"_s,
        u"Arrêté du 27 mars 2023 fixant le barème kilométrique des revenus 2022, reconduit les "
        u"années suivantes (Légifrance)"_s,
        u"Bulletin officiel des finances publiques (BOFiP-Impôts)"_s,
        u"Vemora ne garde aucune donnée : rien n’est enregistré d’une utilisation à l’autre. Le "
        u"bouton Accéder à la calculatrice, en bas de la fenêtre, ouvre la calculatrice."_s,
        u"L’utilisateur reste seul responsable de l’usage qui est fait de ces informations."_s};
    QCOMPARE(lines, expected);

    // Read as a document, line after line as the Down key moves through it.
    THomeText home(nullptr);
    home.SetPage(title, lines);
    QAccessibleInterface *document = QAccessible::queryAccessibleInterface(&home);
    QCOMPARE(document->role(), QAccessible::Document);
    QCOMPARE(document->text(QAccessible::Name), title);
    QAccessibleTextInterface *text = document->textInterface();
    int start = -1, end = -1;
    for (qsizetype i = 0; i <= lines.size(); ++i) {
        const QString line = i < lines.size() - 1 ? lines.at(i) + u'\n' : lines.last();
        QCOMPARE(
            text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end),
            line);
        QTest::keyClick(&home, Qt::Key_Down);
    }
}

int main(int argc, char **argv)
{
    // No print server: the print command finds no printer.
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestFMain test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fmain.moc"
