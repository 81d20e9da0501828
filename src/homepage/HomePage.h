// The rules of the embedded browser: the local home page only, addresses elsewhere handed to
// the user's own browser.
#pragma once

#include <QObject>
#include <QUrl>
#include <QVariant>

class QWidget;

// Whether the browser may show `url`: local files and blank or inline pages only. A link to
// anything else, clicked on the page itself, is handed to the user's own browser.
bool AcceptHomeNavigation(const QUrl &url, bool linkClicked, bool isMainFrame, QWidget *owner);

// What the home page's script calls back into.
class THomePolicy : public QObject
{
    Q_OBJECT

public:
    explicit THomePolicy(QWidget *owner);

    Q_INVOKABLE bool acceptNavigation(const QUrl &url, int navigationType, bool isMainFrame);
    Q_INVOKABLE void loadFinished(bool ok);
    Q_INVOKABLE void scriptDone(int ticket, const QVariant &result);
    // The page's drawing process ended: `normal` when it was asked to.
    Q_INVOKABLE void drawingStopped(bool normal);
    // The keyboard went past the page's last or first link.
    Q_INVOKABLE void pageLeft();

signals:
    void pageLoaded(bool ok);
    void drawingFailed();
    void scriptAnswered(int ticket, const QVariant &result);
    void focusLeaving();

private:
    QWidget *m_owner;
};
