// The message dialogs: captions, icons, texts, buttons, answers, pointer and typed-ahead keys.
#include "FrenchLocale.h"
#include "MessageDialogs.h"
#include "ModalWatchdog.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

#include <memory>
#include <optional>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(TDialogKind)
Q_DECLARE_METATYPE(TDialogButton)
Q_DECLARE_METATYPE(std::optional<TDialogButton>)
Q_DECLARE_METATYPE(QMessageBox::Icon)

namespace {

// Stands for the keyboard: a key posted here reaches, when it is handled, the modal dialog that
// is up then (or the widget with the focus), as a key typed ahead would.
class TTypedAhead : public QObject
{
public:
    int delivered = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return QObject::event(event);
        ++delivered;
        QWidget *target = QApplication::activeModalWidget();
        if (!target)
            target = QApplication::focusWidget();
        if (target) {
            const auto *key = static_cast<QKeyEvent *>(event);
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(target, &copy);
        }
        return true;
    }
};

// Counts the events it receives, by kind.
class TEventCounter : public QObject
{
public:
    int keys = 0;
    int others = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            ++keys;
        else if (event->type() == QEvent::User)
            ++others;
        return QObject::event(event);
    }
};

// When it handles a posted QEvent::User, delivers the key "x" to its field, as the window
// system delivers a key it has queued.
class TKeyDelivery : public QObject
{
public:
    explicit TKeyDelivery(QWidget *field)
        : m_field(field)
    {
    }
    int handled = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, u"x"_s);
        QCoreApplication::sendEvent(m_field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, u"x"_s);
        QCoreApplication::sendEvent(m_field, &release);
        return true;
    }

private:
    QWidget *m_field;
};

QString answerName(std::optional<TDialogButton> answer)
{
    if (!answer)
        return u"nothing"_s;
    switch (*answer) {
    case dbYes:
        return u"Oui"_s;
    case dbNo:
        return u"Non"_s;
    case dbOk:
        return u"OK"_s;
    }
    return u"?"_s;
}

} // namespace

class TestMessageDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void captionAndIcon_data();
    void captionAndIcon();
    void headingAndBody_data();
    void headingAndBody();
    void buttons_data();
    void buttons();
    void clickedButtonIsReturned_data();
    void clickedButtonIsReturned();
    void enterPressesTheDefault_data();
    void enterPressesTheDefault();
    void closedWithoutButtonAnswersNothing();
    void arrowPointerWhileShown_data();
    void arrowPointerWhileShown();

    void warning_data();
    void warning();
    void warningWithoutTextShowsNothing();
    void warningIgnoresKeyTypedBefore();
    void warningBeep();
    void longAddressWrapsWhole();
    void warningBeepWithoutTextDoesNothing();

    void discardDropsPostedKeysOnly();
    void keysArrivingDuringTheDiscardAreEaten();

private:
    std::unique_ptr<TModalWatchdog> m_watchdog;
};

void TestMessageDialogs::initTestCase()
{
    PinFrenchLocale();
}

void TestMessageDialogs::init()
{
    m_watchdog = std::make_unique<TModalWatchdog>();
}

void TestMessageDialogs::cleanup()
{
    const QStringList unexpected = m_watchdog->unexpected();
    const qsizetype pending = m_watchdog->pending();
    m_watchdog.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(u" | "_s)));
    QCOMPARE(pending, 0);
}

void TestMessageDialogs::captionAndIcon_data()
{
    QTest::addColumn<TDialogKind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QMessageBox::Icon>("icon");

    QTest::newRow("warning") << dkWarning << u"Avertissement"_s << QMessageBox::Warning;
    QTest::newRow("error") << dkError << u"Erreur"_s << QMessageBox::Critical;
    QTest::newRow("information") << dkInformation << u"Informations"_s << QMessageBox::Information;
}

void TestMessageDialogs::captionAndIcon()
{
    QFETCH(TDialogKind, kind);
    QFETCH(QString, caption);
    QFETCH(QMessageBox::Icon, icon);

    TShownMessage shown;
    m_watchdog->expect([&shown](QWidget *dialog) {
        shown = ReadMessageBox(dialog);
        ClickMessageButton(dialog, u"OK"_s);
    });
    ShowMessageDialog(u"Titre"_s, u"Texte"_s, kind, {dbOk});
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(shown.caption, caption);
    QCOMPARE(shown.icon, icon);
    QCOMPARE(shown.objectName, u"MessageDialog"_s);
}

void TestMessageDialogs::headingAndBody_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shownBody");

    QTest::newRow("plain texts") << u"Impression"_s << u"L'imprimante ne répond pas."_s
                                 << u"L'imprimante ne répond pas."_s;
    QTest::newRow("carriage return breaks the line")
        << u"Fichier"_s << u"Impossible d'écrire:\r/tmp/a.pdf"_s
        << u"Impossible d'écrire:\n/tmp/a.pdf"_s;
    QTest::newRow("CR LF is one line break")
        << u"Fichier"_s << u"ligne 1\r\nligne 2"_s << u"ligne 1\nligne 2"_s;
    QTest::newRow("markup characters shown as typed")
        << u"<b>Titre</b> & co"_s << u"5 < 6 & <i>x</i>"_s << u"5 < 6 & <i>x</i>"_s;
    QTest::newRow("no-break space kept")
        << u"Titre"_s << u"Attention\u00A0!"_s << u"Attention\u00A0!"_s;
    QTest::newRow("inner blanks kept") << u"Titre"_s << u"a   b"_s << u"a   b"_s;
}

void TestMessageDialogs::headingAndBody()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, shownBody);

    TShownMessage shown;
    m_watchdog->expect([&shown](QWidget *dialog) {
        shown = ReadMessageBox(dialog);
        ClickMessageButton(dialog, u"OK"_s);
    });
    ShowMessageDialog(title, text, dkInformation, {dbOk});
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(shown.text, title);
    QCOMPARE(shown.informativeText, shownBody);
}

void TestMessageDialogs::buttons_data()
{
    QTest::addColumn<TDialogButtons>("asked");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("defaultButton");

    QTest::newRow("yes no ok, OK is the default")
        << TDialogButtons{dbYes, dbNo, dbOk} << QStringList{u"&Oui"_s, u"&Non"_s, u"OK"_s}
        << u"OK"_s;
    QTest::newRow("asked backwards, shown in order")
        << TDialogButtons{dbOk, dbNo, dbYes} << QStringList{u"&Oui"_s, u"&Non"_s, u"OK"_s}
        << u"OK"_s;
    QTest::newRow("yes no, yes is the default")
        << TDialogButtons{dbYes, dbNo} << QStringList{u"&Oui"_s, u"&Non"_s} << u"&Oui"_s;
    QTest::newRow("no ok, OK is the default")
        << TDialogButtons{dbNo, dbOk} << QStringList{u"&Non"_s, u"OK"_s} << u"OK"_s;
    QTest::newRow("yes ok, OK is the default")
        << TDialogButtons{dbYes, dbOk} << QStringList{u"&Oui"_s, u"OK"_s} << u"OK"_s;
    QTest::newRow("ok alone") << TDialogButtons{dbOk} << QStringList{u"OK"_s} << u"OK"_s;
    QTest::newRow("yes alone") << TDialogButtons{dbYes} << QStringList{u"&Oui"_s} << u"&Oui"_s;
}

void TestMessageDialogs::buttons()
{
    QFETCH(TDialogButtons, asked);
    QFETCH(QStringList, shown);
    QFETCH(QString, defaultButton);

    TShownMessage seen;
    m_watchdog->expect([&seen](QWidget *dialog) {
        seen = ReadMessageBox(dialog);
        qobject_cast<QDialog *>(dialog)->reject();
    });
    ShowMessageDialog(u"Question"_s, u"Continuer ?"_s, dkWarning, asked);
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(seen.buttons, shown);
    QCOMPARE(seen.defaultButton, defaultButton);
}

void TestMessageDialogs::clickedButtonIsReturned_data()
{
    QTest::addColumn<TDialogButtons>("asked");
    QTest::addColumn<QString>("click");
    QTest::addColumn<TDialogButton>("answer");

    const TDialogButtons all{dbYes, dbNo, dbOk};
    QTest::newRow("yes of three") << all << u"&Oui"_s << dbYes;
    QTest::newRow("no of three") << all << u"&Non"_s << dbNo;
    QTest::newRow("ok of three") << all << u"OK"_s << dbOk;
    QTest::newRow("no of yes no") << TDialogButtons{dbYes, dbNo} << u"&Non"_s << dbNo;
    QTest::newRow("ok alone") << TDialogButtons{dbOk} << u"OK"_s << dbOk;
}

void TestMessageDialogs::clickedButtonIsReturned()
{
    QFETCH(TDialogButtons, asked);
    QFETCH(QString, click);
    QFETCH(TDialogButton, answer);

    m_watchdog->expect([click](QWidget *dialog) {
        if (!ClickMessageButton(dialog, click))
            qobject_cast<QDialog *>(dialog)->reject();
    });
    const std::optional<TDialogButton> result =
        ShowMessageDialog(u"Question"_s, u"Continuer ?"_s, dkWarning, asked);
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(answerName(result), answerName(answer));
}

void TestMessageDialogs::enterPressesTheDefault_data()
{
    QTest::addColumn<TDialogButtons>("asked");
    QTest::addColumn<TDialogButton>("answer");

    QTest::newRow("yes no ok answers OK") << TDialogButtons{dbYes, dbNo, dbOk} << dbOk;
    QTest::newRow("yes no answers yes") << TDialogButtons{dbYes, dbNo} << dbYes;
    QTest::newRow("no ok answers OK") << TDialogButtons{dbNo, dbOk} << dbOk;
}

void TestMessageDialogs::enterPressesTheDefault()
{
    QFETCH(TDialogButtons, asked);
    QFETCH(TDialogButton, answer);

    m_watchdog->expect([](QWidget *dialog) {
        QTest::keyClick(dialog, Qt::Key_Return);
        if (dialog->isVisible())
            qobject_cast<QDialog *>(dialog)->reject();
    });
    const std::optional<TDialogButton> result =
        ShowMessageDialog(u"Question"_s, u"Continuer ?"_s, dkWarning, asked);
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(answerName(result), answerName(answer));
}

void TestMessageDialogs::closedWithoutButtonAnswersNothing()
{
    m_watchdog->expect([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); });
    const std::optional<TDialogButton> result =
        ShowMessageDialog(u"Question"_s, u"Continuer ?"_s, dkWarning, {dbYes, dbNo, dbOk});
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(answerName(result), answerName(std::nullopt));
}

void TestMessageDialogs::arrowPointerWhileShown_data()
{
    QTest::addColumn<int>("dialog");
    QTest::addColumn<bool>("waitPointerBefore");

    QTest::newRow("message dialog over the wait pointer") << 0 << true;
    QTest::newRow("message dialog with no pointer set") << 0 << false;
    QTest::newRow("warning over the wait pointer") << 1 << true;
    QTest::newRow("warning with beep over the wait pointer") << 2 << true;
    QTest::newRow("warning with beep with no pointer set") << 2 << false;
}

void TestMessageDialogs::arrowPointerWhileShown()
{
    QFETCH(int, dialog);
    QFETCH(bool, waitPointerBefore);

    if (waitPointerBefore)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const auto restore = qScopeGuard([] {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    });

    std::optional<Qt::CursorShape> whileShown;
    m_watchdog->expect([&whileShown](QWidget *box) {
        if (const QCursor *cursor = QGuiApplication::overrideCursor())
            whileShown = cursor->shape();
        qobject_cast<QDialog *>(box)->reject();
    });
    if (dialog == 0)
        ShowMessageDialog(u"Titre"_s, u"Texte"_s, dkInformation, {dbOk});
    else if (dialog == 1)
        ShowWarning(u"Titre"_s, u"Texte"_s);
    else
        ShowWarningBeep(u"Texte"_s);

    QCOMPARE(m_watchdog->handled(), 1);
    QVERIFY2(whileShown.has_value(), "no pointer was set while the dialog was up");
    QCOMPARE(*whileShown, Qt::ArrowCursor);
    const QCursor *after = QGuiApplication::overrideCursor();
    if (waitPointerBefore) {
        QVERIFY2(after, "the wait pointer did not come back");
        QCOMPARE(after->shape(), Qt::WaitCursor);
        QGuiApplication::restoreOverrideCursor();
        QVERIFY2(!QGuiApplication::overrideCursor(), "a pointer was left over");
    } else {
        QVERIFY2(!after, "the arrow pointer was left over");
    }
}

void TestMessageDialogs::warning_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("heading");

    QTest::newRow("given heading") << u"Année"_s << u"Année"_s;
    QTest::newRow("empty heading becomes Avertissement") << QString() << u"Avertissement"_s;
}

void TestMessageDialogs::warning()
{
    QFETCH(QString, title);
    QFETCH(QString, heading);

    TShownMessage shown;
    m_watchdog->expect([&shown](QWidget *dialog) {
        shown = ReadMessageBox(dialog);
        ClickMessageButton(dialog, u"OK"_s);
    });
    QVERIFY(ShowWarning(title, u"Saisissez une distance."_s));
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(shown.objectName, u"MessageDialog"_s);
    QCOMPARE(shown.caption, u"Avertissement"_s);
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QCOMPARE(shown.text, heading);
    QCOMPARE(shown.informativeText, u"Saisissez une distance."_s);
    QCOMPARE(shown.buttons, QStringList{u"OK"_s});
    QCOMPARE(shown.defaultButton, u"OK"_s);
}

void TestMessageDialogs::warningWithoutTextShowsNothing()
{
    QVERIFY(!ShowWarning(u"Titre"_s, QString()));
    QTest::qWait(60); // a dialog left up would be seen by the watchdog
    QCOMPARE(m_watchdog->handled(), 0);
}

// An Enter typed just before the warning must not dismiss it: the user has to see it.
void TestMessageDialogs::warningIgnoresKeyTypedBefore()
{
    TTypedAhead keyboard;
    QCoreApplication::postEvent(
        &keyboard, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s));
    QCoreApplication::postEvent(
        &keyboard, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, u"\r"_s));
    bool seen = false;
    m_watchdog->expect([&seen](QWidget *dialog) {
        seen = dialog->isVisible();
        ClickMessageButton(dialog, u"OK"_s);
    });
    QVERIFY(ShowWarning(u"Titre"_s, u"Texte"_s));
    QVERIFY2(seen, "the warning was answered before the user could see it");
    QCoreApplication::processEvents();
    QCOMPARE(keyboard.delivered, 0);
}

void TestMessageDialogs::warningBeep()
{
    TShownMessage shown;
    m_watchdog->expect([&shown](QWidget *dialog) {
        shown = ReadMessageBox(dialog);
        ClickMessageButton(dialog, u"OK"_s);
    });
    QVERIFY(ShowWarningBeep(u"Impossible d'ouvrir la page:\rhttps://exemple.fr"_s));
    QCOMPARE(m_watchdog->handled(), 1);
    QCOMPARE(shown.objectName, u"MessageDialog"_s);
    QCOMPARE(shown.caption, u"Avertissement"_s);
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QCOMPARE(shown.text, u"Impossible d'ouvrir la page:\nhttps://exemple.fr"_s);
    QCOMPARE(shown.informativeText, QString()); // no heading above the text
    QCOMPARE(shown.buttons, QStringList{u"OK"_s});
    QCOMPARE(shown.defaultButton, u"OK"_s);
}

void TestMessageDialogs::longAddressWrapsWhole()
{
    // An address longer than the box: every character shown, on as many lines as needed, and
    // the text can be selected to be copied.
    const QString address = u"https://www.exemple.fr/"_s + QString(30, u'x') + u"/une/page/"_s +
                            QString(60, u'y') + u"?cle=valeur&autre=1"_s;
    bool whole = false;
    bool selectable = false;
    int width = 0;
    m_watchdog->expect([&](QWidget *dialog) {
        auto *label = dialog->findChild<QLabel *>(u"qt_msgbox_label"_s);
        QTRY_VERIFY(label->isVisible());
        // On one line it would need its hint's width; wrapped, its height for the width it has.
        whole = label->width() <= dialog->width() &&
                (label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                   : label->sizeHint().width() <= label->width());
        selectable = label->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard);
        width =
            dialog->width() <= dialog->screen()->availableGeometry().width() ? dialog->width() : -1;
        ClickMessageButton(dialog, u"OK"_s);
    });
    QVERIFY(ShowWarningBeep(u"Impossible d'ouvrir la page:\r"_s + address));
    QCOMPARE(m_watchdog->handled(), 1);
    QVERIFY(whole);
    QVERIFY(selectable);
    QVERIFY2(width > 0, "wider than the screen");
}

void TestMessageDialogs::warningBeepWithoutTextDoesNothing()
{
    QVERIFY(!ShowWarningBeep(QString()));
    QTest::qWait(60);
    QCOMPARE(m_watchdog->handled(), 0);
}

void TestMessageDialogs::discardDropsPostedKeysOnly()
{
    TEventCounter counter;
    QCoreApplication::postEvent(&counter,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s));
    QCoreApplication::postEvent(
        &counter, new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, u"a"_s));
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    DiscardKeyboardInput();
    QCoreApplication::processEvents();
    QCOMPARE(counter.keys, 0);
    QCOMPARE(counter.others, 1);
}

// Keys that arrive while the waiting events are handled (from the window system) are eaten too.
// The same delivery outside the discard does reach the field: the probe itself works.
void TestMessageDialogs::keysArrivingDuringTheDiscardAreEaten()
{
    QLineEdit field;
    TKeyDelivery delivery(&field);

    QCoreApplication::postEvent(&delivery, new QEvent(QEvent::User));
    DiscardKeyboardInput();
    QCOMPARE(delivery.handled, 1);
    QCOMPARE(field.text(), QString());

    QCoreApplication::postEvent(&delivery, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(delivery.handled, 2);
    QCOMPARE(field.text(), u"x"_s);
}

QTEST_MAIN(TestMessageDialogs)
#include "tst_messagedialogs.moc"
