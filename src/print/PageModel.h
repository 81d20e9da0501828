// Pages in printer dots: millimetre drawing, recorded pages and the device they are drawn for.
#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QPainter;

// What a page is drawn for: the printer's resolution, printable area and sheet, in dots.
struct TDeviceCaps
{
    int HorzSizeMm = 0;    // width of the printable area in millimetres
    int VertSizeMm = 0;    // height of the printable area in millimetres
    int LogPixelsX = 0;    // dots per inch across
    int LogPixelsY = 0;    // dots per inch down
    int PhysicalWidth = 0; // the whole sheet, in dots
    int PhysicalHeight = 0;
    QRect Printable; // the printable area within the sheet, in dots
};

// The sheet of scripts and tests: A4 portrait at 600 dots per inch, printable everywhere.
TDeviceCaps VirtualA4Sheet();

long double DotsPerMm(int16_t dotsPerInch);
int64_t MmToDevX(const TDeviceCaps &caps, double mm);
int64_t MmToDevY(const TDeviceCaps &caps, double mm);
int64_t DevToMmX(const TDeviceCaps &caps, int32_t dots);
int64_t DevToMmY(const TDeviceCaps &caps, int32_t dots);

double PageWidthMm(const TDeviceCaps &caps);
double PageHeightMm(const TDeviceCaps &caps);
// The whole sheet in pixels of `dpi` dots per inch, rounded up; 0 x 0 without a resolution.
QSize PageSizeAtDpi(const TDeviceCaps &caps, int32_t dpi);

// The font size the report assigns for `points`: the points themselves on the printer, a
// negative cell-height size (in printer dots) on a recorded page.
int PrinterFontSize(int points, bool recorded, const TDeviceCaps &caps);

enum TAlign
{
    alLeft = 0,
    alRight = 1,
    alCenter = 2
};

// Where drawing goes: the printer's page or a recorded page. Positions in printer dots, (0, 0)
// at the top-left corner of the printable area.
class TDrawTarget
{
public:
    virtual ~TDrawTarget() = default;
    virtual const TDeviceCaps &Caps() const = 0;
    // Sets the font: "Arial", the size as PrinterFontSize gave it, bold or not.
    virtual void SetFont(const QString &family, int size, bool bold) = 0;
    virtual void SetBold(bool bold) = 0;
    virtual int TextWidth(const QString &text) const = 0;
    // The cell height of the current font: ascent plus descent.
    virtual int TextHeight(const QString &text) const = 0;
    // Draws the text with its cell's top-left corner at (x, y), on white.
    virtual void TextOut(int x, int y, const QString &text) = 0;
    // From here on, draws everything `scale` times smaller (0 < scale < 1), on a page that
    // Caps() then says is as much larger: a report too wide for a small sheet, shrunk to fit.
    virtual void SetDrawScale(double scale) { (void)scale; }
};

int16_t AlignTextX(const TDrawTarget &target, const QString &text, int16_t x, int16_t right,
                   int align);
// Draws a text whose cell's bottom lies at y millimetres; nothing for y = 0 or an empty text.
void TextOutMm(TDrawTarget &target, int32_t x, int32_t xRight, int32_t y, const QString &text,
               int align);

// One drawn text of a recorded page.
struct TTextOp
{
    QFont Font;      // pixel size in printer dots
    QPoint Position; // top-left corner of the text cell, in printer dots
    QString Text;
};

// A page recorded once against a printer and replayed any number of times.
class TRecordedPage
{
public:
    TRecordedPage() = default;
    bool IsRecorded() const { return m_recorded; }
    const TDeviceCaps &Caps() const { return m_caps; }
    const QList<TTextOp> &Operations() const { return m_ops; }
    // The printable area in printer dots.
    QSize NaturalSize() const { return m_caps.Printable.size(); }
    // At natural size with its top-left corner at `topLeft`, on a painter in printer dots.
    void Replay(QPainter &painter, QPoint topLeft) const;
    // Stretched so that the printable area fills `target`.
    void ReplayStretched(QPainter &painter, const QRectF &target) const;
    // The texts of the page as they are read: line by line from the top, each line's texts
    // from the left, those whose cells stand on one bottom edge making one line.
    QList<QList<TTextOp>> Lines() const;
    QStringList TextLines() const;

private:
    friend class TRecordingTarget;
    bool m_recorded = false;
    TDeviceCaps m_caps;
    QList<TTextOp> m_ops;
};

using TPageList = QList<std::shared_ptr<TRecordedPage>>;

// The font side of a target: the report's sizes, measured in printer dots.
class TFontTarget : public TDrawTarget
{
public:
    explicit TFontTarget(const TDeviceCaps &caps)
        : m_pageCaps(caps)
        , m_caps(caps)
    {
    }
    const TDeviceCaps &Caps() const override { return m_caps; }
    void SetFont(const QString &family, int size, bool bold) override;
    void SetBold(bool bold) override;
    int TextWidth(const QString &text) const override;
    int TextHeight(const QString &text) const override;
    void SetDrawScale(double scale) override;

protected:
    TDeviceCaps m_pageCaps; // the real page
    TDeviceCaps m_caps;     // the page drawn on, larger when drawing is scaled down
    double m_scale = 1;
    QFont m_font;
};

// Records onto a page; the recording is stored in the page when the target is destroyed.
class TRecordingTarget : public TFontTarget
{
public:
    TRecordingTarget(TRecordedPage &page, const TDeviceCaps &caps);
    ~TRecordingTarget() override;
    void TextOut(int x, int y, const QString &text) override;

private:
    TRecordedPage &m_page;
    QList<TTextOp> m_ops;
};

// Draws on a painter open on a printer (or any device in printer dots).
class TPainterTarget : public TFontTarget
{
public:
    TPainterTarget(QPainter &painter, const TDeviceCaps &caps);
    void TextOut(int x, int y, const QString &text) override;

private:
    QPainter &m_painter;
};

// The screen's vertical resolution that recorded fonts are sized with.
inline constexpr int RecordingScreenDpi = 96;
