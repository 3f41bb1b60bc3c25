#include "webview/webbrowser.h"

#include "webview/webpolicy.h"
#include "webview/webprofile.h"

#include <QResizeEvent>
#include <QWebEngineView>

WebBrowser::WebBrowser(const QString &startAddress, QWidget *parent)
    : QWidget(parent), m_view(new QWebEngineView(this))
{
    m_view->setPage(new SafePage(WebProfile::shared(), m_view));
    // Nothing dropped onto the view is opened.
    m_view->setAcceptDrops(false);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_view);
    connect(m_view, &QWebEngineView::loadFinished, this, &WebBrowser::loadFinished);
    Navigate(startAddress);
}

WebBrowser::~WebBrowser()
{
    // The page must go before the profile; deleting the view here makes the
    // order explicit whatever happens to the window later.
    delete m_view;
}

void WebBrowser::Navigate(const QString &address)
{
    emit navigationRequested(address);
    // Characters a URL cannot hold (spaces, line breaks) are the browser's to
    // encode; the program hands over the address as it was composed.
    m_view->load(QUrl(address, QUrl::TolerantMode));
}

QUrl WebBrowser::currentAddress() const
{
    const QUrl shown = m_view->url();
    return shown.isEmpty() ? m_view->page()->requestedUrl() : shown;
}

void WebBrowser::resizeEvent(QResizeEvent *event)
{
    m_view->setGeometry(QRect(QPoint(0, 0), event->size()));
}
