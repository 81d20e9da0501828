// The home page's browser: a web view on the local page, in a window of its own inside the main
// window, so that the main window keeps drawing without OpenGL.
#include "HomeBrowser.h"
#include "HomePage.h"

#include <QAccessible>
#include <QHash>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QQmlContext>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

// Qt's drawing context shared by every OpenGL window of the program. Qt exports it for the
// browser engine, which draws in one context and shows its pictures in another.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Qt's web view module lists, as it registers its types, three of them it cannot offer to
// scripts; the page uses none of them, and the user's terminal need not hear of it.
void QuietRegistration(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg &&
        text.contains(u"is neither a QObject, nor default- and copy-constructible"_s))
        return;
    g_previousHandler(type, context, text);
}

// The browser engine shares its pictures with the view's window through the program-wide
// context; it is made here, when the browser first starts, not at the program's start.
void EnsureSharedContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto *context = new QOpenGLContext(qApp);
    context->setFormat(QSurfaceFormat::defaultFormat());
    if (context->create())
        qt_gl_set_global_share_context(context);
    else
        delete context; // no OpenGL here: the engine draws without it
}

class TQuickHomeBrowser : public THomeBrowser
{
public:
    explicit TQuickHomeBrowser(QWidget *parent)
        : THomeBrowser(parent)
    {
        m_policy = new THomePolicy(this);
        connect(m_policy, &THomePolicy::pageLoaded, this, &THomeBrowser::loadFinished);
        connect(m_policy, &THomePolicy::drawingFailed, this, &THomeBrowser::stopped);
        connect(m_policy, &THomePolicy::focusLeaving, this,
                [this] { emit focusLeft(m_lastTabForward); });
        connect(m_policy, &THomePolicy::scriptAnswered, this,
                [this](int ticket, const QVariant &result) {
                    if (auto done = m_scripts.take(ticket))
                        done(result);
                });
        m_view = new QQuickView;
        m_view->setColor(QColor(0x2B, 0x2B, 0x2B));
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_view->rootContext()->setContextProperty(u"homePolicy"_s, m_policy);
        g_previousHandler = qInstallMessageHandler(QuietRegistration);
        m_view->setSource(QUrl(u"qrc:/vemora/homepage/HomePage.qml"_s));
        qInstallMessageHandler(g_previousHandler);
        // The container owns the view's window from here on.
        QWidget *container = QWidget::createWindowContainer(m_view, this);
        container->setObjectName(u"WebBrowser1Container"_s);
        container->setFocusPolicy(Qt::StrongFocus);
        container->installEventFilter(this);
        m_view->installEventFilter(this);
        m_container = container;
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(container);
    }

    bool Ready() const { return m_view->status() == QQuickView::Ready && m_view->rootObject(); }
    QList<QQmlError> Errors() const { return m_view->errors(); }

    void Load(const QUrl &url) override { m_view->rootObject()->setProperty("url", url); }
    QUrl Url() const override { return m_view->rootObject()->property("url").toUrl(); }
    QString Title() const override { return m_view->rootObject()->property("title").toString(); }
    QWindow *Surface() const override { return m_view; }
    QObject *View() const override { return m_view->rootObject(); }

    void RunScript(const QString &script, std::function<void(const QVariant &)> done) override
    {
        const int ticket = ++m_lastTicket;
        m_scripts.insert(ticket, std::move(done));
        QMetaObject::invokeMethod(m_view->rootObject(), "runScript",
                                  Q_ARG(QVariant, QVariant(script)),
                                  Q_ARG(QVariant, QVariant(ticket)));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view && event->type() == QEvent::KeyPress) {
            // The page says when the keyboard goes past its ends, not in which direction.
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Backtab)
                m_lastTabForward = false;
            else if (key->key() == Qt::Key_Tab)
                m_lastTabForward = !(key->modifiers() & Qt::ShiftModifier);
        } else if (watched == m_container && event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                QMetaObject::invokeMethod(m_view->rootObject(), "enterPage",
                                          Q_ARG(QVariant, reason == Qt::TabFocusReason));
        }
        return false;
    }

private:
    QWidget *m_container = nullptr;
    bool m_lastTabForward = true;
    THomePolicy *m_policy = nullptr;
    QQuickView *m_view = nullptr;
    QHash<int, std::function<void(const QVariant &)>> m_scripts;
    int m_lastTicket = 0;
};

// The engine builds what a screen reader reads of the page only when asked to, before it starts;
// without a screen reader it is left out, as it costs time at start.
void ReadableWithScreenReader()
{
    if (!QAccessible::isActive() && !qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        return;
    const QByteArray flag = "--force-renderer-accessibility";
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.split(' ').contains(flag))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + ' ' + flag).trimmed());
}

} // namespace

extern "C" Q_DECL_EXPORT THomeBrowser *VemoraCreateHomeBrowser(QWidget *parent)
{
    ReadableWithScreenReader();
    // The engine's description of its drawing set-up is for those who ask (QT_LOGGING_RULES).
    QLoggingCategory::setFilterRules(u"qt.webenginecontext.info=false"_s);
    EnsureSharedContext();
    auto *browser = new TQuickHomeBrowser(parent);
    if (!browser->Ready()) {
        // The browser's script modules are missing or broken: no home page.
        for (const QQmlError &error : browser->Errors())
            qWarning("Page d'accueil : %s", qUtf8Printable(error.toString()));
        delete browser;
        return nullptr;
    }
    return browser;
}
