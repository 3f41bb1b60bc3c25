#include "webview/webbrowser.h"

#include "webview/webpolicy.h"
#include "webview/webprofile.h"

#include <QPainter>
#include <QResizeEvent>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

WebBrowser::WebBrowser(const QString &startAddress, QWidget *parent)
    : QWidget(parent), m_startAddress(startAddress)
{
    setFocusPolicy(Qt::StrongFocus);
    // The white of an empty page, until the view arrives.
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    if (m_view)
        load(address);
    else
        m_waitingAddress = address;
}

void WebBrowser::load(const QString &address)
{
    // Characters a URL cannot hold (spaces, line breaks) are the browser's to
    // encode; the program hands over the address as it was composed.
    m_view->load(QUrl(address, QUrl::TolerantMode));
}

void WebBrowser::paintEvent(QPaintEvent *event)
{
    QPainter(this).fillRect(event->rect(), Qt::white);
    if (m_view || m_creationQueued)
        return;
    // This paint is the window's first on screen; the engine starts after
    // it has been shown, from the event loop.
    m_creationQueued = true;
    QMetaObject::invokeMethod(this, &WebBrowser::createView, Qt::QueuedConnection);
}

void WebBrowser::createView()
{
    m_view = new QWebEngineView(this);
    auto *page = new SafePage(WebProfile::shared(), m_view);
    page->scripts().insert(WebProfile::barePictureStyle());
    m_view->setPage(page);
    connect(page, &QWebEnginePage::renderProcessTerminated, this, &WebBrowser::recoverFromLostRenderer);
    connect(m_view, &QWebEngineView::loadFinished, this, &WebBrowser::loadFinished);
    // Nothing dropped onto the view is opened.
    m_view->setAcceptDrops(false);
    m_view->setAccessibleName(accessibleName());
    m_view->setGeometry(rect());
    const bool hadFocus = hasFocus();
    setFocusProxy(m_view);
    if (hadFocus)
        m_view->setFocus();
    m_view->show();
    load(m_waitingAddress);
    m_waitingAddress.clear();
    emit viewCreated();
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
                load(m_startAddress);
            m_pageLost = false;
        },
        Qt::QueuedConnection);
}

void WebBrowser::describe(const QString &what)
{
    setAccessibleName(what);
    if (m_view)
        m_view->setAccessibleName(what);
}

QUrl WebBrowser::currentAddress() const
{
    if (!m_view)
        return QUrl(m_waitingAddress, QUrl::TolerantMode);
    const QUrl shown = m_view->url();
    return shown.isEmpty() ? m_view->page()->requestedUrl() : shown;
}

void WebBrowser::resizeEvent(QResizeEvent *event)
{
    if (m_view)
        m_view->setGeometry(QRect(QPoint(0, 0), event->size()));
}
