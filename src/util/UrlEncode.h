// Percent-encoding of texts for web addresses.
#pragma once

#include <QString>
#include <QStringView>

// Keeps the 71 characters * - . / 0-9 : ? @ A-Z \ _ a-z and writes every other character as
// the %XX escapes of its UTF-8 bytes (a blank gives %20, é gives %C3%A9).
QString UrlEncode(QStringView text);
