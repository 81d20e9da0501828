// The window and its home page as a screen reader gets them, on an X server with the
// accessibility bus: roles, names, actions, the amount said when it appears, and the page's
// title, headings and links.
#include "Environment.h"
#include "FMain.h"
#include "FindControl.h"
#include "FrenchLocale.h"
#include "Maker.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

class TestScreenReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowAsSaid();
    void homePageRead();

private:
    template<class T> T *find(const QString &name) const
    {
        return FindControl<T>(m_window.get(), name);
    }
    QAccessibleInterface *describe(const QString &name) const
    {
        return QAccessible::queryAccessibleInterface(find<QWidget>(name));
    }
    void compute(const QString &field, const QString &button);

    QTemporaryDir m_noHomePage;
    std::unique_ptr<TF_Main> m_window;
};

void TestScreenReader::initTestCase()
{
    PinFrenchLocale();
    // The accessibility bus answers a moment after the start.
    if (!QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000))
        QSKIP("no accessibility bus here (run through with-screen-reader-bus.sh)");
}

void TestScreenReader::compute(const QString &field, const QString &button)
{
    auto *edit = find<QLineEdit>(field);
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, u"12000"_s);
    QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
}

// Links with their role, action and shortcut; the amount with its caption, said once when it
// appears; the status group and the units of the fields.
void TestScreenReader::windowAsSaid()
{
    static QList<QPair<QAccessible::Event, QString>> events;
    QAccessible::installUpdateHandler([](QAccessibleEvent *event) {
        if (QAccessibleInterface *target = event->accessibleInterface())
            events.append({event->type(), target->text(QAccessible::Name)});
    });
    const auto restore = qScopeGuard([] { QAccessible::installUpdateHandler(nullptr); });
    m_window = std::make_unique<TF_Main>(m_noHomePage.path());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    QCOMPARE(QAccessible::queryAccessibleInterface(m_window.get())->role(), QAccessible::Window);
    QAccessibleInterface *print = describe(u"L_Print"_s);
    QCOMPARE(print->role(), QAccessible::Link);
    QVERIFY(print->state().focusable);
    QAccessibleActionInterface *actions = print->actionInterface();
    QVERIFY(actions && actions->actionNames().contains(u"click"_s));
    QCOMPARE(actions->keyBindingsForAction(u"click"_s), QStringList{u"Ctrl+N"_s});
    QVERIFY(print->text(QAccessible::Description).endsWith(u"(Ctrl+N)"_s));
    describe(u"L_Home"_s)->actionInterface()->doAction(u"click"_s);
    QVERIFY(m_window->HomePanelShown());
    describe(u"L_ShowCalc"_s)->actionInterface()->doAction(u"click"_s);
    QVERIFY(!m_window->HomePanelShown());
    QCOMPARE(describe(u"L_CopyRight"_s)->text(QAccessible::Name), MakerNotice());
    QCOMPARE(describe(u"I_Thermic"_s)->text(QAccessible::Name), u"Véhicule thermique"_s);

    events.clear();
    compute(u"E_Distance"_s, u"B_Calc"_s);
    // Said as one number: without the narrow space the box shows between its digit groups.
    const QString spoken = u"Le montant de vos frais kilométriques s'élève à : %1 euros"_s.arg(
        find<QLabel>(u"L_Result"_s)->text().remove(QChar(0x202F)));
    QCOMPARE(describe(u"L_Result"_s)->text(QAccessible::Name), spoken);
    QVERIFY(events.contains({QAccessible::ObjectShow, spoken}));
    // The same amount again is not said twice; a changed input empties it.
    events.clear();
    QTest::mouseClick(find<QPushButton>(u"B_Calc"_s), Qt::LeftButton);
    QVERIFY(!events.contains({QAccessible::ObjectShow, spoken}));
    QTest::keyClick(find<QLineEdit>(u"E_Distance"_s), Qt::Key_Backspace);
    QVERIFY(describe(u"L_Result"_s)->text(QAccessible::Name).endsWith(u"aucun montant calculé"_s));
    // A field's text comes whole, in one run of attributes, its digit groups joined.
    QAccessibleTextInterface *field = describe(u"E_Distance"_s)->textInterface();
    find<QLineEdit>(u"E_Distance"_s)->setText(u"12\u202F000"_s);
    int start = -1, end = -1;
    field->attributes(0, &start, &end);
    QCOMPARE(field->text(start, end), u"12000"_s);
    // A list's text is its chosen entry, its children its entries; the arrow keys give the
    // entry they choose the focus.
    auto *years = find<QComboBox>(u"E_Year"_s);
    QAccessibleInterface *list = describe(u"E_Year"_s);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    years->setFocus();
    events.clear();
    QTest::keyClick(years, Qt::Key_Down);
    QCOMPARE(list->childCount(), years->count());
    QVERIFY(list->textInterface());
    QCOMPARE(list->textInterface()->text(0, 4), years->currentText());
    QVERIFY(events.contains({QAccessible::Focus, years->currentText()}));

    find<QTabWidget>(u"PC_Main"_s)->setCurrentIndex(1);
    compute(u"E_KmDistance"_s, u"B_KmCalc"_s);
    QVERIFY(describe(u"L_KmResult"_s)
                ->text(QAccessible::Name)
                .startsWith(u"Le montant de vos frais de carburant s'élève à : "_s));
    // The status choices form a group that each choice is labelled with: a grouping would be read
    // as a panel each time the keyboard enters it.
    QAccessibleInterface *status = describe(u"RB_Employee"_s)->parent();
    QCOMPARE(status->role(), QAccessible::Section);
    QCOMPARE(status->text(QAccessible::Name), u"Statut du contribuable"_s);
    QCOMPARE(describe(u"RB_Employee"_s)
                 ->relations(QAccessible::Label)
                 .value(0)
                 .first->text(QAccessible::Name),
             u"Statut du contribuable"_s);
    QStringList labels;
    for (const auto &relation : describe(u"E_KmNumOfDays"_s)->relations(QAccessible::Label))
        labels << relation.first->text(QAccessible::Name);
    QVERIFY2(labels.contains(u"Jours"_s), qPrintable(labels.join(u", "_s)));
}

// The real program, its home page read through the accessibility bus: the page's title, its
// headings and its links.
void TestScreenReader::homePageRead()
{
    if (BrowserEngineLeftOut())
        QSKIP("this build leaves the browser engine out");
    QProcess probe;
    probe.start(u"/usr/bin/python3"_s, {u"-c"_s, u"import pyatspi"_s});
    if (!probe.waitForFinished(20000) || probe.exitCode() != 0)
        QSKIP("python3-pyatspi is not installed (scripts/install-deps.sh installs it)");

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(VEMORA_PROGRAM), {});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished(5000);
    });
    QProcess reader;
    reader.start(u"/usr/bin/python3"_s, {QStringLiteral(VEMORA_READ_HOME_PAGE), u"90"_s});
    QVERIFY(reader.waitForFinished(120000));
    const QStringList lines = QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n');
    QVERIFY2(reader.exitCode() == 0, qPrintable(QString::fromUtf8(reader.readAllStandardError())));
    QCOMPARE(lines.first(), u"document|Vemora — accueil"_s);
    // Qt's bridge to the accessibility bus passes no heading levels on (it has no attributes).
    QVERIFY2(lines.contains(u"heading|Vemora — calculatrice des frais de véhicule"_s),
             qPrintable(lines.join(u'\n')));
    QVERIFY(lines.contains(u"heading|Mode d’emploi"_s));
    QVERIFY(lines.contains(u"link|Simulateur du barème kilométrique"_s));
}

QTEST_MAIN(TestScreenReader)
#include "tst_screenreader.moc"
