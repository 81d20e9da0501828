// Pages in printer dots: millimetre drawing, recorded pages and the device they are drawn for.
#include "PageModel.h"

#include "NumberText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Windows-style rounding of a font size: halves away from zero.
int roundAway(long double x)
{
    return static_cast<int>(x < 0 ? -std::floor(-x + 0.5L) : std::floor(x + 0.5L));
}

// A font whose em (character height, internal leading excluded) is `dots` high.
QFont fontByCharacterHeight(const QString &family, int dots, bool bold)
{
    QFont font(family);
    font.setPixelSize(std::max(dots, 1));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferOutline);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A font whose cell (ascent plus descent) is `dots` high.
QFont fontByCellHeight(const QString &family, int dots, bool bold)
{
    QFont probe = fontByCharacterHeight(family, 1000, bold);
    const QFontMetricsF metrics(probe);
    const qreal cellPerEm = (metrics.ascent() + metrics.descent()) / 1000.0;
    return fontByCharacterHeight(family, int(std::lround(dots / cellPerEm)), bold);
}

// The size the report assigns: points on the printer, minus the cell height on a recording.
QFont fontForSize(const QString &family, int size, bool bold, const TDeviceCaps &caps)
{
    if (size > 0)
        return fontByCharacterHeight(family, roundAway((long double)size * caps.LogPixelsY / 72),
                                     bold);
    const int cell = roundAway((long double)(-size) * RecordingScreenDpi / 72);
    return fontByCellHeight(family, cell, bold);
}

void drawTextCell(QPainter &painter, const QFont &font, QPointF topLeft, const QString &text)
{
    const QFontMetricsF metrics(font);
    const QRectF cell(
        topLeft, QSizeF(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent()));
    painter.fillRect(cell, Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

} // namespace

TDeviceCaps VirtualA4Sheet()
{
    TDeviceCaps caps;
    caps.HorzSizeMm = 210;
    caps.VertSizeMm = 297;
    caps.LogPixelsX = 600;
    caps.LogPixelsY = 600;
    caps.PhysicalWidth = 4961;
    caps.PhysicalHeight = 7016;
    caps.Printable = QRect(0, 0, 4961, 7016);
    return caps;
}

long double DotsPerMm(int16_t dotsPerInch)
{
    return static_cast<long double>(dotsPerInch) / 25.4L;
}

int64_t MmToDevX(const TDeviceCaps &caps, double mm)
{
    return RoundHalfEven(DotsPerMm(int16_t(caps.LogPixelsX)) * mm);
}

int64_t MmToDevY(const TDeviceCaps &caps, double mm)
{
    return RoundHalfEven(DotsPerMm(int16_t(caps.LogPixelsY)) * mm);
}

int64_t DevToMmX(const TDeviceCaps &caps, int32_t dots)
{
    const long double perMm = DotsPerMm(int16_t(caps.LogPixelsX));
    return perMm == 0 ? 0 : RoundHalfEven(dots / perMm);
}

int64_t DevToMmY(const TDeviceCaps &caps, int32_t dots)
{
    const long double perMm = DotsPerMm(int16_t(caps.LogPixelsY));
    return perMm == 0 ? 0 : RoundHalfEven(dots / perMm);
}

double PageWidthMm(const TDeviceCaps &caps)
{
    return caps.LogPixelsX == 0 ? 0 : double(caps.PhysicalWidth) / caps.LogPixelsX * 25.4;
}

double PageHeightMm(const TDeviceCaps &caps)
{
    return caps.LogPixelsY == 0 ? 0 : double(caps.PhysicalHeight) / caps.LogPixelsY * 25.4;
}

QSize PageSizeAtDpi(const TDeviceCaps &caps, int32_t dpi)
{
    if (caps.LogPixelsX == 0 || caps.LogPixelsY == 0)
        return QSize(0, 0);
    const long double width = (long double)dpi / caps.LogPixelsX * caps.PhysicalWidth;
    const long double height = (long double)dpi / caps.LogPixelsY * caps.PhysicalHeight;
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

int PrinterFontSize(int points, bool recorded, const TDeviceCaps &caps)
{
    if (!recorded)
        return points;
    return int(RoundHalfEven(-(long double)(int64_t(points) * caps.LogPixelsY) / 72));
}

int16_t AlignTextX(const TDrawTarget &target, const QString &text, int16_t x, int16_t right,
                   int align)
{
    const auto width = int16_t(target.TextWidth(text));
    int16_t result = x;
    if (align == alRight) {
        result = int16_t(right - width);
    } else if (align == alCenter) {
        const auto d = int16_t(right - x - width);
        result = int16_t(x + d / 2); // the halving truncates toward zero
    } else {
        return x;
    }
    return result < 0 ? int16_t(0) : result;
}

void TextOutMm(TDrawTarget &target, int32_t x, int32_t xRight, int32_t y, const QString &text,
               int align)
{
    if (y == 0 || text.isEmpty())
        return;
    const int height = target.TextHeight(text);
    int64_t top = MmToDevY(target.Caps(), y) - height;
    if (top < 0)
        top = 0;
    int64_t left;
    if (align != alLeft)
        left = AlignTextX(target, text, int16_t(MmToDevX(target.Caps(), x)),
                          int16_t(MmToDevX(target.Caps(), xRight)), align);
    else
        left = MmToDevX(target.Caps(), x);
    if (left < 0)
        left = 0;
    target.TextOut(int(left), int(top), text);
}

void TRecordedPage::Replay(QPainter &painter, QPoint topLeft) const
{
    for (const TTextOp &op : m_ops)
        drawTextCell(painter, op.Font, QPointF(op.Position + topLeft), op.Text);
}

void TRecordedPage::ReplayStretched(QPainter &painter, const QRectF &target) const
{
    const QSize natural = NaturalSize();
    if (natural.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / natural.width(), target.height() / natural.height());
    painter.setRenderHint(QPainter::TextAntialiasing);
    Replay(painter, QPoint(0, 0));
    painter.restore();
}

QList<QList<TTextOp>> TRecordedPage::Lines() const
{
    struct TPlaced
    {
        qreal Bottom;
        qreal Height;
        const TTextOp *Op;
    };
    QList<TPlaced> placed;
    for (const TTextOp &op : m_ops) {
        if (op.Text.isEmpty())
            continue;
        const QFontMetricsF metrics(op.Font);
        const qreal height = metrics.ascent() + metrics.descent();
        placed.append({op.Position.y() + height, height, &op});
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const TPlaced &a, const TPlaced &b) { return a.Bottom < b.Bottom; });
    // A label and its value in another size share their bottom edge to within a dot or two of
    // rounding; the next line is a whole text height further down.
    QList<QList<TPlaced>> lines;
    for (const TPlaced &text : placed) {
        if (!lines.isEmpty()) {
            const TPlaced &last = lines.last().last();
            if (text.Bottom - last.Bottom < std::min(text.Height, last.Height) / 2) {
                lines.last().append(text);
                continue;
            }
        }
        lines.append({text});
    }
    QList<QList<TTextOp>> result;
    for (QList<TPlaced> &line : lines) {
        std::stable_sort(line.begin(), line.end(), [](const TPlaced &a, const TPlaced &b) {
            return a.Op->Position.x() < b.Op->Position.x();
        });
        QList<TTextOp> ops;
        for (const TPlaced &text : line)
            ops.append(*text.Op);
        result.append(ops);
    }
    return result;
}

QStringList TRecordedPage::TextLines() const
{
    QStringList result;
    for (const QList<TTextOp> &line : Lines()) {
        QString joined;
        for (const TTextOp &text : line) {
            if (!joined.isEmpty() && !joined.back().isSpace() && !text.Text.front().isSpace())
                joined += u' ';
            joined += text.Text;
        }
        result.append(joined.trimmed());
    }
    return result;
}

void TFontTarget::SetFont(const QString &family, int size, bool bold)
{
    m_font = fontForSize(family, size, bold, m_caps);
}

void TFontTarget::SetBold(bool bold)
{
    m_font.setBold(bold);
}

int TFontTarget::TextWidth(const QString &text) const
{
    return int(std::lround(QFontMetricsF(m_font).horizontalAdvance(text)));
}

int TFontTarget::TextHeight(const QString &) const
{
    const QFontMetricsF metrics(m_font);
    return int(std::lround(metrics.ascent() + metrics.descent()));
}

void TFontTarget::SetDrawScale(double scale)
{
    if (!(scale > 0 && scale < 1))
        return;
    m_scale = scale;
    m_caps = m_pageCaps;
    m_caps.HorzSizeMm = int(m_pageCaps.HorzSizeMm / scale);
    m_caps.VertSizeMm = int(m_pageCaps.VertSizeMm / scale);
    m_caps.Printable.setSize(QSizeF(m_pageCaps.Printable.size() / scale).toSize());
}

TRecordingTarget::TRecordingTarget(TRecordedPage &page, const TDeviceCaps &caps)
    : TFontTarget(caps)
    , m_page(page)
{
}

TRecordingTarget::~TRecordingTarget()
{
    m_page.m_caps = m_pageCaps;
    m_page.m_ops = std::move(m_ops);
    m_page.m_recorded = true;
}

void TRecordingTarget::TextOut(int x, int y, const QString &text)
{
    if (m_scale == 1) {
        m_ops.append(TTextOp{m_font, QPoint(x, y), text});
        return;
    }
    // Scaled down: the size rounded down, so that the text never grows past its place.
    QFont font = m_font;
    font.setPixelSize(std::max(1, int(m_font.pixelSize() * m_scale)));
    m_ops.append(
        TTextOp{font, QPoint(int(std::lround(x * m_scale)), int(std::lround(y * m_scale))), text});
}

TPainterTarget::TPainterTarget(QPainter &painter, const TDeviceCaps &caps)
    : TFontTarget(caps)
    , m_painter(painter)
{
}

void TPainterTarget::TextOut(int x, int y, const QString &text)
{
    if (m_scale == 1) {
        drawTextCell(m_painter, m_font, QPointF(x, y), text);
        return;
    }
    m_painter.save();
    m_painter.scale(m_scale, m_scale);
    drawTextCell(m_painter, m_font, QPointF(x, y), text);
    m_painter.restore();
}
