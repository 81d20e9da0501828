// The information window: version, decree, legal references of every income year, credits.
#include "FCopy.h"

#include "Accessibility.h"
#include "LinkLabel.h"
#include "Maker.h"
#include "RealCosts.h"
#include "ShellHelpers.h"

#include <QCloseEvent>
#include <QColor>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPixmap>
#include <QScrollBar>
#include <QStringList>
#include <QStringView>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QRgb LinkColor = 0xFFFFFF;
constexpr QRgb HoverColor = 0xE3F0FF;
constexpr QRgb OfferColor = 0xE3F0FF;
constexpr QRgb TitleColor = 0xA0A0A4;
constexpr QRgb SubtitleColor = 0x5C4A3F;
constexpr QRgb CreditsColor = 0x675B4B;
constexpr QRgb CopyrightColor = 0x808080;

constexpr int NoteRowHeight = 15;
// The ticker counts its position in 8 bits, so the credits never grow past this.
constexpr qsizetype CreditsMaxLength = 255;

constexpr QStringView VersionCaption = u"Version : %1";
constexpr QStringView DecreeCaption = u"Arrêté du %1 fixant le barème forfaitaire";
constexpr QStringView CreditsLead = u" Programmeur:    ";

// One income year of the legal references. A year without a publication line is the one
// of the current decree, stated in full.
struct TIncomeYearNote
{
    int year;
    QStringView publication;
    QStringView reference;
    QStringView secondReference;
    bool setApart;
};

// Newest first; every income year of the scales has its block.
constexpr TIncomeYearNote IncomeYearNotes[] = {
    {2025, u"barème kilométrique 2022 reconduit (brochure pratique 2026).",
     u"- Arrêté du 27 mars 2023, JORF n° 0083 du 7 avril 2023",
     u"- Barème carburant : BOI-BAREME-000003 de février 2026", false},
    {2024, u"barème kilométrique 2022 reconduit (brochure pratique 2025).",
     u"- Arrêté du 27 mars 2023, JORF n° 0083 du 7 avril 2023",
     u"- Barème carburant : BOI-BAREME-000003 de février 2025", false},
    {2023, u"barème kilométrique 2022 reconduit (brochure pratique 2024).",
     u"- Arrêté du 27 mars 2023, JORF n° 0083 du 7 avril 2023",
     u"- Barème carburant : BOI-BAREME-000003-20240306", false},
    {2022, {}, u"- JORF n° 0083 du 7 avril 2023", {}, false},
    {2021, u"paru au BOIFP le 13 février 2022.", u"- JORF n°0037 du 13 février 2022", {}, false},
    {2020, u"paru au BOIFP le 19 février 2021.", u"- JORF n°0043 du 19 février 2021", {}, false},
    {2019, u"paru au BOIFP le 29 février 2020.", u"- JORF n°0051 du 29 février 2020", {}, false},
    {2018, u"paru au BOIFP le 26 mars 2019.", u"- BOI-BAREME-000001-20190326", {}, false},
    {2017, u"paru au BOIFP le 24 janvier 2018.", u"- BOI-BAREME-000001-20180124", {}, false},
    {2016, u"paru au BOIFP le 24 février 2017.", u"- BOI-BAREME-000001-20170224", {}, false},
    {2015, u"paru au BOIFP le 15 février 2016.", u"- BOI-RSA-BASE-30-50-30-20-20160215", {}, false},
    {2014,
     u"paru au Journal Officiel de la République Française le 28 février 2015.",
     u"- JORF n°0050 du 28 FEVRIER 2015",
     {},
     false},
    {2013, u"paru au Bulletin Officiel des Finances Publics-Impôts le 27 mars 2014.",
     u"- BOI-BAREME-000001-20140327", u"DU 27 MARS 2014", true},
    {2012, u"paru au Bulletin Officiel  des Finances Publics-Impôts le 22 mars 2013.",
     u"- BOI-BAREME-000003-20130322", u"DU 22 MARS 2013", true},
};

QStringList NoteLines()
{
    QStringList lines = {u"L'utilisateur reste seul responsable de l'usage qui est fait"_s,
                         u"de ces informations."_s};
    for (const TIncomeYearNote &note : IncomeYearNotes) {
        if (note.setApart)
            lines << QString();
        lines << QString() << u"- Pour les revenus %1 :"_s.arg(note.year) << QString();
        if (note.publication.isEmpty()) {
            lines
                << u"Les résultats sont conformes à l'arrêté du 27 mars 2023 fixant le barème "_s
                << u"forfaitaire permettant l'évaluation des frais de déplacement relatifs "_s
                << u"à l'utilisation d'un véhicule par les bénéficiaires de traitements et salaires "_s
                << u"optant pour le régime des frais réels déductibles."_s;
        } else {
            lines << u"Les résultats sont conformes au barème fourni par"_s
                  << u"l'administration fiscale pour les revenus de l'année %1,"_s.arg(note.year)
                  << note.publication.toString();
        }
        lines << QString() << note.reference.toString();
        if (!note.secondReference.isEmpty())
            lines << note.secondReference.toString();
    }
    // What the comparison of actual costs with the 10 % deduction takes from each year.
    lines << QString() << QString() << u"- Frais réels ou déduction de 10 % :"_s;
    for (int year : RealCostsYears()) {
        lines << QString() << u"Revenus %1 :"_s.arg(year);
        for (const TRealCostsLine &line : RealCostsParameters(year, *FindRealCostsSet(year)))
            lines << line.Label + u" : "_s + line.Text + u'.';
    }
    return lines;
}

QFont PixelFont(const QString &family, int pixels, bool bold = false, bool italic = false,
                bool underline = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

// A colour the theme replaces: it only shows when no style sheet gives the text colour.
void SetThemeTextColor(QWidget *widget, QRgb rgb)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(rgb));
    widget->setPalette(palette);
}

// A colour of the label's own, kept whatever the theme says.
void SetOwnTextColor(QLabel *label, QRgb rgb)
{
    label->setStyleSheet(u"color: %1;"_s.arg(QColor(rgb).name()));
}

template<typename Label>
Label *AddLabel(QWidget *parent, const QString &name, const QString &text, const QFont &font,
                const QString &accessibleName)
{
    auto *label = new Label(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setAccessibleName(accessibleName);
    return label;
}

bool IsCloseKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

TF_Copyright::TF_Copyright(QWidget *owner)
    : QDialog(owner)
{
    CreateControls();
    FormCreate();
}

void TF_Copyright::CreateControls()
{
    setWindowTitle(u"Informations"_s);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(434, 433);
    setFont(PixelFont(u"MS Sans Serif"_s, 11));

    auto *Panel1 = new QFrame(this);
    Panel1->setObjectName(u"Panel1"_s);
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setGeometry(0, 0, 434, 433);

    auto *Image1 = new TLinkLabel(Panel1);
    Image1->setObjectName(u"Image1"_s);
    Image1->setAccessibleName(u"Logo d'Ostrel"_s);
    Image1->setAccessibleDescription(u"Ouvre le site d'Ostrel"_s);
    Image1->setGeometry(11, 5, 139, 81);
    Image1->setAlignment(Qt::AlignCenter);
    // A missing picture leaves an empty area that still takes the click.
    const QString logoFile = u":/images/ostrel-logo.svg"_s;
    if (QFile::exists(logoFile))
        Image1->setPixmap(QIcon(logoFile).pixmap(QSize(139, 81)));
    connect(Image1, &TLinkLabel::clicked, this, &TF_Copyright::LinkUrlClick);

    L_Version = AddLabel<QLabel>(Panel1, u"L_Version"_s, QString(), font(), u"Version"_s);
    L_Version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    L_Version->setGeometry(256, 5, 165, 13);

    auto *Label1 = AddLabel<QLabel>(Panel1, u"Label1"_s, u"Vemora"_s,
                                    PixelFont(u"Lucida Sans"_s, 32, true), u"Vemora"_s);
    SetOwnTextColor(Label1, TitleColor);
    Label1->move(166, 50);
    Label1->adjustSize();

    const QString subtitle = u"Logiciel de calcul des frais kilométriques"_s;
    auto *Label2 = AddLabel<QLabel>(Panel1, u"Label2"_s, subtitle,
                                    PixelFont(u"Arial"_s, 15, true, true), subtitle);
    SetThemeTextColor(Label2, SubtitleColor);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(13, 92, 408, 17);

    const QString offer = u"Ce logiciel vous est offert par Ostrel"_s;
    L_Offer = AddLabel<QLabel>(Panel1, u"L_Offer"_s, offer, PixelFont(u"Arial"_s, 11, true), offer);
    L_Offer->setAlignment(Qt::AlignCenter);
    L_Offer->setGeometry(14, 113, 407, 14);

    // Right-aligned at a fixed width, the growing text enters at the right edge and moves left;
    // its trailing blanks count, so the credits scroll out before starting again.
    Label_Name = AddLabel<QLabel>(Panel1, u"Label_Name"_s, QString(), PixelFont(u"Arial"_s, 11),
                                  u"Crédits"_s);
    SetThemeTextColor(Label_Name, CreditsColor);
    Label_Name->setStyleSheet(u"background-color: transparent;"_s);
    Label_Name->setAutoFillBackground(false);
    Label_Name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label_Name->move(11, 133);
    Label_Name->setFixedSize(409, 13);

    L_BOI = AddLabel<TLinkLabel>(Panel1, u"L_BOI"_s, QString(),
                                 PixelFont(u"MS Sans Serif"_s, 11, false, false, true), QString());
    L_BOI->move(13, 156);
    connect(L_BOI, &TLinkLabel::clicked, this, &TF_Copyright::L_BOIClick);

    auto *Label3 = AddLabel<QLabel>(Panel1, u"Label3"_s, u"Note:"_s,
                                    PixelFont(u"Arial"_s, 12, true), u"Note"_s);
    Label3->move(12, 173);
    Label3->adjustSize();

    L_Note = new TParagraphList(Panel1);
    L_Note->setObjectName(u"L_Note"_s);
    L_Note->setAccessibleName(u"Références légales"_s);
    L_Note->setFont(PixelFont(u"Arial"_s, 12));
    L_Note->setFrameShape(QFrame::NoFrame);
    // Black on white whatever the theme, with rows of exactly the given height.
    L_Note->setStyleSheet(
        u"QListWidget { background-color: #ffffff; color: #000000; border: none; }"
        u"QListWidget::item { padding: 0px 2px; }"
        u"QListWidget::item:hover { background-color: transparent; }"
        u"QListWidget::item:selected { background-color: palette(highlight);"
        u" color: palette(highlighted-text); }"_s);
    L_Note->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    L_Note->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    L_Note->setTextElideMode(Qt::ElideNone);
    // The list shows whole rows only: its height is cut down to a multiple of a row.
    L_Note->setGeometry(11, 194, 410, 197 / NoteRowHeight * NoteRowHeight);
    Label3->setBuddy(L_Note);
    FillNote();

    L_Copyright = AddLabel<TLinkLabel>(Panel1, u"L_Copyright"_s, QString(), font(), QString());
    L_Copyright->setTextColor(QColor(CopyrightColor));
    L_Copyright->move(13, 411);
    connect(L_Copyright, &TLinkLabel::clicked, this, &TF_Copyright::L_CopyrightClick);

    L_Close =
        AddLabel<TLinkLabel>(Panel1, u"L_Close"_s, u"Fermer"_s,
                             PixelFont(u"MS Sans Serif"_s, 11, false, false, true), u"Fermer"_s);
    L_Close->setAlignment(Qt::AlignCenter);
    L_Close->move(389, 411);
    L_Close->adjustSize();
    connect(L_Close, &TLinkLabel::clicked, this, &QWidget::close);

    for (TLinkLabel *link : {L_BOI, L_Close}) {
        connect(link, &TLinkLabel::entered, link,
                [link] { link->setTextColor(QColor(HoverColor)); });
        connect(link, &TLinkLabel::left, link, [link] { link->setTextColor(QColor(LinkColor)); });
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TF_Copyright::Timer1Timer);

    // The window opens with the keyboard in the notes; Tab goes on to the links, from the top.
    L_Note->setFocus();
    QWidget *order[] = {L_Note, findChild<QWidget *>(u"Image1"_s), L_BOI, L_Copyright, L_Close};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    // Enter and Escape close the window even when the list has the focus.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);
}

void TF_Copyright::FillNote()
{
    const QFontMetrics metrics(L_Note->font());
    // A line wider than the list goes on in the rows below it, cut between words.
    const int room = L_Note->width() - L_Note->verticalScrollBar()->sizeHint().width() - 8;
    const auto addRow = [&](const QString &row) {
        auto *item = new QListWidgetItem(row, L_Note);
        item->setSizeHint(QSize(metrics.horizontalAdvance(row) + 4, NoteRowHeight));
        // The keys go from line to line of the notes, over the blank rows between paragraphs.
        if (row.trimmed().isEmpty())
            item->setFlags(Qt::NoItemFlags);
    };
    for (const QString &line : NoteLines()) {
        QString row;
        for (const QString &word : line.split(u' ')) {
            const QString longer = row.isEmpty() ? word : row + u' ' + word;
            if (!row.isEmpty() && metrics.horizontalAdvance(longer) > room) {
                addRow(row);
                row = word;
            } else {
                row = longer;
            }
        }
        addRow(row);
    }
}

void TF_Copyright::FormCreate()
{
    L_BOI->setText(DecreeCaption.toString().arg(DecreeDate()));
    L_BOI->setAccessibleName(L_BOI->text());
    L_BOI->adjustSize();
    SetOwnTextColor(L_Offer, OfferColor);
    L_BOI->setTextColor(QColor(LinkColor));
    L_Close->setTextColor(QColor(LinkColor));
    L_Version->setText(VersionCaption.toString().arg(ProgramVersion()));
    L_Version->setAccessibleName(L_Version->text());
}

void TF_Copyright::FormActivate()
{
    L_Copyright->setText(MakerCopyright());
    L_Copyright->setAccessibleName(L_Copyright->text());
    L_Copyright->adjustSize();

    m_creditsText = CreditsLead.toString() + AuthorName() + QString(8, u' ') + MakerCopyright() +
                    u'.' + QString(6, u' ') + RightsReserved() + QString(130, u' ');
    m_creditsText.truncate(CreditsMaxLength);
    m_creditsShown.clear();
    m_keyboardMoved = false;
    Label_Name->clear();
    Timer1->start();
}

void TF_Copyright::Timer1Timer()
{
    // The credits hold still under the pointer, and once the keyboard has moved in the
    // window, until it is activated again.
    if (!isVisible() || underMouse() || m_keyboardMoved)
        return;
    // The 1-based position of the next character; a wrap to 0 would add nothing.
    const quint8 i = quint8(m_creditsShown.size() + 1);
    const QString next =
        i >= 1 && i <= m_creditsText.size() ? QString(m_creditsText.at(i - 1)) : QString();
    m_creditsShown += next;
    AddNameChar(next);
    if (m_creditsShown.size() >= m_creditsText.size()) {
        m_creditsShown.clear();
        Label_Name->clear();
    }
}

void TF_Copyright::AddNameChar(const QString &text)
{
    Label_Name->setText(Label_Name->text() + text);
}

void TF_Copyright::L_BOIClick()
{
    OpenAddress(this, DecreeAddress(), u" "_s);
}

void TF_Copyright::L_CopyrightClick()
{
    LinkUrlClick();
}

void TF_Copyright::LinkUrlClick()
{
    if (SiteAddressValid())
        OpenAddress(this, SiteAddress(), u" "_s);
}

bool TF_Copyright::event(QEvent *event)
{
    // Every activation, the first showing and the return from a warning alike, restarts
    // the credits.
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

bool TF_Copyright::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            m_keyboardMoved = true;
    }
    // Enter on a link follows the link.
    const bool linkKey = qobject_cast<TLinkLabel *>(watched) && event->type() == QEvent::KeyPress &&
                         static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape;
    if (IsCloseKey(event) && !linkKey) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TF_Copyright::keyPressEvent(QKeyEvent *event)
{
    // Whatever the modifiers: the dialog's own handling would ignore Ctrl+Enter or Shift+Escape.
    if (IsCloseKey(event)) {
        close();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TF_Copyright::closeEvent(QCloseEvent *event)
{
    Timer1->stop();
    QDialog::closeEvent(event);
}

void TF_Copyright::done(int result)
{
    // reject() and accept() hide the window without a close event.
    Timer1->stop();
    QDialog::done(result);
}
