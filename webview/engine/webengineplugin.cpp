// The engine module: Qt WebEngine behind the program's web views. The
// program loads it once its first window with a web view is on screen.
#include "webview/engine.h"
#include "webview/engine/answerframe.h"
#include "webview/engine/webpolicy.h"
#include "webview/engine/webprofile.h"

#include <QObject>
#include <QWebEngineView>

namespace {

class WebEngineView : public EngineView
{
public:
    WebEngineView(QWidget *parent, EngineViewEvents events) : m_view(new QWebEngineView(parent))
    {
        auto *page = new SafePage(WebProfile::shared(), m_view);
        m_page = page;
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
    void load(const QUrl &address) override
    {
        m_answer.clear();
        m_view->load(address);
    }

    // The frame page stands at the answer's own address, so that the page
    // and its inner frame are of one site and the view says where it is.
    // An address the web views may not go to is refused as any other.
    void showAnswer(const QUrl &address) override
    {
        if (WebPolicy::allowsNavigation(address, true)) {
            m_answer = address;
            m_page->showFrame(AnswerFrame::html(address), address);
        } else {
            load(address);
        }
    }

    // The engine names the frame page by its base address, but after some
    // earlier pages (an error page, say) by the data address it came in:
    // the only data document a view's main frame may show is the frame page.
    QUrl address() const override
    {
        const QUrl shown = m_view->url();
        if (shown.scheme() == QLatin1String("data") && !m_answer.isEmpty())
            return m_answer;
        return shown.isEmpty() ? m_view->page()->requestedUrl() : shown;
    }

private:
    QWebEngineView *m_view;
    SafePage *m_page = nullptr;
    QUrl m_answer; // the status address the frame page shows
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
