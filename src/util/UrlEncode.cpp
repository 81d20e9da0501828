// Percent-encoding of texts for web addresses.
#include "UrlEncode.h"

#include <QByteArray>

namespace {

bool isKept(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'*' || c == u'-' || c == u'.' || c == u'/' || c == u':' || c == u'?' ||
           c == u'@' || c == u'\\' || c == u'_';
}

} // namespace

QString UrlEncode(QStringView text)
{
    static constexpr char16_t Hex[] = u"0123456789ABCDEF";
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (isKept(c)) {
            out += QChar(c);
            continue;
        }
        // A character outside the basic plane is encoded with its low surrogate together.
        qsizetype length = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            length = 2;
        const QByteArray bytes = text.sliced(i, length).toUtf8();
        i += length - 1;
        for (const char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            out += u'%';
            out += QChar(Hex[b >> 4]);
            out += QChar(Hex[b & 15]);
        }
    }
    return out;
}
