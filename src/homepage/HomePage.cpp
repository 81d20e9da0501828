// The page of the embedded browser: the local home page only, in a profile that keeps nothing.
#include "HomePage.h"

#include "ShellHelpers.h"

#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

QWebEngineProfile *MakeHomeProfile(QObject *parent)
{
    auto *profile = new QWebEngineProfile(parent);
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest *download) { download->cancel(); });
    return profile;
}

THomePage::THomePage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
}

bool THomePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (url.isLocalFile() || url.scheme() == u"about"_s || url.scheme() == u"data"_s)
        return true;
    if (isMainFrame && type == NavigationTypeLinkClicked)
        OpenAddress(qobject_cast<QWidget *>(parent()), url.toString(), u" "_s);
    return false;
}

QWebEnginePage *THomePage::createWindow(WebWindowType)
{
    return nullptr;
}
