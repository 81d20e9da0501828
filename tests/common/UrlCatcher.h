// Catches the web addresses the program hands to the desktop, instead of opening them.
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Listed in the sources of each test that uses it, for its slot to be generated. Install it with
// QDesktopServices::setUrlHandler(scheme, &catcher, "open").
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};
