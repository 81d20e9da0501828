// What the fuzz targets share: a failed property stops the run with a message.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

// A property that does not hold is a finding: libFuzzer saves the input on the abort.
// `details` (a QString) is only built when the property fails.
#define FUZZ_CHECK(condition, details)                                                             \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "Property failed: %s (%s:%d)\n  %s\n", #condition, __FILE__,      \
                         __LINE__, QString(details).toUtf8().constData());                         \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// A text shown with its blanks, separators and controls visible: "1%E2%80%AF234,5".
inline QString Shown(const QString &text)
{
    return u'"' + QString::fromLatin1(text.toUtf8().toPercentEncoding(",-+.:;")) + u'"';
}

// Every digit of an extended number, enough to tell two neighbours apart.
inline QString Exact(long double x)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.21Lg", x);
    return QString::fromLatin1(buffer);
}
