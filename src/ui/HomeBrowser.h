// The home page's browser, as the main window sees it; the browser engine itself lives in a
// module of its own, loaded once the window is on screen.
#pragma once

#include <QUrl>
#include <QWidget>

class THomeBrowser : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
    virtual void Load(const QUrl &url) = 0;

signals:
    void loadFinished(bool ok);
};

// The module's one entry point: a browser on `parent`.
using TCreateHomeBrowser = THomeBrowser *(*)(QWidget *parent);
inline constexpr char CreateHomeBrowserName[] = "VemoraCreateHomeBrowser";

// Loads the module from the program's folder (or where the build put it) and makes the
// browser; nothing when the module cannot be loaded.
THomeBrowser *CreateHomeBrowser(QWidget *parent);
