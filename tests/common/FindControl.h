// The control of a window by its object name; the test program stops when there is none, as
// every later step would fail on it.
#pragma once

#include <QObject>
#include <QString>

template<class T> T *FindControl(const QObject *owner, const QString &name)
{
    T *control = owner->findChild<T *>(name);
    if (!control)
        qFatal("no control %s", qPrintable(name));
    return control;
}
