// The home page's browser: a web view on the local page, in a profile that keeps nothing.
#include "HomeBrowser.h"
#include "HomePage.h"

#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace {

class TWebHomeBrowser : public THomeBrowser
{
public:
    explicit TWebHomeBrowser(QWidget *parent)
        : THomeBrowser(parent)
    {
        m_profile = MakeHomeProfile(nullptr);
        m_view = new QWebEngineView(this);
        m_view->setObjectName(u"WebBrowser1"_s);
        m_view->setAccessibleName(u"Page d'accueil"_s);
        m_view->setPage(new THomePage(m_profile, m_view));
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_view);
        connect(m_view, &QWebEngineView::loadFinished, this, &THomeBrowser::loadFinished);
    }

    ~TWebHomeBrowser() override
    {
        // The pages go before the profile they use.
        delete m_view;
        delete m_profile;
    }

    void Load(const QUrl &url) override { m_view->load(url); }

private:
    QWebEngineProfile *m_profile = nullptr;
    QWebEngineView *m_view = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT THomeBrowser *VemoraCreateHomeBrowser(QWidget *parent)
{
    return new TWebHomeBrowser(parent);
}
