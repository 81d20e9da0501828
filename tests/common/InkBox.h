// Where a picture is inked: the bounding box of its dark pixels.
#pragma once

#include <QImage>
#include <QRect>

inline QRect inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(line[x]) < 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}
