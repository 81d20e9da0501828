// The print preview: the recorded report as a white sheet, printed, set up again or saved.
#include "FPrintPreview.h"

#include "MessageDialogs.h"
#include "NumberText.h"
#include "PdfExport.h"
#include "PreviewPage.h"
#include "PrintUi.h"
#include "Printing.h"
#include "ShellHelpers.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString PdfFilterDescription = u"Fichier Portable Document Format"_s;
const QString PdfFilter = PdfFilterDescription + u" (*.pdf)"_s;

double roundedMm(double mm)
{
    return double(RoundHalfEven(mm));
}

QString errorText(const QString &cause)
{
    return u"Une erreur s'est produite avec le message suivant : \r\n\r\n    - "_s + cause;
}

} // namespace

QRect FitWholePage(QSize client, double widthMm, double heightMm)
{
    const long double w = roundedMm(widthMm);
    const long double h = roundedMm(heightMm);
    if (w <= 0 || h <= 0)
        return {};
    const long double ratio = h / w;
    const int cw = client.width() - 20;
    const int ch = client.height() - 20;
    const long double d = ratio * cw;
    int width;
    int height;
    if (ch < RoundHalfEven(d)) {
        height = ch;
        width = int(std::floor(ch / ratio));
    } else {
        width = cw;
        height = int(std::floor(d));
    }
    return QRect((client.width() - width) / 2, (client.height() - height) / 2, width, height);
}

QRect FitPageWidth(QSize client, double widthMm, double heightMm, bool scrolled)
{
    const long double w = roundedMm(widthMm);
    const long double h = roundedMm(heightMm);
    if (w <= 0 || h <= 0)
        return {};
    const int width = client.width() - 20;
    const int height = int(std::floor(h / w * width));
    const int top = scrolled ? 0 : (client.height() - height) / 2;
    return QRect((client.width() - width) / 2, top, width, height);
}

TF_PrintPreview::TF_PrintPreview(QWidget *owner)
    : QDialog(owner)
{
    FormCreate();
}

TF_PrintPreview::~TF_PrintPreview()
{
    FreePages();
}

void TF_PrintPreview::FormCreate()
{
    setObjectName(u"F_PrintPreview"_s);
    setWindowTitle(u"Aperçu avant impression"_s);
    setWindowIcon(QIcon(u":/images/preview-print.svg"_s));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    QFont font(u"Arial"_s);
    font.setPointSizeF(8);
    setFont(font);
    setMinimumSize(400, 400);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    TB_PrintPreview = new QToolBar(this);
    TB_PrintPreview->setObjectName(u"TB_PrintPreview"_s);
    TB_PrintPreview->setMovable(false);
    TB_PrintPreview->setIconSize(QSize(25, 22));
    TB_PrintPreview->setFixedHeight(40);
    TB_PrintPreview->setContentsMargins(5, 2, 0, 2);
    TB_PrintPreview->setStyleSheet(
        u"#TB_PrintPreview { border-bottom: 1px solid #808080; }"
        u"#TB_PrintPreview::separator { width: 14px; background: transparent; }"_s);
    const TDM_Images &images = DM_Images();
    auto addButton = [&](const QString &name, int picture, const QString &hint) {
        auto *button = new QToolButton(TB_PrintPreview);
        button->setObjectName(name);
        button->setIcon(images.Icon(picture));
        button->setIconSize(QSize(25, 22));
        button->setFixedSize(32, 32);
        button->setToolTip(hint);
        button->setAccessibleName(hint);
        button->setCursor(Qt::PointingHandCursor);
        button->setAutoRaise(true);
        TB_PrintPreview->addWidget(button);
        return button;
    };
    auto addSeparator = [this](const QString &name) {
        TB_PrintPreview->addSeparator()->setObjectName(name);
    };
    B_Print = addButton(u"B_Print"_s, 0, u"Imprimer le document"_s);
    B_CfgPrn = addButton(u"B_CfgPrn"_s, 1, u"Configurer l'imprimante"_s);
    addSeparator(u"Tbs1"_s);
    B_SavePdf = addButton(u"B_SavePdf"_s, 2, u"Sauvegarde le résultat au format PDF"_s);
    B_FullScreen = addButton(u"B_FullScreen"_s, 3, u"Afficher la page entière"_s);
    B_FullWidth = addButton(u"B_FullWidth"_s, 4, u"Pleine largeur"_s);
    addSeparator(u"Tbs3"_s);
    B_Quit = addButton(u"B_Quit"_s, 5, u"Quitte l'aperçu"_s);
    auto *zoom = new QButtonGroup(this);
    zoom->setExclusive(true);
    for (QToolButton *button : {B_FullScreen, B_FullWidth}) {
        button->setCheckable(true);
        zoom->addButton(button);
    }
    B_FullScreen->setChecked(true);
    layout->addWidget(TB_PrintPreview);

    auto *top = new QWidget(this);
    top->setObjectName(u"P_Top"_s);
    top->setFixedHeight(26);
    L_PrinterName = new QLabel(top);
    L_PrinterName->setObjectName(u"L_PrinterName"_s);
    L_PrinterName->setAlignment(Qt::AlignCenter);
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(L_PrinterName);
    layout->addWidget(top);

    SB_Preview = new QScrollArea(this);
    SB_Preview->setObjectName(u"SB_Preview"_s);
    SB_Preview->setFrameShape(QFrame::NoFrame);
    SB_Preview->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The sheet inside takes the keyboard in its place and shows it.
    SB_Preview->setFocusPolicy(Qt::NoFocus);
    SB_Preview->setStyleSheet(u"#SB_Preview, #SB_Preview > QWidget > QWidget "
                              u"{ background-color: #C0C0C0; }"_s);
    m_sheetArea = new QWidget;
    m_sheetArea->setObjectName(u"SheetArea"_s);
    SB_Preview->setWidget(m_sheetArea);
    SB_Preview->setWidgetResizable(false);
    PB_Preview = new TPreviewPage(
        m_sheetArea, [this] { PB_PreviewPaint(); }, [this] { return PageTextLines(); });
    PB_Preview->setObjectName(u"PB_Preview"_s);
    PB_Preview->setAccessibleName(u"Page de l'aperçu"_s);
    SB_Preview->viewport()->installEventFilter(this);
    layout->addWidget(SB_Preview, 1);

    connect(B_Print, &QToolButton::clicked, this, &TF_PrintPreview::B_PrintClick);
    connect(B_CfgPrn, &QToolButton::clicked, this, &TF_PrintPreview::B_CfgPrnClick);
    connect(B_SavePdf, &QToolButton::clicked, this, &TF_PrintPreview::B_SavePdfClick);
    connect(B_FullScreen, &QToolButton::clicked, this, &TF_PrintPreview::FitWholePageNow);
    connect(B_FullWidth, &QToolButton::clicked, this, &TF_PrintPreview::FitPageWidthNow);
    connect(B_Quit, &QToolButton::clicked, this, &QDialog::close);

    PlaceOnScreen();
}

void TF_PrintPreview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TF_PrintPreview::PlaceOnScreen()
{
    // 780 x 900 with its frame, within the screen's work area, centred on it.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(780, 900);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize outer = QSize(780, 900).boundedTo(area.size());
    resize(outer - frameSize);
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

void TF_PrintPreview::FormShow()
{
    PlaceOnScreen(); // again, now that the window's frame is known
    m_pageIndex = 0;
    FitWholePageNow();
    const QString name = CurrentPrinterName();
    if (!name.isEmpty())
        ShowPrinterName(name);
}

void TF_PrintPreview::ShowPrinterName(const QString &name)
{
    L_PrinterName->setText(u"Imprimante actuellement utilisée : %1"_s.arg(name));
}

void TF_PrintPreview::FreePages()
{
    LPages.clear();
}

void TF_PrintPreview::ResetPages(int count)
{
    FreePages();
    for (int i = 0; i < count; ++i)
        LPages.append(std::make_shared<TRecordedPage>());
}

bool TF_PrintPreview::eventFilter(QObject *watched, QEvent *event)
{
    // The zoom follows the scroll box's size.
    if (watched == SB_Preview->viewport() && event->type() == QEvent::Resize) {
        if (B_FullWidth->isChecked())
            FitPageWidthNow();
        else
            FitWholePageNow();
    }
    return QDialog::eventFilter(watched, event);
}

void TF_PrintPreview::PlacePage(const QRect &page)
{
    const QSize client = SB_Preview->viewport()->size();
    if (page.height() > client.height()) {
        m_sheetArea->resize(client.width(), page.height());
        PB_Preview->setGeometry(page.left(), 0, page.width(), page.height());
    } else {
        m_sheetArea->resize(client);
        PB_Preview->setGeometry(page);
    }
}

void TF_PrintPreview::FitWholePageNow()
{
    const TDeviceCaps caps = LPages.isEmpty() ? CapsOf(CurrentPrinter()) : LPages.first()->Caps();
    PlacePage(FitWholePage(SB_Preview->viewport()->size(), PageWidthMm(caps), PageHeightMm(caps)));
}

void TF_PrintPreview::FitPageWidthNow()
{
    const TDeviceCaps caps = LPages.isEmpty() ? CapsOf(CurrentPrinter()) : LPages.first()->Caps();
    const QSize client = SB_Preview->viewport()->size();
    QRect page = FitPageWidth(client, PageWidthMm(caps), PageHeightMm(caps), false);
    if (page.height() > client.height())
        page = FitPageWidth(client, PageWidthMm(caps), PageHeightMm(caps), true);
    PlacePage(page);
}

void TF_PrintPreview::ApplyZoom()
{
    if (B_FullScreen->isChecked())
        FitWholePageNow();
    else if (B_FullWidth->isChecked())
        FitPageWidthNow();
}

QRect TF_PrintPreview::PageRect() const
{
    return PB_Preview->geometry();
}

QStringList TF_PrintPreview::PageTextLines() const
{
    if (LPages.isEmpty())
        return {};
    return LPages.at(std::min<qsizetype>(m_pageIndex, LPages.size() - 1))->TextLines();
}

void TF_PrintPreview::PB_PreviewPaint()
{
    if (LPages.isEmpty())
        return;
    if (m_pageIndex >= LPages.size())
        m_pageIndex = int(LPages.size()) - 1;
    QPainter painter(PB_Preview);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect area(0, 0, PB_Preview->width(), PB_Preview->height());
    painter.fillRect(area, Qt::white);
    LPages.at(m_pageIndex)->ReplayStretched(painter, area);
}

void TF_PrintPreview::B_PrintClick()
{
    if (NoPrinterFound() || LPages.isEmpty())
        return;
    PrintRecordedPage(*LPages.first(), curCopyCount, pwDocName);
}

void TF_PrintPreview::B_CfgPrnClick()
{
    if (!ExecutePrinterSetup(this, false))
        return;
    const QString name = CurrentPrinterName();
    if (!name.isEmpty())
        ShowPrinterName(name);
    const QString before = PB_Preview->Text();
    ResetPages(1);
    if (RecordPages)
        RecordPages(LPages);
    ApplyZoom();
    PB_Preview->repaint();
    QAccessibleTextUpdateEvent changed(PB_Preview, 0, before, PB_Preview->Text());
    QAccessible::updateAccessibility(&changed);
    B_Print->setEnabled(!LPages.isEmpty() && !name.isEmpty());
}

void TF_PrintPreview::B_SavePdfClick()
{
    QString fileName = ProposedPdfName(ReportYearText(), curTypeCalc);
    if (AskSaveFileName(fileName))
        SavePagesToFile(fileName, u".pdf"_s, 180);
}

bool TF_PrintPreview::AskSaveFileName(QString &fileName)
{
    // Qt's file dialog writes its history and folders into Qt's own settings file of the user
    // (QtProject.conf) when it closes; the program keeps nothing between runs, so that file is
    // sent where nothing can be written, even by root.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, u"/dev/null"_s);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, u"/dev/null"_s);
    QFileDialog dialog(this, u"Enregistrer l'aperçu sous"_s);
    dialog.setObjectName(u"SaveDialog"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Our own question about replacing a file comes later, with the export.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilter(PdfFilter);
    dialog.setDefaultSuffix(u"pdf"_s);
    dialog.setDirectory(SaveDialogFolder());
    dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        fileName.clear();
        return false;
    }
    fileName = dialog.selectedFiles().first();
    return true;
}

bool TF_PrintPreview::CheckFileExt(const QString &ext, const QString &allowedExt)
{
    if (IsAllowedExtension(ext, allowedExt))
        return true;
    ShowMessageDialog(u"Erreur d'extension de fichier"_s,
                      u"L'extension du fichier : %1, n'est pas valide."_s.arg(ext), dkWarning,
                      {dbOk});
    return false;
}

void TF_PrintPreview::SavePagesToFile(const QString &fileName, const QString &allowedExt, int dpi)
{
    if (!CheckFileExt(FileExtension(fileName), allowedExt) || LPages.isEmpty())
        return;
    if (QFileInfo::exists(fileName)) {
        const auto answer = ShowMessageDialog(
            u"Confirmer le remplacement"_s,
            u"Le fichier %1, existe déjà ! \r\nVoulez-vous le remplacer\u00A0?"_s.arg(
                QFileInfo(fileName).fileName()),
            dkWarning, {dbYes, dbNo});
        if (answer != dbYes) {
            ShowMessageDialog(u"Information"_s,
                              u"Opération annulée, le fichier n'a pas été sauvegardé."_s,
                              dkInformation, {dbOk});
            return;
        }
    }
    QString error;
    bool written = false;
    {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        QByteArray pdf;
        if (!RenderPagesToPdf(LPages, dpi, pwDocName, QDateTime::currentDateTime(), pdf, error)) {
            error = errorText(error);
        } else if (!WriteFileReplacing(fileName, pdf, error)) {
            error = errorText(error) + u"\r\n\r\nLe fichier n'a pas été sauvegardé."_s;
        } else {
            written = true;
        }
    }
    if (!written && !error.isEmpty())
        ShowMessageDialog(u"Une Erreur s'est produite"_s, error, dkError, {dbOk});
}
