// The printer dialog: which printer, its setup, how many copies, and whether to preview.
#include "FPrinter.h"

#include "PrintUi.h"
#include "Printing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QIcon>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

QFont arial8()
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(8);
    return font;
}

// A picture says what it shows: screen readers would otherwise name it after the group box
// it sits in.
QLabel *addPicture(QWidget *parent, const QString &name, const QString &resource,
                   const QString &accessibleName)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setPixmap(QIcon(resource).pixmap(QSize(64, 64)));
    picture->resize(64, 64);
    picture->setAccessibleName(accessibleName);
    picture->setAccessibleDescription(
        u"L'orientation de l'imprimante, qui se change avec le bouton Configurer"_s);
    return picture;
}

QPushButton *addButton(QWidget *parent, const QString &name, const QString &text, QRect geometry)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

TF_Printer::TF_Printer(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(u"F_Printer"_s);
    setWindowTitle(u"Impression"_s);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(442, 221);
    setFont(arial8());

    GB_Imprimante = new QGroupBox(u"Imprimer avec"_s, this);
    GB_Imprimante->setObjectName(u"GB_Imprimante"_s);
    GB_Imprimante->setGeometry(8, 2, 425, 177);
    auto *label = new QLabel(u"Imprimante"_s, GB_Imprimante);
    label->setObjectName(u"Label1"_s);
    label->move(29, 18);
    E_Printers = new QComboBox(GB_Imprimante);
    E_Printers->setObjectName(u"E_Printers"_s);
    E_Printers->setGeometry(29, 39, 284, 21);
    E_Printers->setAccessibleName(u"Imprimante"_s);
    label->setBuddy(E_Printers);
    B_Property = addButton(GB_Imprimante, u"B_Property"_s, u"Configurer"_s, QRect(337, 38, 75, 25));

    L_NumCopy = new QLabel(u"Nombre de copies"_s, GB_Imprimante);
    L_NumCopy->setObjectName(u"L_NumCopy"_s);
    L_NumCopy->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    L_NumCopy->setGeometry(29, 105, 118, 16);
    E_NumCopy = new QLineEdit(u"1"_s, GB_Imprimante);
    E_NumCopy->setObjectName(u"E_NumCopy"_s);
    E_NumCopy->setAccessibleName(u"Nombre de copies"_s);
    E_NumCopy->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    E_NumCopy->setGeometry(151, 102, 26, 22);
    E_NumCopy->setMaxLength(1);
    E_NumCopy->setValidator(new QIntValidator(0, 9, E_NumCopy));
    E_NumCopy->setContextMenuPolicy(Qt::NoContextMenu);
    E_NumCopy->installEventFilter(this);
    L_NumCopy->setBuddy(E_NumCopy);

    // The up-down buttons of the number of copies, 1 to 9.
    UD_NumCopy = new QWidget(GB_Imprimante);
    UD_NumCopy->setObjectName(u"UD_NumCopy"_s);
    UD_NumCopy->setGeometry(177, 102, 25, 22);
    UD_Up = new QToolButton(UD_NumCopy);
    UD_Up->setObjectName(u"UD_NumCopyUp"_s);
    UD_Up->setText(u"\u25B4"_s);
    UD_Up->setAccessibleName(u"Une copie de plus"_s);
    UD_Up->setGeometry(0, 0, 25, 11);
    UD_Up->setAutoRepeat(true);
    UD_Up->setStyleSheet(u"padding: 0px;"_s);
    UD_Down = new QToolButton(UD_NumCopy);
    UD_Down->setObjectName(u"UD_NumCopyDown"_s);
    UD_Down->setText(u"\u25BE"_s);
    UD_Down->setAccessibleName(u"Une copie de moins"_s);
    UD_Down->setGeometry(0, 11, 25, 11);
    UD_Down->setAutoRepeat(true);
    UD_Down->setStyleSheet(u"padding: 0px;"_s);
    // The up-down buttons follow what is typed, so that Enter prints the copies typed.
    connect(E_NumCopy, &QLineEdit::textEdited, this, [this](const QString &text) {
        bool ok = false;
        const int copies = text.toInt(&ok);
        if (ok && copies >= 1 && copies <= 9)
            m_numCopy = copies;
    });
    connect(UD_Up, &QToolButton::clicked, this, [this] { SetNumCopy(m_numCopy + 1); });
    connect(UD_Down, &QToolButton::clicked, this, [this] { SetNumCopy(m_numCopy - 1); });

    // The orientation is chosen in the printer setup; the group stays hidden and its
    // pictures show the printer's orientation beside the copies.
    GB_Orientation = new QGroupBox(u" Orientation "_s, GB_Imprimante);
    GB_Orientation->setObjectName(u"GB_Orientation"_s);
    GB_Orientation->setGeometry(243, 71, 169, 97);
    RB_Portrait = new QRadioButton(u"Portrait"_s, GB_Orientation);
    RB_Portrait->setObjectName(u"RB_Portrait"_s);
    RB_Portrait->setChecked(true);
    RB_Landscape = new QRadioButton(u"Paysage"_s, GB_Orientation);
    RB_Landscape->setObjectName(u"RB_Landscape"_s);
    I_Portrait = addPicture(GB_Orientation, u"I_Portrait"_s, u":/images/orientation-portrait.svg"_s,
                            u"Orientation portrait"_s);
    I_Landscape = addPicture(GB_Orientation, u"I_Landscape"_s,
                             u":/images/orientation-landscape.svg"_s, u"Orientation paysage"_s);
    GB_Orientation->hide();

    auto *bottom = new QWidget(this);
    bottom->setObjectName(u"P_Bottom"_s);
    bottom->setGeometry(0, 221 - 36, 442, 36);
    CB_Preview = new QCheckBox(u"Afficher un aperçu"_s, bottom);
    CB_Preview->setObjectName(u"CB_Preview"_s);
    CB_Preview->move(16, 10);
    B_Cancel = addButton(bottom, u"B_Cancel"_s, u"Annuler"_s, QRect(266, 6, 75, 25));
    B_Ok = addButton(bottom, u"B_Ok"_s, u"Imprimer"_s, QRect(347, 6, 75, 25));
    B_Ok->setDefault(true);

    connect(B_Property, &QPushButton::clicked, this, &TF_Printer::B_PropertyClick);
    connect(B_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(B_Ok, &QPushButton::clicked, this, &TF_Printer::B_OkClick);
}

bool TF_Printer::PreviewChecked() const
{
    return CB_Preview->isChecked();
}

void TF_Printer::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TF_Printer::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close the dialog: "Annuler" or the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TF_Printer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == E_NumCopy && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            E_NumCopyExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TF_Printer::FormShow()
{
    E_NumCopy->show();
    L_NumCopy->show();
    UD_NumCopy->show();
    E_Printers->clear();
    E_Printers->addItems(Printers());
    SelectPrinter(QString());
    // The pictures go beside the copies, below "Configurer".
    for (QLabel *picture : {I_Portrait, I_Landscape}) {
        picture->setParent(GB_Imprimante);
        picture->move(B_Property->x() + 6, E_NumCopy->y() - 10);
        picture->show();
    }
    UpdateOrientationImage();
}

void TF_Printer::SelectPrinter(const QString &name)
{
    const QString wanted = name.isEmpty() ? CurrentPrinterName() : name;
    int found = -1;
    for (int i = 0; i < E_Printers->count(); ++i) {
        if (E_Printers->itemText(i).compare(wanted, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    E_Printers->setCurrentIndex(found);
}

void TF_Printer::UpdateOrientationImage()
{
    const bool landscape = CurrentPrinter().pageLayout().orientation() == QPageLayout::Landscape;
    RB_Landscape->setChecked(landscape);
    RB_Portrait->setChecked(!landscape);
    I_Portrait->setVisible(!landscape);
    I_Landscape->setVisible(landscape);
}

void TF_Printer::B_PropertyClick()
{
    // The printer chosen here is the current one from now on, even if the dialog is cancelled.
    SelectCurrentPrinter(E_Printers->currentText());
    if (!ExecutePrinterSetup(this, true))
        return;
    SelectPrinter(CurrentPrinterName());
    UpdateOrientationImage();
}

void TF_Printer::B_OkClick()
{
    SelectCurrentPrinter(E_Printers->currentText());
    accept();
}

void TF_Printer::E_NumCopyExit()
{
    bool ok = false;
    const int copies = E_NumCopy->text().toInt(&ok);
    SetNumCopy(ok && copies > 0 ? copies : 1);
}

void TF_Printer::SetNumCopy(int copies)
{
    m_numCopy = std::clamp(copies, 1, 9);
    E_NumCopy->setText(QString::number(m_numCopy));
}
