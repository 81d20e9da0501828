// A small PDF writer: pages that each show pictures, compressed with Flate, with their text
// written over them unseen, so that it can be searched, copied and read aloud.
#pragma once

#include "Png.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <stdexcept>

// Raised when the document is used the wrong way ("GetDoc", "GetPage").
class TPdfError : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

class TPdfDocument
{
public:
    struct TInfo
    {
        QDateTime Created;
        QString Title;
        QString Subject;
        QString Author;
        QString Language; // as "fr-FR"; none when empty
    };

    void SetInfo(const TInfo &info) { m_info = info; }
    // The size of new pages, in whole points.
    void SetDefaultPageSize(int width, int height);
    int DefaultPageWidth() const { return m_defaultWidth; }
    int DefaultPageHeight() const { return m_defaultHeight; }
    void AddPage();
    int PageCount() const { return int(m_pages.size()); }
    // Height of the current page in points.
    int CurrentPageHeight() const;
    // Registers a picture under `name`; false when the PNG cannot be shown as it is.
    bool AddImage(const QString &name, QByteArrayView png);
    void AddImage(const QString &name, TPngData data);
    // Draws a registered picture on the current page; x and y from the lower-left corner.
    void DrawImage(const QString &name, double x, double y, double width, double height);
    // Writes text on the current page that shows nothing (text render mode 3) but is found,
    // copied and read as the page's text, in Helvetica or Helvetica-Bold, whose widths are
    // Arial's. Its baseline starts at x, y from the lower-left corner; its letters are
    // `width` points wide and `height` points high for an em. French text is kept whole;
    // characters without a place in the encoding are written as "?". No-break spaces are
    // written as spaces, taking the width that `spaceWidths` gives them, in ems, in their
    // order (a space's when missing), so that the text after them stays where it is seen.
    void DrawInvisibleText(const QString &text, bool bold, double x, double y, double width,
                           double height, const QList<double> &spaceWidths = {});
    QByteArray ToBytes() const;

private:
    struct TImage
    {
        QByteArray Name;
        TPngData Data;
    };
    struct TPage
    {
        int Width;
        int Height;
        QByteArray Content;
        QList<int> Images;  // indexes into m_images
        bool Fonts = false; // the page shows text
    };

    TInfo m_info;
    int m_defaultWidth = 595;
    int m_defaultHeight = 842;
    QList<TPage> m_pages;
    QList<TImage> m_images;
};

// Places a picture on the current page; x and y measure its top-left corner from the page's
// top-left corner. Nothing for a picture without pixels.
void DrawPdfImage(TPdfDocument &document, double x, double y, double width, double height,
                  QByteArrayView png, const QString &name);
