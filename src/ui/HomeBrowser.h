// The home page's browser, as the main window sees it; the browser engine itself lives in a
// module of its own, loaded once the window is on screen.
#pragma once

#include <QUrl>
#include <QVariant>
#include <QWidget>

#include <functional>

class QWindow;

class THomeBrowser : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
    virtual void Load(const QUrl &url) = 0;
    // The page shown and its title.
    virtual QUrl Url() const = 0;
    virtual QString Title() const = 0;
    // Runs a script on the page shown; `done` receives its result.
    virtual void RunScript(const QString &script, std::function<void(const QVariant &)> done) = 0;
    // The window the page is drawn in, which receives the pointer and the keys.
    virtual QWindow *Surface() const = 0;
    // The web view itself (its profile, settings and signals).
    virtual QObject *View() const = 0;

signals:
    void loadFinished(bool ok);
    // The engine's process that draws the page ended before its time.
    void stopped();
    // Tab (forward) or Shift+Tab went past the page's last or first link: the keyboard is
    // the window's again.
    void focusLeft(bool forward);
};

// The module's one entry point: a browser on `parent`, or nothing when the browser engine
// cannot be started.
using TCreateHomeBrowser = THomeBrowser *(*)(QWidget *parent);
inline constexpr char CreateHomeBrowserName[] = "VemoraCreateHomeBrowser";

// Loads the module from the program's folder (or where the build put it) and makes the
// browser; nothing when the module cannot be loaded.
THomeBrowser *CreateHomeBrowser(QWidget *parent);
