// PNG pictures of report pages: encoding with libpng and the resolution stamp.
#include "Png.h"

#include <png.h>
#include <zlib.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <limits>

namespace {

constexpr qsizetype SignatureSize = 8;
constexpr qsizetype IhdrEnd = 33; // the signature and the 25-byte IHDR chunk

uint32_t readBig32(const char *p)
{
    const auto *b = reinterpret_cast<const unsigned char *>(p);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

void writeBig32(char *p, uint32_t value)
{
    p[0] = char(value >> 24);
    p[1] = char(value >> 16);
    p[2] = char(value >> 8);
    p[3] = char(value);
}

bool hasSignature(QByteArrayView png)
{
    static const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    return png.size() >= IhdrEnd && std::memcmp(png.data(), signature, 8) == 0 &&
           std::memcmp(png.data() + 12, "IHDR", 4) == 0;
}

void appendToArray(png_structp png, png_bytep data, png_size_t length)
{
    auto *out = static_cast<QByteArray *>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

void flushNothing(png_structp) {}

// Runs the libpng calls; false when libpng reported an error.
bool encodeRows(png_structp png, png_infop info, const QImage &picture)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(picture.width()), png_uint_32(picture.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, 0, 0, PNG_RESOLUTION_METER);
    // A page is mostly white: no filtering compresses it as well and much faster.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, Z_DEFAULT_COMPRESSION);
    png_write_info(png, info);
    // RGB32 pixels are B, G, R, X in memory on this machine: drop X, swap to R, G, B.
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_set_bgr(png);
    for (int y = 0; y < picture.height(); ++y)
        png_write_row(png, const_cast<png_bytep>(picture.constScanLine(y)));
    png_write_end(png, info);
    return true;
}

} // namespace

QByteArray EncodePng(const QImage &source)
{
    if (source.isNull())
        return {};
    const QImage picture = source.format() == QImage::Format_RGB32
                               ? source
                               : source.convertToFormat(QImage::Format_RGB32);
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return {};
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    png_set_write_fn(png, &out, appendToArray, flushNothing);
    const bool ok = encodeRows(png, info, picture);
    png_destroy_write_struct(&png, &info);
    return ok ? out : QByteArray();
}

uint32_t SwapBytes32(uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

uint32_t ComputeCrc32(QByteArrayView bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto *data = reinterpret_cast<const Bytef *>(bytes.data());
    qsizetype left = bytes.size();
    while (left > 0) {
        const uInt chunk = uInt(std::min<qsizetype>(left, 1 << 30));
        crc = crc32(crc, data, chunk);
        data += chunk;
        left -= chunk;
    }
    return uint32_t(crc);
}

std::optional<qsizetype> FindPhysChunk(QByteArrayView png)
{
    qint64 position = IhdrEnd;
    const qint64 size = png.size();
    while (position < size - 8) {
        const uint32_t length = readBig32(png.data() + position);
        if (std::memcmp(png.data() + position + 4, "pHYs", 4) == 0)
            return qsizetype(position + 8);
        if (std::memcmp(png.data() + position + 4, "IEND", 4) == 0)
            break; // what follows the picture's end is not part of it
        position += 8 + qint64(length) + 4;
    }
    return std::nullopt;
}

// True when every chunk up to IEND lies whole inside the bytes.
static bool chunksAreWhole(QByteArrayView png)
{
    qint64 position = SignatureSize;
    const qint64 size = png.size();
    while (position < size) {
        if (position + 12 > size)
            return false;
        const uint32_t length = readBig32(png.data() + position);
        if (position + 12 + qint64(length) > size)
            return false;
        if (std::memcmp(png.data() + position + 4, "IEND", 4) == 0)
            return true;
        position += 12 + qint64(length);
    }
    return false;
}

void SetPngResolution(QByteArray &png, int dpi)
{
    // pHYs holds pixels per metre in 32 bits: 1 to about 109 million dots per inch.
    if (dpi <= 0 || dpi > int(std::numeric_limits<uint32_t>::max() * 0.0254) || !hasSignature(png))
        return;
    std::optional<qsizetype> data = FindPhysChunk(png);
    if (!data) {
        // A picture cut short is left as it is rather than given a chunk after its end.
        if (!chunksAreWhole(png))
            return;
        // A new pHYs chunk right after IHDR: length 9, type, 9 data bytes, CRC.
        QByteArray chunk(21, '\0');
        writeBig32(chunk.data(), 9);
        std::memcpy(chunk.data() + 4, "pHYs", 4);
        png.insert(IhdrEnd, chunk);
        data = IhdrEnd + 8;
    }
    if (*data + 13 > png.size())
        return; // a chunk cut short by the end of the text
    const auto perMetre = uint32_t(std::nearbyint(dpi / 0.0254));
    char *p = png.data() + *data;
    // The values are stored big-endian, whatever the machine's order.
    writeBig32(p, perMetre);
    writeBig32(p + 4, perMetre);
    p[8] = 1; // unit: metre
    const uint32_t crc = ComputeCrc32(QByteArrayView(p - 4, 13));
    writeBig32(p + 9, crc);
}

std::optional<TPngData> ReadPngData(QByteArrayView png)
{
    if (!hasSignature(png))
        return std::nullopt;
    const char *ihdr = png.data() + 16;
    TPngData result;
    const uint32_t width = readBig32(ihdr);
    const uint32_t height = readBig32(ihdr + 4);
    const int bitDepth = static_cast<unsigned char>(ihdr[8]);
    const int colorType = static_cast<unsigned char>(ihdr[9]);
    const int interlace = static_cast<unsigned char>(ihdr[12]);
    if (bitDepth != 8 || colorType != 2 || interlace != 0 || width == 0 || height == 0 ||
        width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return std::nullopt;
    result.Width = int(width);
    result.Height = int(height);
    qint64 position = SignatureSize;
    const qint64 size = png.size();
    while (position + 12 <= size) {
        const uint32_t length = readBig32(png.data() + position);
        if (position + 12 + qint64(length) > size)
            return std::nullopt;
        if (std::memcmp(png.data() + position + 4, "IDAT", 4) == 0)
            result.Deflated.append(png.data() + position + 8, qsizetype(length));
        else if (std::memcmp(png.data() + position + 4, "IEND", 4) == 0)
            break;
        position += 12 + qint64(length);
    }
    if (result.Deflated.isEmpty())
        return std::nullopt;
    return result;
}
