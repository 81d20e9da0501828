// The home page: the local page only, in a profile that keeps nothing on disk.
import QtQuick
import QtWebEngine

WebEngineView {
    id: view
    objectName: "WebBrowser1"
    backgroundColor: "#2B2B2B"
    // Tab moves through the page's links; the view itself is not a stop of its own.
    activeFocusOnTab: false
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

    // The page passes the keyboard on when Tab goes past its last link, or Shift+Tab past its
    // first: this stop, the only other one in the view, hands it to the window's links.
    Item {
        id: pastThePage
        activeFocusOnTab: true
        onActiveFocusChanged: {
            if (activeFocus) {
                view.forceActiveFocus();
                homePolicy.pageLeft();
            }
        }
    }

    // The keyboard comes back from the window's links: to the first link of the page, or to
    // its last one when it comes back with Shift+Tab.
    function enterPage(forward) {
        // The page's own drawing item, the view's other child, takes the keyboard.
        for (var i = 0; i < view.children.length; ++i) {
            if (view.children[i] !== pastThePage)
                view.children[i].forceActiveFocus(forward ? Qt.TabFocusReason
                                                          : Qt.BacktabFocusReason);
        }
        view.runJavaScript("(function (forward) {"
            + " var stops = document.querySelectorAll('a[href], button, input, select, textarea,"
            + " [tabindex]:not([tabindex=\"-1\"])');"
            + " var stop = forward ? stops[0] : stops[stops.length - 1];"
            + " if (stop) stop.focus(); })(" + (forward ? "true" : "false") + ")");
    }

    // Runs a script on the page and hands its result back under `ticket`.
    function runScript(script, ticket) {
        view.runJavaScript(script, function (result) { homePolicy.scriptDone(ticket, result); });
    }
}
