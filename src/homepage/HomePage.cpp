// The rules of the embedded browser.
#include "HomePage.h"

#include "ShellHelpers.h"

#include <QWebEngineNavigationRequest>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

bool AcceptHomeNavigation(const QUrl &url, bool linkClicked, bool isMainFrame, QWidget *owner)
{
    if (url.isLocalFile() || url.scheme() == u"about"_s || url.scheme() == u"data"_s)
        return true;
    if (isMainFrame && linkClicked)
        OpenAddress(owner, url.toString(), u" "_s);
    return false;
}

THomePolicy::THomePolicy(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
}

bool THomePolicy::acceptNavigation(const QUrl &url, int navigationType, bool isMainFrame)
{
    return AcceptHomeNavigation(
        url, navigationType == QWebEngineNavigationRequest::LinkClickedNavigation, isMainFrame,
        m_owner);
}

void THomePolicy::loadFinished(bool ok)
{
    emit pageLoaded(ok);
}

void THomePolicy::scriptDone(int ticket, const QVariant &result)
{
    emit scriptAnswered(ticket, result);
}

void THomePolicy::pageLeft()
{
    emit focusLeaving();
}

void THomePolicy::drawingStopped(bool normal)
{
    if (!normal)
        emit drawingFailed();
}
