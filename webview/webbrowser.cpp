#include "webview/webbrowser.h"

#include "webview/webpolicy.h"
#include "webview/webprofile.h"

#include <QResizeEvent>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

WebBrowser::WebBrowser(const QString &startAddress, QWidget *parent)
    : QWidget(parent), m_view(new QWebEngineView(this)), m_startAddress(startAddress)
{
    auto *page = new SafePage(WebProfile::shared(), m_view);
    page->scripts().insert(WebProfile::barePictureStyle());
    m_view->setPage(page);
    connect(page, &QWebEnginePage::renderProcessTerminated, this, &WebBrowser::recoverFromLostRenderer);
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
    m_pageLost = false;
    emit navigationRequested(address);
    // Characters a URL cannot hold (spaces, line breaks) are the browser's to
    // encode; the program hands over the address as it was composed.
    m_view->load(QUrl(address, QUrl::TolerantMode));
}

void WebBrowser::recoverFromLostRenderer(QWebEnginePage::RenderProcessTerminationStatus status)
{
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    // The page the view showed is gone with its renderer. The view shows its
    // start page again, as when its window was created, in a new renderer;
    // unless the program has sent it somewhere else meanwhile. Queued: the
    // engine is still tearing the old renderer down while it tells us.
    m_pageLost = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_pageLost)
                m_view->load(QUrl(m_startAddress, QUrl::TolerantMode));
            m_pageLost = false;
        },
        Qt::QueuedConnection);
}

void WebBrowser::describe(const QString &what)
{
    setAccessibleName(what);
    m_view->setAccessibleName(what);
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
