// The home page: the local page only, in a profile that keeps nothing on disk.
import QtQuick
import QtWebEngine

WebEngineView {
    id: view
    objectName: "WebBrowser1"
    backgroundColor: "#2B2B2B"
    settings.javascriptCanOpenWindows: false
    settings.localContentCanAccessRemoteUrls: false
    settings.pluginsEnabled: false

    profile: WebEngineProfile {
        offTheRecord: true
        httpCacheType: WebEngineProfile.MemoryHttpCache
        persistentCookiesPolicy: WebEngineProfile.NoPersistentCookies
        spellCheckEnabled: false
        // Nothing is downloaded from the home page.
        onDownloadRequested: function (download) { download.cancel(); }
    }

    // Local files open here; any other address opens in the user's own browser.
    onNavigationRequested: function (request) {
        if (!homePolicy.acceptNavigation(request.url, request.navigationType, request.isMainFrame))
            request.action = WebEngineNavigationRequest.IgnoreRequest;
    }

    // Pop-up windows are refused: the request is left unanswered.
    onNewWindowRequested: function (request) { }

    onRenderProcessTerminated: function (status, exitCode) {
        homePolicy.drawingStopped(status === WebEngineView.NormalTerminationStatus);
    }

    onLoadingChanged: function (info) {
        if (info.status === WebEngineView.LoadSucceededStatus)
            homePolicy.loadFinished(true);
        else if (info.status === WebEngineView.LoadFailedStatus)
            homePolicy.loadFinished(false);
    }

    // Runs a script on the page and hands its result back under `ticket`.
    function runScript(script, ticket) {
        view.runJavaScript(script, function (result) { homePolicy.scriptDone(ticket, result); });
    }
}
