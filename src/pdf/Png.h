// PNG pictures of report pages: encoding with libpng and the resolution stamp.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <cstdint>
#include <optional>

// Encodes an RGB32 picture as an 8-bit RGB PNG (no interlacing), with a pHYs chunk.
// Empty on failure.
QByteArray EncodePng(const QImage &picture);

// Stamps `dpi` dots per inch in the pHYs chunk (added after IHDR when missing), with its CRC.
// A text that is not a PNG is left as it is.
void SetPngResolution(QByteArray &png, int dpi);

// The position of the first data byte of the pHYs chunk, when the chunk is found.
std::optional<qsizetype> FindPhysChunk(QByteArrayView png);

uint32_t ComputeCrc32(QByteArrayView bytes);
uint32_t SwapBytes32(uint32_t value);

// What a PDF needs to show a PNG without decoding it: the size and the zlib stream of the
// filtered scanlines (the IDAT chunks put together).
struct TPngData
{
    int Width = 0;
    int Height = 0;
    QByteArray Deflated;
};
// Only 8-bit RGB pictures without interlacing qualify.
std::optional<TPngData> ReadPngData(QByteArrayView png);
