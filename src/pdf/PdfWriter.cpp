// A small PDF writer: pages that each show pictures, compressed with Flate, with their text
// written over them unseen.
#include "PdfWriter.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>

#include <zlib.h>

namespace {

// A text string of the document information: ASCII as it is, anything else in UTF-16.
QByteArray pdfText(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    QByteArray out = "(";
    if (ascii) {
        for (const QChar c : text) {
            if (c == u'(' || c == u')' || c == u'\\')
                out += '\\';
            out += char(c.unicode());
        }
    } else {
        out = "<FEFF";
        for (const QChar c : text)
            out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
        return out + '>';
    }
    return out + ')';
}

QByteArray pdfDate(const QDateTime &when)
{
    const QDateTime local = when.isValid() ? when : QDateTime::currentDateTime();
    const int offset = local.offsetFromUtc();
    QByteArray zone = offset == 0 ? QByteArray("Z") : QByteArray(offset > 0 ? "+" : "-");
    if (offset != 0) {
        const int minutes = std::abs(offset) / 60;
        zone += QByteArray::number(minutes / 60).rightJustified(2, '0') + '\'' +
                QByteArray::number(minutes % 60).rightJustified(2, '0') + '\'';
    }
    return "(D:" + local.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + zone + ')';
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 4).replace(QByteArray(".0000"), QByteArray());
}

// No-break spaces of every width, searched and copied as spaces.
bool isNoBreakSpace(char16_t c)
{
    return c == 0x00A0 || c == 0x202F || c == 0x2007;
}

// The byte of a character in WinAnsiEncoding, the encoding of Windows' code page 1252 that
// the standard fonts have for French: ASCII and Latin-1 as they are, the typographic signs
// (apostrophe, quotes, dashes, euro, oe) from 0x80 to 0x9F.
char winAnsi(char16_t c)
{
    static constexpr char16_t High[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (isNoBreakSpace(c))
        return ' ';
    if (c == 0x2212 || c == 0x2011) // the minus sign and the no-break hyphen, as a hyphen
        return '-';
    if ((c >= 0x20 && c < 0x7F) || (c >= 0xA1 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        if (High[i] == c && c != 0)
            return char(0x80 + i);
    }
    return '?';
}

// The text as the array of a TJ operator: strings in WinAnsiEncoding (bytes outside ASCII as
// octal escapes), and after each no-break space the shift that gives it its own width.
QByteArray showText(const QString &text, const QList<double> &spaceWidths)
{
    constexpr double HelveticaSpace = 0.278; // in ems, in both weights
    QByteArray out = "[(";
    qsizetype spaces = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character, one "?"
        const auto byte = static_cast<unsigned char>(winAnsi(c));
        if (byte == '(' || byte == ')' || byte == '\\')
            out += '\\';
        if (byte >= 0x80)
            out += '\\' + QByteArray::number(byte, 8);
        else
            out += char(byte);
        if (isNoBreakSpace(c) && spaces < spaceWidths.size()) {
            const double shift = (HelveticaSpace - spaceWidths.at(spaces++)) * 1000;
            if (std::abs(shift) >= 0.5)
                out += ") " + number(std::round(shift)) + " (";
        }
    }
    return out + ")]";
}

} // namespace

void TPdfDocument::SetDefaultPageSize(int width, int height)
{
    m_defaultWidth = width;
    m_defaultHeight = height;
}

void TPdfDocument::AddPage()
{
    m_pages.append(TPage{m_defaultWidth, m_defaultHeight, {}, {}});
}

int TPdfDocument::CurrentPageHeight() const
{
    if (m_pages.isEmpty())
        throw TPdfError("GetPage");
    return m_pages.last().Height;
}

bool TPdfDocument::AddImage(const QString &name, QByteArrayView png)
{
    std::optional<TPngData> data = ReadPngData(png);
    if (!data)
        return false;
    AddImage(name, std::move(*data));
    return true;
}

void TPdfDocument::AddImage(const QString &name, TPngData data)
{
    m_images.append(TImage{name.toLatin1(), std::move(data)});
}

void TPdfDocument::DrawImage(const QString &name, double x, double y, double width, double height)
{
    if (m_pages.isEmpty())
        throw TPdfError("GetPage");
    const QByteArray key = name.toLatin1();
    for (int i = int(m_images.size()) - 1; i >= 0; --i) {
        if (m_images[i].Name != key)
            continue;
        TPage &page = m_pages.last();
        page.Content += "q " + number(width) + " 0 0 " + number(height) + ' ' + number(x) + ' ' +
                        number(y) + " cm /" + key + " Do Q\n";
        if (!page.Images.contains(i))
            page.Images.append(i);
        return;
    }
    throw TPdfError("GetImage");
}

void TPdfDocument::DrawInvisibleText(const QString &text, bool bold, double x, double y,
                                     double width, double height, const QList<double> &spaceWidths)
{
    if (m_pages.isEmpty())
        throw TPdfError("GetPage");
    TPage &page = m_pages.last();
    page.Content += "BT 3 Tr /" + QByteArray(bold ? "F2" : "F1") + " 1 Tf " + number(width) +
                    " 0 0 " + number(height) + ' ' + number(x) + ' ' + number(y) + " Tm " +
                    showText(text, spaceWidths) + " TJ ET\n";
    page.Fonts = true;
}

QByteArray TPdfDocument::ToBytes() const
{
    // Objects: 1 catalogue, 2 page tree, 3 information, then per page: page, contents; then
    // the pictures, then the two fonts.
    QByteArray out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    QList<qsizetype> offsets;
    auto begin = [&](int number) {
        while (offsets.size() < number)
            offsets.append(0);
        offsets[number - 1] = out.size();
        out += QByteArray::number(number) + " 0 obj\n";
    };
    const int firstPage = 4;
    const int firstImage = firstPage + 2 * int(m_pages.size());
    const int firstFont = firstImage + int(m_images.size());
    const bool fonts =
        std::any_of(m_pages.begin(), m_pages.end(), [](const TPage &page) { return page.Fonts; });

    begin(1);
    out += "<< /Type /Catalog /Pages 2 0 R";
    if (!m_info.Language.isEmpty())
        out += " /Lang " + pdfText(m_info.Language);
    // Viewers show the title rather than the file's name.
    if (!m_info.Title.isEmpty())
        out += " /ViewerPreferences << /DisplayDocTitle true >>";
    out += " >>\nendobj\n";
    begin(2);
    out += "<< /Type /Pages /Count " + QByteArray::number(m_pages.size()) + " /Kids [";
    for (int i = 0; i < m_pages.size(); ++i)
        out += ' ' + QByteArray::number(firstPage + 2 * i) + " 0 R";
    out += " ] >>\nendobj\n";
    begin(3);
    out += "<< /CreationDate " + pdfDate(m_info.Created) + " /Title " + pdfText(m_info.Title) +
           " /Subject " + pdfText(m_info.Subject) + " /Author " + pdfText(m_info.Author) +
           " /Producer (Vemora) >>\nendobj\n";

    for (int i = 0; i < m_pages.size(); ++i) {
        const TPage &page = m_pages[i];
        begin(firstPage + 2 * i);
        out += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(page.Width) +
               ' ' + QByteArray::number(page.Height) + "] /Resources << /XObject <<";
        for (int image : page.Images)
            out +=
                " /" + m_images[image].Name + ' ' + QByteArray::number(firstImage + image) + " 0 R";
        out += " >>";
        if (page.Fonts)
            out += " /Font << /F1 " + QByteArray::number(firstFont) + " 0 R /F2 " +
                   QByteArray::number(firstFont + 1) + " 0 R >>";
        out += " >> /Contents " + QByteArray::number(firstPage + 2 * i + 1) + " 0 R >>\nendobj\n";
        begin(firstPage + 2 * i + 1);
        out += "<< /Length " + QByteArray::number(page.Content.size()) + " >>\nstream\n" +
               page.Content + "\nendstream\nendobj\n";
    }
    for (int i = 0; i < m_images.size(); ++i) {
        const TPngData &data = m_images[i].Data;
        begin(firstImage + i);
        // The PNG's own zlib stream, undone by Flate and the PNG row predictors.
        out += "<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(data.Width) +
               " /Height " + QByteArray::number(data.Height) +
               " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode"
               " /DecodeParms << /Predictor 15 /Colors 3 /BitsPerComponent 8 /Columns " +
               QByteArray::number(data.Width) + " >> /Length " +
               QByteArray::number(data.Deflated.size()) + " >>\nstream\n";
        out += data.Deflated;
        out += "\nendstream\nendobj\n";
    }
    if (fonts) {
        // F1 and F2: standard fonts, which every reader has, in the encoding that holds French.
        const char *names[] = {"Helvetica", "Helvetica-Bold"};
        for (int i = 0; i < 2; ++i) {
            begin(firstFont + i);
            out += "<< /Type /Font /Subtype /Type1 /BaseFont /" + QByteArray(names[i]) +
                   " /Encoding /WinAnsiEncoding >>\nendobj\n";
        }
    }

    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) +
           " /Root 1 0 R /Info 3 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

void DrawPdfImage(TPdfDocument &document, double x, double y, double width, double height,
                  QByteArrayView png, const QString &name)
{
    std::optional<TPngData> data = ReadPngData(png);
    if (!data)
        throw TPdfError("Image PNG illisible");
    if (data->Width == 0 || data->Height == 0)
        return;
    document.AddImage(name, std::move(*data));
    document.DrawImage(name, x, document.CurrentPageHeight() - height - y, width, height);
}
