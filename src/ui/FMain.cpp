// The main window: panels, bottom bar of links, keyboard conventions and the home page.
#include "FMain.h"

#include "Accessibility.h"
#include "Controls.h"
#include "FCopy.h"
#include "FPrintPreview.h"
#include "FPrinter.h"
#include "HomeBrowser.h"
#include "HomeText.h"
#include "LinkLabel.h"
#include "Maker.h"
#include "MessageDialogs.h"
#include "NumberEdit.h"
#include "NumberText.h"
#include "PrintUi.h"
#include "Printing.h"
#include "RealCostsPage.h"
#include "ShellHelpers.h"
#include "UrlEncode.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor LinkColor(0xFF, 0xFF, 0xFF);
const QColor LinkHoverColor(0xE3, 0xF0, 0xFF);

constexpr int ClientWidth = 690;
constexpr int ClientHeight = 551;

// Why "Calculer" cannot be pressed yet, as the print command says it too.
const QString NoDistanceText = QStringLiteral("Le kilométrage effectué dans l'année est nul !");
const QString NoSalaryText =
    QStringLiteral("Le salaire net imposable de l'année n'est pas indiqué !");

// Tabs of a fixed width, whatever the theme draws.
class TFixedTabBar : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        QSize size = QTabBar::tabSizeHint(index);
        size.setWidth(200);
        return size;
    }

    void focusInEvent(QFocusEvent *event) override
    {
        QTabBar::focusInEvent(event);
        // Screen readers are told which tab has the keyboard, once the bar of tabs has said it
        // has it, as they are when the arrow keys change the tab.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!hasFocus() || !QAccessible::isActive() || currentIndex() < 0)
                    return;
                QAccessibleEvent focus(this, QAccessible::Focus);
                focus.setChild(currentIndex());
                QAccessible::updateAccessibility(&focus);
            },
            Qt::QueuedConnection);
    }
};

class TTabWidget : public QTabWidget
{
public:
    explicit TTabWidget(QWidget *parent)
        : QTabWidget(parent)
    {
        setTabBar(new TFixedTabBar(this));
    }
};

// The window's own shortcuts, Ctrl+F, Ctrl+I and Ctrl+N: the key, or 0 for any other.
int WindowShortcut(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() &
        (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = event->key();
    if (modifiers != Qt::ControlModifier)
        return 0;
    return key == Qt::Key_F || key == Qt::Key_I || key == Qt::Key_N ? key : 0;
}

// A link sized to its text, or placed at `geometry` when one is given.
TLinkLabel *addLink(QWidget *parent, const QString &name, const QString &text, const QString &hint,
                    const QFont &font, const QRect &geometry = {})
{
    auto *link = new TLinkLabel(text, parent);
    link->setObjectName(name);
    link->setFont(font);
    link->setToolTip(hint);
    link->setAccessibleName(text.isEmpty() ? hint : text);
    if (geometry.isValid())
        link->setGeometry(geometry);
    else
        link->adjustSize();
    return link;
}

TLinkLabel *addPicture(QWidget *parent, const QString &name, const QString &resource, QSize size,
                       const QString &hint)
{
    auto *picture = new TLinkLabel(parent);
    picture->setObjectName(name);
    picture->setPixmap(QIcon(resource).pixmap(size));
    picture->setGeometry(0, 0, size.width(), size.height());
    picture->setToolTip(hint);
    picture->setAccessibleName(hint);
    return picture;
}

} // namespace

TF_Main::TF_Main(const QString &homeFolder, QWidget *parent)
    : QWidget(parent)
    , m_homePage(QDir(homeFolder).filePath(u"index.html"_s))
{
    if (!QFileInfo(m_homePage).isFile())
        m_homePage.clear();
    m_quietDelay.setSingleShot(true);
    m_quietDelay.setInterval(QuietDelay);
    connect(&m_quietDelay, &QTimer::timeout, this, &TF_Main::PrepareWhenQuiet);
    setObjectName(u"F_Main"_s);
    setWindowTitle(u"Calculatrice de frais kilométriques"_s);
    // A fixed border with the minimise button and the system menu only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    setFont(ArialFont(8));
    new TAnnouncer(this);
    FormCreate();
    qApp->installEventFilter(this);
}

TF_Main::~TF_Main()
{
    qApp->removeEventFilter(this);
}

void TF_Main::FormCreate()
{
    CreateHomePanel();
    L_ShowCalc->setTextColor(LinkHoverColor);
    // With a home page, the window opens on it: the calculator is built just after the window
    // is first drawn, or as soon as something needs it.
    m_calcPanelPending = true;
    if (m_homePage.isEmpty())
        EnsureCalcPanel();
}

void TF_Main::EnsureCalcPanel()
{
    if (!m_calcPanelPending)
        return;
    m_calcPanelPending = false;
    CreateCalcPanel();
    // The print picture's frame: 3 pixels left of it and 2 above.
    S_BtnBorder->move(I_Print->x() - 3, I_Print->y() - 2);
    SetSiteAddress(u"https://www.impots.gouv.fr/simulateur-bareme-kilometrique"_s);
    m_kmPowerWork.clear();
    m_fuelPowerWork.clear();
    for (TLinkLabel *link : {L_Close, L_Print, L_Infos, L_Home})
        link->setTextColor(LinkColor);
    L_Title->setStyleSheet(u"color: #FFFFFF;"_s);
    L_CopyRight->setText(MakerNotice());
    L_CopyRight->setAccessibleName(L_CopyRight->text());
    L_CopyRight->setAccessibleDescription(u"Ouvre un site utile aux contribuables"_s);
    L_CopyRight->adjustSize();
    L_CopyRight->move(ClientWidth - 8 - L_CopyRight->width(), 6);
    InitKmPage();
    InitFuelPage();
}

void TF_Main::CreateHomePanel()
{
    P_Home = new QWidget(this);
    P_Home->setObjectName(u"P_Home"_s);
    P_Home->setGeometry(0, 0, ClientWidth, ClientHeight);

    // The page's text for the keyboard and screen readers, under the browser that draws it.
    P_HomeText = new THomeText(P_Home);
    P_HomeText->setObjectName(u"P_HomeText"_s);
    P_HomeText->setGeometry(0, 0, ClientWidth, ClientHeight - 28);
    if (!m_homePage.isEmpty()) {
        QString title;
        const QStringList lines = HomePageLines(m_homePage, &title);
        P_HomeText->SetPage(title, lines);
    }

    // The browser itself is made once the window is on screen.
    P_Browser = new QWidget(P_Home);
    P_Browser->setObjectName(u"P_Browser"_s);
    P_Browser->setGeometry(0, 0, ClientWidth, ClientHeight - 28);

    P_Buttons = new QFrame(P_Home);
    P_Buttons->setObjectName(u"P_Buttons"_s);
    P_Buttons->setGeometry(0, ClientHeight - 28, ClientWidth, 28);
    P_Buttons->setStyleSheet(u"#P_Buttons { background-color: #333333; }"_s);

    L_ShowCalc = addLink(P_Buttons, u"L_ShowCalc"_s, u"Accéder à la calculatrice"_s,
                         u"Affiche la page de calcul des frais kilométriques"_s,
                         ArialFont(10, true, false, true), QRect(264, 6, 158, 16));
    L_ShowCalc->setOwnBackground(QColor(0x3E, 0x95, 0xF4));
    L_ShowCalc->setAlignment(Qt::AlignCenter);
    connect(L_ShowCalc, &TLinkLabel::clicked, this, &TF_Main::L_ShowCalcClick);
    // The reverse of the other links: white under the pointer.
    connect(L_ShowCalc, &TLinkLabel::entered, this,
            [this] { L_ShowCalc->setTextColor(LinkColor); });
    connect(L_ShowCalc, &TLinkLabel::left, this,
            [this] { L_ShowCalc->setTextColor(LinkHoverColor); });
}

void TF_Main::CreateCalcPanel()
{
    P_Calc = new QWidget(this);
    P_Calc->setObjectName(u"P_Calc"_s);
    P_Calc->setGeometry(0, 0, ClientWidth, ClientHeight);
    P_Calc->hide();

    PC_Main = new TTabWidget(P_Calc);
    PC_Main->setObjectName(u"PC_Main"_s);
    PC_Main->setGeometry(0, 0, ClientWidth, 485);
    TS_Bareme = new TPage;
    TS_Bareme->setObjectName(u"TS_Bareme"_s);
    TS_Kilometres_charges = new TPage;
    TS_Kilometres_charges->setObjectName(u"TS_Kilometres_charges"_s);
    PC_Main->addTab(TS_Bareme, u"Barème kilométrique"_s);
    PC_Main->addTab(TS_Kilometres_charges, u"Barème carburant"_s);
    TS_Frais_reels = new TRealCostsPage;
    PC_Main->addTab(TS_Frais_reels, u"Frais réels ou 10 %"_s);
    PC_Main->setCurrentIndex(0);
    CreateKmPage(TS_Bareme);
    CreateFuelPage(TS_Kilometres_charges);
    TS_Frais_reels->CreateControls();

    P_Bottom = new QWidget(P_Calc);
    P_Bottom->setObjectName(u"P_Bottom"_s);
    P_Bottom->setGeometry(0, 485, ClientWidth, 66);

    L_Home = addLink(P_Bottom, u"L_Home"_s, u"Accueil"_s, u"Affiche la page d'accueil"_s,
                     ArialFont(10, true, false, true));
    L_Home->move(6, 40);
    connect(L_Home, &TLinkLabel::clicked, this, &TF_Main::ShowHomePanel);

    S_BtnBorder = new QFrame(P_Bottom);
    S_BtnBorder->setObjectName(u"S_BtnBorder"_s);
    S_BtnBorder->setGeometry(0, 0, 41, 41);
    S_BtnBorder->setStyleSheet(
        u"#S_BtnBorder { background-color: #E3F0FF; border: 2px solid #0080FF; }"_s);
    S_BtnBorder->hide();

    I_Print = addPicture(P_Bottom, u"I_Print"_s, u":/images/print.svg"_s, QSize(35, 37),
                         u"Imprime le résultat sur l'imprimante par défaut"_s);
    I_Print->move(317, 7);
    connect(I_Print, &TLinkLabel::entered, S_BtnBorder, &QWidget::show);
    connect(I_Print, &TLinkLabel::left, S_BtnBorder, &QWidget::hide);

    L_Print = addLink(P_Bottom, u"L_Print"_s, u"Imprimer..."_s,
                      u"Sélectionne l'imprimante et d'autres options avant d'imprimer"_s,
                      ArialFont(9, false, false, true));
    L_Print->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    L_Print->setGeometry(286, 48, 100, L_Print->height());

    L_CopyRight = addLink(P_Bottom, u"L_CopyRight"_s, QString(), u"Site utile aux contribuables"_s,
                          MakeFont(u"MS Sans Serif"_s, 8));
    L_CopyRight->setToolTip(QString());
    L_CopyRight->setAlignment(Qt::AlignRight | Qt::AlignTop);
    L_CopyRight->setTextColor(QColor(0x96, 0x96, 0x96));
    connect(L_CopyRight, &TLinkLabel::clicked, this, &TF_Main::L_CopyRightClick);

    L_Close = addLink(P_Bottom, u"L_Close"_s, u"Fermer"_s, u"Quitte Vemora"_s,
                      ArialFont(10, false, false, true));
    L_Close->move(641, 40);

    I_Infos = addPicture(TS_Bareme, u"I_Infos"_s, u":/images/infos.svg"_s, QSize(16, 16),
                         u"Affiche des informations"_s);
    I_Infos->move(22, 8);
    L_Infos = addLink(TS_Bareme, u"L_Infos"_s, u"Informations"_s, u"Affiche des informations"_s,
                      ArialFont(8, false, false, true));
    L_Infos->move(41, 9);

    for (TLinkLabel *link : {L_Infos, I_Infos, L_Close, L_Print, I_Print})
        connect(link, &TLinkLabel::clicked, this, [this, link] { ALinkClick(link); });
    L_Print->setShortcutText(u"Ctrl+N"_s);
    L_Infos->setShortcutText(u"Ctrl+I"_s);
    I_Infos->setShortcutText(u"Ctrl+I"_s);
    L_Close->setShortcutText(u"Ctrl+F"_s);
    // The links come after their page's controls, the bottom bar's after both pages', from
    // left to right.
    QWidget::setTabOrder(L_Result, I_Infos);
    QWidget::setTabOrder(I_Infos, L_Infos);
    QWidget::setTabOrder(L_Print, L_Close);
    QWidget::setTabOrder(L_Close, L_CopyRight);
    for (TLinkLabel *link : {L_Infos, L_Close, L_Home, L_Print}) {
        connect(link, &TLinkLabel::entered, this, [link] { link->setTextColor(LinkHoverColor); });
        connect(link, &TLinkLabel::left, this, [link] { link->setTextColor(LinkColor); });
    }
}

void TF_Main::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // The picture is drawn from its outline at several sizes: once the window is up and
        // drawn.
        QTimer::singleShot(QuietDelay, this,
                           [this] { setWindowIcon(QIcon(u":/images/vemora.svg"_s)); });
        FormShow();
    }
}

void TF_Main::FormShow()
{
    if (m_homePage.isEmpty()) {
        ShowCalcPanel();
        return;
    }
    // The calculator, then the browser engine, are prepared once the window has been drawn, so
    // that start-up never waits for them; each holds the window up for a moment while it is
    // made, so each waits until the keyboard and the mouse have been left alone for a while.
    QWindow *window = windowHandle();
    if (window && !window->isExposed()) {
        m_awaitsExpose = true;
        return;
    }
    m_quietDelay.start();
}

void TF_Main::PrepareWhenQuiet()
{
    if (m_calcPanelPending) {
        EnsureCalcPanel();
        m_quietDelay.start();
        return;
    }
    CreateBrowser();
}

void TF_Main::CreateBrowser()
{
    if (WebBrowser1 || L_HomeProblem)
        return;
    // The browser engine ends the whole program when started by the superuser with its
    // sandbox on; the program never turns the sandbox off itself.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") &&
        !qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(u"--no-sandbox"_s) &&
        !QCoreApplication::arguments().contains(u"--no-sandbox"_s)) {
        ShowHomeProblem(u"Vemora a été lancé par le superutilisateur (root), et son navigateur "
                        u"intégré ne fonctionne pas sans sa protection (le bac à sable), que "
                        u"Vemora ne désactive jamais. Lancez Vemora depuis votre compte "
                        u"habituel pour voir la page d'accueil."_s);
        return;
    }
    WebBrowser1 = CreateHomeBrowser(P_Browser);
    if (!WebBrowser1) {
        ShowHomeProblem(u"Le navigateur intégré n'a pas pu démarrer : ses composants sont "
                        u"absents ou incomplets."_s);
        return;
    }
    connect(WebBrowser1, &THomeBrowser::focusLeft, this, &TF_Main::HomePageLeft);
    connect(WebBrowser1, &THomeBrowser::stopped, this, [this] {
        ShowHomeProblem(u"Le navigateur intégré s'est arrêté de façon inattendue."_s);
    });
    WebBrowser1->setObjectName(u"WebBrowser1"_s);
    WebBrowser1->setGeometry(P_Browser->rect());
    // The page's text first, then the page's links, then "Accéder à la calculatrice".
    if (QWidget *links = pageLinks()) {
        QWidget::setTabOrder(P_HomeText, links);
        QWidget::setTabOrder(links, L_ShowCalc);
    }
    connect(P_HomeText, &THomeText::framed, this, [this](bool on) {
        if (WebBrowser1 && WebBrowser1->isVisible())
            WebBrowser1->RunScript(
                u"document.body.classList.toggle('reading', %1)"_s.arg(on ? u"true"_s : u"false"_s),
                [](const QVariant &) {});
    });
    connect(WebBrowser1, &THomeBrowser::loadFinished, this, [this](bool ok) {
        // A home page that cannot be shown gives way to the calculator, silently.
        if (m_homeLoadAnswered)
            return;
        m_homeLoadAnswered = true;
        if (!ok)
            ShowCalcPanel();
    });
    WebBrowser1->show();
    WebBrowser1->Load(QUrl(u"file://"_s + UrlEncode(m_homePage).replace(u'\\', u'/')));
}

void TF_Main::ShowHomeProblem(const QString &why)
{
    if (!L_HomeProblem) {
        L_HomeProblem = new QLabel(P_Browser);
        L_HomeProblem->setObjectName(u"L_HomeProblem"_s);
        L_HomeProblem->setTextFormat(Qt::PlainText);
        L_HomeProblem->setWordWrap(true);
        L_HomeProblem->setAlignment(Qt::AlignCenter);
        L_HomeProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
        L_HomeProblem->setFont(ArialFont(11));
        L_HomeProblem->setStyleSheet(u"#L_HomeProblem { color: #FFFFFF; background: #2B2B2B; }"_s);
        L_HomeProblem->setGeometry(P_Browser->rect().adjusted(60, 0, -60, 0));
    }
    if (WebBrowser1)
        WebBrowser1->hide();
    L_HomeProblem->setText(u"La page d'accueil n'est pas affichée.\n\n"_s + why +
                           u"\n\nLa calculatrice fonctionne normalement : choisissez "
                           u"« Accéder à la calculatrice », en bas de la fenêtre."_s);
    L_HomeProblem->setAccessibleName(L_HomeProblem->text());
    L_HomeProblem->show();
    // What the panel shows is what the keyboard reads there.
    P_HomeText->SetPage(u"Page d'accueil"_s,
                        L_HomeProblem->text().split(u'\n', Qt::SkipEmptyParts));
}

bool TF_Main::HomePanelShown() const
{
    return P_Home->isVisible();
}

void TF_Main::ShowCalcPanel()
{
    EnsureCalcPanel();
    P_Home->hide();
    P_Calc->show();
}

void TF_Main::ShowHomePanel()
{
    if (P_Calc)
        P_Calc->hide();
    P_Home->show();
}

void TF_Main::L_ShowCalcClick()
{
    ShowCalcPanel();
    if (PC_Main->currentWidget() == TS_Bareme) {
        E_Type->setFocus();
        E_Year->setFocus();
    }
}

void TF_Main::ShowPage(int index)
{
    PC_Main->setCurrentIndex(index);
    // The page's title takes the keyboard: screen readers say the page's name and its title, and
    // Tab goes on to the page's first control.
    if (auto *title = PC_Main->currentWidget()->findChild<TPageTitle *>())
        title->setFocus(Qt::ShortcutFocusReason);
}

TTypeCalc TF_Main::ActiveTypeCalc() const
{
    if (PC_Main && PC_Main->currentWidget() == TS_Frais_reels)
        return tcRealCosts;
    return !PC_Main || PC_Main->currentWidget() == TS_Bareme ? tcKmCost : tcFuelCost;
}

bool TF_Main::eventFilter(QObject *watched, QEvent *event)
{
    // This filter sees every event of the program once: key presses before the focused
    // control, the year lists losing the focus, and the window's first exposure.
    if (m_awaitsExpose && event->type() == QEvent::Expose && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        m_awaitsExpose = false;
        m_quietDelay.start();
        return false;
    }
    if (m_quietDelay.isActive()) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
            m_quietDelay.start(); // the user is busy: what remains waits a little longer
            break;
        default:
            break;
        }
    }
    if (event->type() == QEvent::FocusOut && (watched == E_Year || watched == E_KmYear)) {
        // Leaving the year list for another control, not for its own drop-down list.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            if (watched == E_Year)
                E_YearExit();
            else
                E_KmYearExit();
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    // The home page's keys go to the browser's own window: the window's shortcuts are taken
    // before the page sees them.
    if (WebBrowser1 && watched == WebBrowser1->Surface())
        return HomePageKeyDown(static_cast<QKeyEvent *>(event));
    // A key reaches the focused control and then, when ignored, its parents: act on it once.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return false;
    QWidget *focus = QApplication::focusWidget();
    if (widget != focus && !(focus == nullptr && widget == this))
        return false;
    return FormKeyDown(static_cast<QKeyEvent *>(event));
}

QWidget *TF_Main::pageLinks() const
{
    return WebBrowser1 ? WebBrowser1->findChild<QWidget *>(u"WebBrowser1Container"_s) : nullptr;
}

bool TF_Main::FormKeyDown(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() &
        (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool calculator = P_Calc && P_Calc->isVisible();
    // Ctrl+Tab and Ctrl+Shift+Tab change the page wherever the keyboard is in the calculator,
    // a list included, which would take the key for itself.
    if (calculator && (modifiers & Qt::ControlModifier) &&
        !(modifiers & (Qt::AltModifier | Qt::MetaModifier)) &&
        (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
        const bool back = event->key() == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier);
        ShowPage((PC_Main->currentIndex() + (back ? PC_Main->count() - 1 : 1)) % PC_Main->count());
        return true;
    }
    // Alt+C while "Calculer" cannot be pressed: the reason is said, the window stays as it is.
    if (calculator && modifiers == Qt::AltModifier && event->key() == Qt::Key_C) {
        const bool realCosts = ActiveTypeCalc() == tcRealCosts;
        const QPushButton *calc = realCosts                      ? TS_Frais_reels->CalcButton()
                                  : ActiveTypeCalc() == tcKmCost ? B_Calc
                                                                 : B_KmCalc;
        if (!calc->isEnabled()) {
            Announce(this, realCosts ? NoSalaryText : NoDistanceText);
            return true;
        }
    }
    if (modifiers == Qt::ControlModifier) {
        switch (WindowShortcut(event)) {
        case Qt::Key_F:
            close(); // as "Fermer" does
            break;
        // The dialogs open once the key is over: opened while it is being handled, they lose
        // the next key to the window they cover.
        case Qt::Key_I:
            QTimer::singleShot(0, this, [this] { ALinkClick(L_Infos); });
            break;
        case Qt::Key_N:
            QTimer::singleShot(0, this, [this] { ALinkClick(L_Print); });
            break;
        default:
            break;
        }
        return false; // the key itself goes on
    }
    // Enter moves to the next control, as Tab would, once this key is over; on a link, it
    // follows the link.
    if (event->text() == u"\r"_s && !qobject_cast<TLinkLabel *>(QApplication::focusWidget())) {
        if (QWidget *focus = QApplication::focusWidget())
            QCoreApplication::postEvent(
                focus, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        return true;
    }
    return false;
}

bool TF_Main::HomePageKeyDown(QKeyEvent *event)
{
    if (!WindowShortcut(event))
        return false;
    FormKeyDown(event);
    return true; // the window's, not the page's
}

void TF_Main::HomePageLeft(bool forward)
{
    // The window's own controls around the page, in their Tab order.
    QWidget *from = pageLinks() ? pageLinks() : WebBrowser1;
    QWidget *next = from;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != from &&
             !(next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus) &&
               !WebBrowser1->isAncestorOf(next) && next->window() == this));
    if (next == from)
        return;
    activateWindow();
    next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void TF_Main::ALinkClick(QObject *sender)
{
    EnsureCalcPanel();
    if (sender == L_Infos || sender == I_Infos) {
        ShowInformation();
    } else if (sender == L_Close) {
        close();
    } else if (sender == L_Print || sender == I_Print) {
        emit printRequested(ActiveTypeCalc(), sender == L_Print);
        PrintCommand(ActiveTypeCalc(), sender == L_Print);
    }
}

void TF_Main::PrintCommand(TTypeCalc typeCalc, bool withDialog)
{
    if (NoPrinterFound())
        return;
    const bool km = typeCalc == tcKmCost;
    QString year = km ? E_Year->currentText() : E_KmYear->currentText();
    if (typeCalc == tcRealCosts) {
        year = QString::number(TS_Frais_reels->GetYear());
        if (!TS_Frais_reels->HasSalary()) {
            ShowWarningBeep(NoSalaryText);
            return;
        }
    } else if (!((km ? GetDistance() : GetKmDistance()) > 0)) {
        ShowWarningBeep(NoDistanceText);
        return;
    }
    ResetPrinter();
    if (!withDialog) {
        PrintCalcResult(typeCalc, 1, nullptr);
        return;
    }
    const TPrinterChoice choice = ChoosePrinter();
    if (!choice.Confirmed)
        return;
    if (choice.Preview) {
        ReportYearText() = year;
        ShowPrintPreview(typeCalc, choice.Copies, 1);
    } else {
        PrintCalcResult(typeCalc, choice.Copies, nullptr);
    }
}

TF_Main::TPrinterChoice TF_Main::ChoosePrinter()
{
    TPrinterChoice choice;
    TF_Printer F_Printer(this);
    if (F_Printer.exec() == QDialog::Accepted) {
        choice.Confirmed = true;
        choice.Copies = F_Printer.GetNumCopy();
        choice.Preview = F_Printer.PreviewChecked();
    }
    return choice;
}

void TF_Main::ShowPrintPreview(TTypeCalc typeCalc, int copyCount, int pageCount)
{
    TF_PrintPreview F_PrintPreview(this);
    F_PrintPreview.curTypeCalc = typeCalc;
    F_PrintPreview.curCopyCount = copyCount;
    F_PrintPreview.pwDocName = ReportDocumentName(typeCalc, ReportYearText());
    F_PrintPreview.RecordPages = [this, typeCalc, copyCount](TPageList &pages) {
        PrintCalcResult(typeCalc, copyCount, &pages);
    };
    for (int i = 0; i < pageCount; ++i)
        F_PrintPreview.LPages.append(std::make_shared<TRecordedPage>());
    PrintCalcResult(typeCalc, copyCount, &F_PrintPreview.LPages);
    F_PrintPreview.exec();
}

TKmReportInput TF_Main::KmReportInput()
{
    TKmReportInput input;
    input.Year = E_Year->currentText();
    input.Kind = E_Type->currentText();
    input.Power = E_Power->currentText();
    input.PerDayText = E_DistanceByDay->text();
    input.DaysText = E_NumOfDays->text();
    input.AnnualText = E_Distance->text();
    input.ResultText = L_Result->text();
    input.NumOfDays = GetNumOfDays();
    input.DistanceFromDays = GetDistanceFromDays();
    input.Rate = m_lastKmCalc.Rate;
    input.Fixed = m_lastKmCalc.Fixed;
    input.Amount = m_lastKmCalc.Amount;
    return input;
}

TFuelReportInput TF_Main::FuelReportInput()
{
    TFuelReportInput input;
    input.Year = E_KmYear->currentText();
    input.Kind = E_KmType->currentText();
    input.Fuel = E_KmFuel->currentText();
    input.FuelShown = E_KmFuel->isEnabled();
    input.Power = E_KmPower->currentText();
    input.PerDayText = E_KmDistanceByDay->text();
    input.DaysText = E_KmNumOfDays->text();
    input.AnnualText = E_KmDistance->text();
    input.ResultText = L_KmResult->text();
    input.NumOfDays = GetKmNumOfDays();
    input.DistanceFromDays = GetKmDistanceFromDays();
    input.Rate = m_lastFuelCalc.Rate;
    input.Amount = m_lastFuelCalc.Amount;
    return input;
}

void TF_Main::PrintCalcResult(TTypeCalc typeCalc, int copyCount, TPageList *pages)
{
    TReport report;
    if (typeCalc == tcKmCost) {
        ShowKmCost();
        report = MakeKmReport(KmReportInput());
    } else if (typeCalc == tcFuelCost) {
        ShowFuelCost();
        report = MakeFuelReport(FuelReportInput());
    } else {
        // An input refused is said once, and nothing is printed.
        if (!TS_Frais_reels->ShowRealCosts())
            return;
        report = TS_Frais_reels->Report();
    }
    if (pages) {
        // Recorded once, whatever the number of copies.
        if (!pages->isEmpty())
            RecordReport(*pages->first(), report, CapsOf(CurrentPrinter()));
        return;
    }
    PrintReport(report, copyCount);
}

void TF_Main::CarryVehicleCost(TTypeCalc typeCalc)
{
    if (!TS_Frais_reels)
        return;
    if (typeCalc == tcKmCost) {
        const bool powerless = E_Power->count() == 0;
        TS_Frais_reels->CarryVehicleCost(
            GetYear(), m_lastKmCalc.Amount,
            VehicleCostOrigin(tcKmCost, GetYear(), GetDistance(),
                              powerless ? E_Type->currentText() : E_Power->currentText(),
                              IsElectric(GetVehicleKind()) && !powerless ? u"électrique"_s
                                                                         : QString()));
        return;
    }
    TS_Frais_reels->CarryVehicleCost(
        GetKmYear(), m_lastFuelCalc.Amount,
        VehicleCostOrigin(tcFuelCost, GetKmYear(), GetKmDistance(), E_KmPower->currentText(),
                          GetKmVehicleKind() == fvCar ? E_KmFuel->currentText().toLower()
                                                      : QString()));
}

void TF_Main::ShowInformation()
{
    TF_Copyright F_Copyright(this);
    F_Copyright.exec();
}

void TF_Main::L_CopyRightClick()
{
    if (SiteAddressValid())
        OpenAddress(this, SiteAddress(), u" "_s);
}
