// The engine module: Qt WebEngine behind the program's web views. The
// program loads it once its first window with a web view is on screen.
#include "webview/engine.h"
#include "webview/engine/webpolicy.h"
#include "webview/engine/webprofile.h"

#include <QObject>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {

class WebEngineView : public EngineView
{
public:
    WebEngineView(QWidget *parent, EngineViewEvents events) : m_view(new QWebEngineView(parent))
    {
        auto *page = new SafePage(WebProfile::shared(), m_view);
        page->scripts().insert(WebProfile::barePictureStyle());
        m_view->setPage(page);
        // Nothing dropped onto the view is opened.
        m_view->setAcceptDrops(false);
        QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, events.loadFinished);
        QObject::connect(page, &QWebEnginePage::renderProcessTerminated, m_view,
                         [lost = events.rendererLost](QWebEnginePage::RenderProcessTerminationStatus status) {
                             if (status != QWebEnginePage::NormalTerminationStatus)
                                 lost();
                         });
    }

    // The page goes with its view, before the profile.
    ~WebEngineView() override { delete m_view; }

    QWidget *widget() const override { return m_view; }
    void load(const QUrl &address) override { m_view->load(address); }

    QUrl address() const override
    {
        const QUrl shown = m_view->url();
        return shown.isEmpty() ? m_view->page()->requestedUrl() : shown;
    }

private:
    QWebEngineView *m_view;
};

class WebEnginePlugin : public QObject, public Engine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID Engine_iid)
    Q_INTERFACES(Engine)

public:
    WebEnginePlugin() { WebProfile::prepareEngine(); }

    std::unique_ptr<EngineView> createView(QWidget *parent, EngineViewEvents events) override
    {
        return std::make_unique<WebEngineView>(parent, std::move(events));
    }
};

} // namespace

#include "webengineplugin.moc"
