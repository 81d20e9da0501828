// Fuzz target: percent-encoding of texts for web addresses (UrlEncode).
//
// Input: the text as UTF-16, little-endian, two bytes per code unit (a last odd byte is
// ignored), so that lone surrogates and every other code unit can occur.
#include "FuzzCheck.h"
#include "UrlEncode.h"

#include <QByteArray>
#include <QStringDecoder>

#include <cstdint>
#include <cstring>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// The 71 characters written as they are.
bool isKept(char16_t c)
{
    static const QString kept =
        u"*-./0123456789:?@ABCDEFGHIJKLMNOPQRSTUVWXYZ\\_abcdefghijklmnopqrstuvwxyz"_s;
    return kept.contains(QChar(c));
}

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1; // escapes use capital letters only
}

// UTF-8 read as it is: a leading U+FEFF is a character of the text, not a byte-order mark.
QString fromUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// Percent-decoding to bytes, read as UTF-8. False on a malformed escape.
bool decode(const QString &encoded, QString &decoded)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QChar c = encoded[i];
        if (c != u'%') {
            bytes += char(c.unicode());
            continue;
        }
        if (i + 2 >= encoded.size())
            return false;
        const int high = hexValue(encoded[i + 1]);
        const int low = hexValue(encoded[i + 2]);
        if (high < 0 || low < 0)
            return false;
        bytes += char(high * 16 + low);
        i += 2;
    }
    decoded = fromUtf8(bytes);
    return true;
}

bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (text[i].isSurrogate())
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t units = size / 2;
    // A buffer of the exact size, so that a read past the end is caught by the sanitizer.
    const auto exact = std::make_unique<char16_t[]>(units);
    for (size_t i = 0; i < units; ++i)
        exact[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    const QStringView text(exact.get(), qsizetype(units));
    const QString input = text.toString();

    const QString encoded = UrlEncode(text);
    const QString context = Shown(input) + u" gives "_s + Shown(encoded);
    const bool valid = !hasLoneSurrogate(text);

    // Only kept characters and %XX escapes come out. In a valid text an escape never stands
    // for a kept character: a kept character of the input is never escaped. A lone surrogate
    // has no UTF-8 form; it is escaped as the "?" that Qt's UTF-8 conversion gives it, which
    // keeps it from acting as the start of a query.
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QChar c = encoded[i];
        if (c != u'%') {
            FUZZ_CHECK(isKept(c.unicode()), context);
            continue;
        }
        FUZZ_CHECK(i + 2 < encoded.size(), context);
        const int high = hexValue(encoded[i + 1]);
        const int low = hexValue(encoded[i + 2]);
        FUZZ_CHECK(high >= 0 && low >= 0, context);
        FUZZ_CHECK(!valid || !isKept(char16_t(high * 16 + low)), context);
        i += 2;
    }

    // Decoding gives the text back; a lone surrogate comes back as the UTF-8 round trip of
    // the input gives it, which for a valid text is the text itself.
    QString decoded;
    FUZZ_CHECK(decode(encoded, decoded), context);
    const QString expected = fromUtf8(input.toUtf8());
    FUZZ_CHECK(decoded == expected, context + u" decodes as "_s + Shown(decoded));
    if (valid)
        FUZZ_CHECK(decoded == input, context + u" decodes as "_s + Shown(decoded));
    return 0;
}
