// Recorded pages saved as a PDF document: pictures of the sheet at a given resolution.
#include "PdfExport.h"

#include "PdfWriter.h"
#include "Png.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

QString ProposedPdfName(const QString &reportYear, TTypeCalc typeCalc)
{
    return (typeCalc == tcRealCosts ? u"Frais_reels_%1"_s : u"Frais_kilométriques_%1"_s)
        .arg(reportYear);
}

QString FileExtension(const QString &fileName)
{
    const QString name = fileName.section(u'/', -1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

bool IsAllowedExtension(const QString &extension, const QString &allowed)
{
    QString candidate = allowed;
    const qsizetype separator = allowed.indexOf(u';');
    if (separator >= 0) {
        candidate = allowed.left(separator);
        if (extension.compare(candidate, Qt::CaseInsensitive) != 0)
            candidate = allowed.mid(separator + 1);
    }
    return extension.compare(candidate, Qt::CaseInsensitive) == 0;
}

namespace {

// The page's texts over its picture, unseen, each where the picture shows it: the picture
// stretches the printable area over the whole page, `width` by `height` points. The texts of
// one line (a label and its value in a larger size) stand on the baseline and have the height
// of its first, so that readers take them for one line; their widths stay their own. A value
// follows its label at one blank: the label's three blanks, as wide as a letter of the value,
// would make readers take two such lines one under the other for two columns.
void writePageText(TPdfDocument &document, const TRecordedPage &page, double width, double height)
{
    const QSize natural = page.NaturalSize();
    if (natural.isEmpty())
        return;
    const double across = width / natural.width();
    const double down = height / natural.height();
    for (const QList<TTextOp> &line : page.Lines()) {
        const TTextOp &first = line.first();
        const double baseline = first.Position.y() + QFontMetricsF(first.Font).ascent();
        double followed = std::numeric_limits<double>::max(); // where the previous text ends
        for (const TTextOp &op : line) {
            QString text = op.Text;
            while (text.endsWith(u"  "_s))
                text.chop(1);
            const double left = std::min(double(op.Position.x()), followed);
            followed = left + QFontMetricsF(op.Font).horizontalAdvance(text);
            // The thousands of the French numbers are apart by narrow no-break spaces.
            const QFontMetricsF metrics(op.Font);
            const double em = op.Font.pixelSize();
            QList<double> spaceWidths;
            for (const QChar c : text) {
                if (c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2007))
                    spaceWidths.append(metrics.horizontalAdvance(c) / em);
            }
            document.DrawInvisibleText(text, op.Font.bold(), left * across,
                                       height - baseline * down, em * across,
                                       first.Font.pixelSize() * down, spaceWidths);
        }
    }
}

} // namespace

bool RenderPagesToPdf(const TPageList &pages, int dpi, const QString &documentName,
                      const QDateTime &created, QByteArray &pdf, QString &error)
{
    if (pages.isEmpty())
        return false;
    const QSize size = PageSizeAtDpi(pages.first()->Caps(), dpi);
    if (size.isEmpty()) {
        error = u"La taille de la page est nulle."_s;
        return false;
    }
    // One picture of the whole sheet, reused for every page.
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull()) {
        error = u"Mémoire insuffisante pour l'image de la page."_s;
        return false;
    }
    TPdfDocument document;
    document.SetInfo({created, documentName, documentName, QString(), u"fr-FR"_s});
    const int pageWidth = int(std::ceil(size.width() * 72.0 / dpi));
    const int pageHeight = int(std::ceil(size.height() * 72.0 / dpi));
    document.SetDefaultPageSize(pageWidth, pageHeight);
    try {
        for (int i = 0; i < pages.size(); ++i) {
            picture.fill(Qt::white);
            {
                QPainter painter(&picture);
                painter.setRenderHint(QPainter::TextAntialiasing);
                pages[i]->ReplayStretched(painter, QRectF(QPointF(0, 0), QSizeF(size)));
            }
            document.AddPage();
            QByteArray png = EncodePng(picture);
            if (png.isEmpty())
                throw TPdfError("Le codage PNG de la page a échoué");
            SetPngResolution(png, dpi);
            DrawPdfImage(document, 0, 0, pageWidth, pageHeight, png, u"img%1"_s.arg(i));
            writePageText(document, *pages[i], pageWidth, pageHeight);
        }
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
        return false;
    }
    pdf = document.ToBytes();
    return true;
}

QString SystemErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return u"Le dossier ou le fichier n'existe pas."_s;
    case ENOTDIR:
        return u"Un élément du chemin n'est pas un dossier."_s;
    case EISDIR:
        return u"Le chemin désigne un dossier."_s;
    case EACCES:
    case EPERM:
        return u"Accès refusé."_s;
    case EROFS:
        return u"Le support est en lecture seule."_s;
    case ENOSPC:
        return u"Il n'y a plus de place sur le support."_s;
    case EDQUOT:
        return u"Le quota d'espace disque est dépassé."_s;
    case EFBIG:
        return u"Le fichier dépasse la taille autorisée."_s;
    case EIO:
        return u"Erreur d'entrée-sortie du support."_s;
    case ENAMETOOLONG:
        return u"Le nom du fichier est trop long."_s;
    case EMFILE:
    case ENFILE:
        return u"Trop de fichiers sont ouverts."_s;
    case EBADF:
        return u"Le fichier n'est pas ouvert pour cette opération."_s;
    case EPIPE:
        return u"Le programme qui lisait la sortie l'a fermée."_s;
    case EINVAL:
        return u"Opération impossible sur ce fichier."_s;
    case ENXIO:
    case ENODEV:
        return u"Le périphérique n'existe pas ou n'est pas prêt."_s;
    case EAGAIN:
        return u"La ressource est momentanément indisponible."_s;
    case ETXTBSY:
    case EBUSY:
        return u"Le fichier ou le support est occupé."_s;
    case ELOOP:
        return u"Trop de liens symboliques dans le chemin."_s;
    default:
        break;
    }
    // In French whatever the locale: the number, not the system's English text.
    return u"Erreur système n° %1."_s.arg(error);
}

bool WriteFileReplacing(const QString &fileName, const QByteArray &bytes, QString &error)
{
    const QFileInfo target(fileName);
    if (target.isDir()) {
        error = SystemErrorText(EISDIR);
        return false;
    }
    // A hidden file beside the target, renamed over it once complete.
    QByteArray temporary = QFile::encodeName(target.absolutePath()) + "/." +
                           QFile::encodeName(target.fileName()) + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = SystemErrorText(errno);
        return false;
    }
    auto fail = [&](int code) {
        ::close(fd);
        ::unlink(temporary.constData());
        error = SystemErrorText(code);
        return false;
    };
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        data += written;
        left -= written;
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    // The file gets the usual rights of a new document, not the temporary file's 0600.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        error = SystemErrorText(code);
        return false;
    }
    if (::rename(temporary.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) !=
        0) {
        const int code = errno;
        ::unlink(temporary.constData());
        error = SystemErrorText(code);
        return false;
    }
    return true;
}
