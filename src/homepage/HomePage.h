// The page of the embedded browser: the local home page only, in a profile that keeps nothing.
#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// An off-the-record profile: no cache, cookies or storage on disk, and no downloads. It must
// outlive the pages that use it.
QWebEngineProfile *MakeHomeProfile(QObject *parent);

class THomePage : public QWebEnginePage
{
    Q_OBJECT

public:
    THomePage(QWebEngineProfile *profile, QObject *parent);

protected:
    // Local files open here; any other address opens in the user's own browser.
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    // Pop-up windows are refused.
    QWebEnginePage *createWindow(WebWindowType type) override;
};
