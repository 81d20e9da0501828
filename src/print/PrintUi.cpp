// What the printer dialog, the preview and the main window share.
#include "PrintUi.h"

#include "MessageDialogs.h"
#include "Printing.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

// Places the dialog once, when it is shown and its frame is known.
class TPlacer : public QObject
{
public:
    TPlacer(QWidget *owner, QWidget *dialog, bool offset)
        : QObject(dialog)
        , m_owner(owner)
        , m_dialog(dialog)
        , m_offset(offset)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_dialog && event->type() == QEvent::Show) {
            m_dialog->removeEventFilter(this);
            const QRect owner = m_owner->frameGeometry();
            const QRect dialog = m_dialog->frameGeometry();
            if (m_offset)
                m_dialog->move(owner.left() + 15, owner.top() + 15);
            else
                m_dialog->move(owner.left() + (owner.width() - dialog.width()) / 2,
                               owner.top() + (owner.height() - dialog.height()) / 2);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *m_owner;
    QWidget *m_dialog;
    bool m_offset;
};

QPixmap picture(const QString &name)
{
    return QIcon(u":/images/%1.svg"_s.arg(name)).pixmap(QSize(25, 22));
}

// Lighter, with a blue glow: the picture under the pointer.
QPixmap highlighted(const QPixmap &source)
{
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(image.rect(), QColor(0xE3, 0xF0, 0xFF, 90));
    painter.end();
    return QPixmap::fromImage(image);
}

// Grey and faint: the disabled picture.
QPixmap greyed(const QPixmap &source)
{
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

bool NoPrinterFound()
{
    if (!Printers().isEmpty())
        return false;
    ShowWarning(u"Aucune imprimante"_s, u"Aucune imprimante n'a été trouvée\u00A0!"_s);
    return true;
}

void PlaceSetupDialog(QWidget *owner, QWidget *dialog, bool offset)
{
    if (owner && dialog)
        new TPlacer(owner, dialog, offset);
}

bool ExecutePrinterSetup(QWidget *owner, bool offset)
{
    QPrintDialog setup(&CurrentPrinter(), owner);
    setup.setObjectName(u"PrinterSetupDialog"_s);
    setup.setWindowTitle(u"Configuration de l'impression"_s);
    // A setup, not a print: no range, no file, no copies.
    setup.setOption(QAbstractPrintDialog::PrintToFile, false);
    setup.setOption(QAbstractPrintDialog::PrintSelection, false);
    setup.setOption(QAbstractPrintDialog::PrintPageRange, false);
    setup.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    setup.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    // The number of copies is chosen in the program's printer dialog, and one copy is left after
    // this setup: a count here would only contradict it.
    if (auto *copies = setup.findChild<QSpinBox *>(u"copies"_s)) {
        copies->hide();
        for (QLabel *label : setup.findChildren<QLabel *>()) {
            if (label->buddy() == copies)
                label->hide();
        }
    }
    for (QDialogButtonBox *box : setup.findChildren<QDialogButtonBox *>()) {
        if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
            ok->setText(u"OK"_s);
    }
    PlaceSetupDialog(owner, &setup, offset);
    const bool confirmed = setup.exec() == QDialog::Accepted;
    CurrentPrinter().setCopyCount(1);
    return confirmed;
}

QString &ReportYearText()
{
    static QString year;
    return year;
}

TDM_Images::TDM_Images()
{
    for (const QString &name :
         {u"preview-print"_s, u"preview-setup"_s, u"preview-pdf"_s, u"preview-wholepage"_s,
          u"preview-fullwidth"_s, u"preview-quit"_s}) {
        const QPixmap normal = picture(name);
        PreviewImg.append(normal);
        PreviewHotImg.append(highlighted(normal));
        PreviewDisabledImg.append(greyed(normal));
    }
}

QIcon TDM_Images::Icon(int index) const
{
    QIcon icon;
    icon.addPixmap(PreviewImg.value(index), QIcon::Normal);
    icon.addPixmap(PreviewHotImg.value(index), QIcon::Active);
    icon.addPixmap(PreviewDisabledImg.value(index), QIcon::Disabled);
    return icon;
}

const TDM_Images &DM_Images()
{
    static const TDM_Images images;
    return images;
}
