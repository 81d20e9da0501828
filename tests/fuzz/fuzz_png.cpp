// Fuzz target: the resolution stamp of PNG pictures (FindPhysChunk, SetPngResolution) and
// the reading of their pixel data for the PDF (ReadPngData), on arbitrary bytes.
//
// On any bytes: nothing is read past the end, FindPhysChunk points at the data of a pHYs
// chunk, and the stamp changes only the 13 bytes of that chunk's data and check value, or
// inserts a whole pHYs chunk after IHDR. On a valid PNG (libpng reads it without error or
// warning, and nothing follows IEND): libpng reads the stamped picture with the same pixels
// and the stamped resolution, and a second stamp replaces the first. A small picture drawn
// from the bytes is also encoded with EncodePng, which must give such a valid PNG.
#include "FuzzCheck.h"
#include "Png.h"

#include <png.h>
#include <zlib.h>

#include <QByteArrayView>
#include <QImage>

#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype HeaderEnd = 33; // signature and IHDR chunk
// Larger pictures are left out of the libpng checks to keep each run short.
constexpr png_uint_32 MaxSide = 1024;

struct TDecoded
{
    bool Valid = false;
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    int BitDepth = 0;
    int ColorType = 0;
    int Interlace = 0;
    bool HasPhys = false;
    png_uint_32 ResX = 0;
    png_uint_32 ResY = 0;
    int Unit = 0;
    uLong PixelsCrc = 0;
};

struct TSource
{
    const unsigned char *Data = nullptr;
    size_t Size = 0;
    size_t Position = 0;
    bool Warned = false;
};

void readBytes(png_structp png, png_bytep out, size_t length)
{
    auto *source = static_cast<TSource *>(png_get_io_ptr(png));
    if (length > source->Size - source->Position)
        png_error(png, "read past the end");
    std::memcpy(out, source->Data + source->Position, length);
    source->Position += length;
}

void onWarning(png_structp png, png_const_charp)
{
    static_cast<TSource *>(png_get_error_ptr(png))->Warned = true;
}

void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// The libpng calls; every object they fill belongs to the caller, so a jump out leaks nothing.
bool decodeAll(png_structp png, png_infop info, TDecoded &out, std::vector<unsigned char> &row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, MaxSide, MaxSide);
    png_set_chunk_malloc_max(png, 1 << 20);
    png_read_info(png, info);
    png_get_IHDR(png, info, &out.Width, &out.Height, &out.BitDepth, &out.ColorType, &out.Interlace,
                 nullptr, nullptr);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    row.resize(png_get_rowbytes(png, info));
    out.PixelsCrc = crc32(0L, Z_NULL, 0);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < out.Height; ++y) {
            png_read_row(png, row.data(), nullptr);
            out.PixelsCrc = crc32(out.PixelsCrc, row.data(), uInt(row.size()));
        }
    }
    png_read_end(png, info);
    out.HasPhys = png_get_pHYs(png, info, &out.ResX, &out.ResY, &out.Unit) != 0;
    return true;
}

uint32_t readBig32(const char *p)
{
    const auto *b = reinterpret_cast<const unsigned char *>(p);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

// True when every chunk up to IEND lies whole inside the bytes. libpng allocates a text
// chunk's claimed length before reading it: bytes that cannot be a PNG are kept from it.
bool chunksFit(QByteArrayView bytes)
{
    qsizetype position = 8;
    while (position + 12 <= bytes.size()) {
        const qsizetype length = readBig32(bytes.data() + position);
        if (length > bytes.size() - position - 12)
            return false;
        if (std::memcmp(bytes.data() + position + 4, "IEND", 4) == 0)
            return true;
        position += 12 + length;
    }
    return false;
}

// libpng's reading, strict: any error or warning, or bytes after IEND, make it invalid.
TDecoded decode(QByteArrayView bytes)
{
    TDecoded out;
    if (!chunksFit(bytes))
        return out;
    TSource source{reinterpret_cast<const unsigned char *>(bytes.data()), size_t(bytes.size())};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, onError, onWarning);
    if (!png)
        return out;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return out;
    }
    png_set_read_fn(png, &source, readBytes);
    std::vector<unsigned char> row;
    const bool read = decodeAll(png, info, out, row);
    png_destroy_read_struct(&png, &info, nullptr);
    out.Valid = read && !source.Warned && source.Position == source.Size;
    return out;
}

bool hasPngHeader(QByteArrayView bytes)
{
    static const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    return bytes.size() >= HeaderEnd && std::memcmp(bytes.data(), signature, 8) == 0 &&
           std::memcmp(bytes.data() + 12, "IHDR", 4) == 0;
}

uint32_t perMetre(int dpi)
{
    return uint32_t(std::llround(dpi * 10000.0 / 254.0));
}

// The pHYs data and check value written by a stamp at `dpi`: 13 bytes from `data`.
void checkStampAt(const char *data, int dpi, const QString &context)
{
    FUZZ_CHECK(std::memcmp(data - 4, "pHYs", 4) == 0, context);
    FUZZ_CHECK(readBig32(data) == perMetre(dpi), context);
    FUZZ_CHECK(readBig32(data + 4) == perMetre(dpi), context);
    FUZZ_CHECK(data[8] == 1, context);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(data - 4), 13);
    FUZZ_CHECK(readBig32(data + 9) == uint32_t(crc), context);
}

// What a stamp may do to any bytes: change the pHYs data found, or insert a chunk after IHDR.
void checkStampOnBytes(QByteArrayView input, std::optional<qsizetype> found, const QByteArray &png,
                       int dpi)
{
    const QString context = u"%1 bytes, %2 after the stamp, pHYs data at %3"_s.arg(input.size())
                                .arg(png.size())
                                .arg(found ? *found : -1);
    if (png.size() == input.size() + 21) {
        FUZZ_CHECK(!found && hasPngHeader(input), context);
        FUZZ_CHECK(QByteArrayView(png).first(HeaderEnd) == input.first(HeaderEnd), context);
        FUZZ_CHECK(QByteArrayView(png).sliced(HeaderEnd + 21) == input.sliced(HeaderEnd), context);
        FUZZ_CHECK(readBig32(png.constData() + HeaderEnd) == 9, context);
        checkStampAt(png.constData() + HeaderEnd + 8, dpi, context);
        return;
    }
    FUZZ_CHECK(png.size() == input.size(), context);
    const bool stamped = found && hasPngHeader(input) && *found + 13 <= input.size();
    for (qsizetype i = 0; i < input.size(); ++i) {
        const bool inStamp = stamped && i >= *found && i < *found + 13;
        FUZZ_CHECK(inStamp || png[i] == input[i], context + u", byte %1 changed"_s.arg(i));
    }
    if (stamped)
        checkStampAt(png.constData() + *found, dpi, context);
}

// The pixel data the PDF takes from an 8-bit RGB picture inflates to its scanlines.
void checkPdfData(QByteArrayView png, const TDecoded &decoded, const QString &context)
{
    const std::optional<TPngData> data = ReadPngData(png);
    const bool qualifies = decoded.BitDepth == 8 && decoded.ColorType == PNG_COLOR_TYPE_RGB &&
                           decoded.Interlace == PNG_INTERLACE_NONE;
    FUZZ_CHECK(data.has_value() == qualifies, context);
    if (!data)
        return;
    FUZZ_CHECK(png_uint_32(data->Width) == decoded.Width &&
                   png_uint_32(data->Height) == decoded.Height,
               context);
    const uLong expected = uLong(decoded.Height) * (1 + 3 * uLong(decoded.Width));
    std::vector<Bytef> pixels(expected + 1);
    uLongf length = uLongf(pixels.size());
    const int status = uncompress(pixels.data(), &length,
                                  reinterpret_cast<const Bytef *>(data->Deflated.constData()),
                                  uLong(data->Deflated.size()));
    FUZZ_CHECK(status == Z_OK && length == expected,
               context + u", inflate %1, %2 bytes"_s.arg(status).arg(length));
}

void checkValidPicture(QByteArrayView input, const TDecoded &original, QByteArray stamped)
{
    const QString context =
        u"valid %1 x %2 picture, type %3, depth %4, interlace %5"_s.arg(original.Width)
            .arg(original.Height)
            .arg(original.ColorType)
            .arg(original.BitDepth)
            .arg(original.Interlace);
    const TDecoded first = decode(stamped);
    FUZZ_CHECK(first.Valid, context + u": stamp at 180 dpi not read"_s);
    FUZZ_CHECK(first.PixelsCrc == original.PixelsCrc, context);
    FUZZ_CHECK(first.HasPhys && first.ResX == perMetre(180) && first.ResY == perMetre(180) &&
                   first.Unit == PNG_RESOLUTION_METER,
               context + u": resolution %1 x %2"_s.arg(first.ResX).arg(first.ResY));
    checkPdfData(input, original, context);
    checkPdfData(stamped, first, context);

    // A second stamp, at a resolution drawn from the bytes, replaces the first in place.
    uint32_t sum = 0;
    for (const char c : input)
        sum += uint8_t(c);
    const int dpi = 1 + int(sum % 65535);
    QByteArray again = stamped;
    SetPngResolution(again, dpi);
    FUZZ_CHECK(again.size() == stamped.size(), context);
    const TDecoded second = decode(again);
    FUZZ_CHECK(second.Valid && second.PixelsCrc == original.PixelsCrc, context);
    FUZZ_CHECK(second.HasPhys && second.ResX == perMetre(dpi) && second.ResY == perMetre(dpi),
               context + u": %1 dpi read as %2"_s.arg(dpi).arg(second.ResX));
}

// A small picture drawn from the bytes, encoded by EncodePng: a valid 8-bit RGB PNG with the
// same pixels, which the stamp keeps valid.
void checkEncodedPicture(QByteArrayView input)
{
    if (input.size() < 2)
        return;
    const int width = 1 + uint8_t(input[0]) % 16;
    const int height = 1 + uint8_t(input[1]) % 16;
    QImage picture(width, height, QImage::Format_RGB32);
    uLong crc = crc32(0L, Z_NULL, 0);
    qsizetype next = 2;
    auto byte = [&] { return next < input.size() ? uint8_t(input[next++]) : uint8_t(0); };
    for (int y = 0; y < height; ++y) {
        std::vector<Bytef> row;
        for (int x = 0; x < width; ++x) {
            const uint8_t red = byte();
            const uint8_t green = byte();
            const uint8_t blue = byte();
            picture.setPixel(x, y, qRgb(red, green, blue));
            row.insert(row.end(), {red, green, blue});
        }
        crc = crc32(crc, row.data(), uInt(row.size()));
    }
    const QByteArray png = EncodePng(picture);
    const QString context = u"EncodePng of %1 x %2"_s.arg(width).arg(height);
    const TDecoded decoded = decode(png);
    FUZZ_CHECK(decoded.Valid && decoded.Width == png_uint_32(width) &&
                   decoded.Height == png_uint_32(height) && decoded.BitDepth == 8 &&
                   decoded.ColorType == PNG_COLOR_TYPE_RGB,
               context);
    FUZZ_CHECK(decoded.PixelsCrc == crc, context);
    QByteArray stamped = png;
    SetPngResolution(stamped, 180);
    checkStampOnBytes(png, FindPhysChunk(png), stamped, 180);
    checkValidPicture(png, decoded, stamped);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A buffer of the exact size, so that a read past the end is caught by the sanitizer.
    const auto exact = std::make_unique<char[]>(size);
    std::memcpy(exact.get(), data, size);
    const QByteArrayView input(exact.get(), qsizetype(size));

    const std::optional<qsizetype> found = FindPhysChunk(input);
    if (found) {
        FUZZ_CHECK(*found >= HeaderEnd + 8 && *found <= input.size() - 1,
                   u"pHYs data at %1 of %2 bytes"_s.arg(*found).arg(size));
        FUZZ_CHECK(std::memcmp(exact.get() + *found - 4, "pHYs", 4) == 0, QString());
    }
    if (const std::optional<TPngData> pdf = ReadPngData(input)) {
        FUZZ_CHECK(hasPngHeader(input) && pdf->Width > 0 && pdf->Height > 0, QString());
        FUZZ_CHECK(pdf->Deflated.size() <= input.size(), QString());
    }

    // The stamp reads the caller's bytes in place until it writes (the array then copies
    // them), so the exact buffer guards its reads too.
    QByteArray stamped = QByteArray::fromRawData(exact.get(), qsizetype(size));
    SetPngResolution(stamped, 180);
    stamped.detach();
    checkStampOnBytes(input, found, stamped, 180);

    const TDecoded original = decode(input);
    if (original.Valid)
        checkValidPicture(input, original, stamped);
    checkEncodedPicture(input);
    return 0;
}
