#include "webview/webbrowser.h"

#include "webview/engine.h"

#include <QPainter>
#include <QResizeEvent>

WebBrowser::WebBrowser(const QString &startAddress, QWidget *parent)
    : QWidget(parent), m_startAddress(startAddress)
{
    setFocusPolicy(Qt::StrongFocus);
    // The white of an empty page, until the view arrives.
    setAttribute(Qt::WA_OpaquePaintEvent);
    emit navigationRequested(startAddress);
    m_waitingAddress = startAddress;
}

// The engine's view, and its page with it, goes with this widget: before the
// engine's profile, whatever happens to the window later.
WebBrowser::~WebBrowser() = default;

void WebBrowser::Navigate(const QString &address)
{
    m_pageLost = false;
    emit navigationRequested(address);
    if (m_view) {
        load(address, true);
    } else {
        m_waitingAddress = address;
        m_waitingIsAnswer = true;
    }
}

void WebBrowser::load(const QString &address, bool answer)
{
    // Characters a URL cannot hold (spaces, line breaks) are the browser's to
    // encode; the program hands over the address as it was composed.
    const QUrl url(address, QUrl::TolerantMode);
    if (answer)
        m_view->showAnswer(url);
    else
        m_view->load(url);
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
    EngineViewEvents events;
    events.loadFinished = [this](bool ok) { emit loadFinished(ok); };
    events.rendererLost = [this] { recoverFromLostRenderer(); };
    m_view = Engines::createView(this, std::move(events));
    if (!m_view)
        return;
    QWidget *widget = m_view->widget();
    widget->setAccessibleName(accessibleName());
    widget->setGeometry(rect());
    const bool hadFocus = hasFocus();
    setFocusProxy(widget);
    if (hadFocus)
        widget->setFocus();
    widget->show();
    load(m_waitingAddress, m_waitingIsAnswer);
    m_waitingAddress.clear();
}

QWidget *WebBrowser::view() const
{
    return m_view ? m_view->widget() : nullptr;
}

void WebBrowser::recoverFromLostRenderer()
{
    // The page the view showed is gone with its renderer. The view shows its
    // start page again, as when its window was created, in a new renderer;
    // unless the program has sent it somewhere else meanwhile. Queued: the
    // engine is still tearing the old renderer down while it tells us.
    m_pageLost = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_pageLost)
                load(m_startAddress, false);
            m_pageLost = false;
        },
        Qt::QueuedConnection);
}

void WebBrowser::describe(const QString &what)
{
    setAccessibleName(what);
    if (m_view)
        m_view->widget()->setAccessibleName(what);
}

QUrl WebBrowser::currentAddress() const
{
    if (!m_view)
        return QUrl(m_waitingAddress, QUrl::TolerantMode);
    return m_view->address();
}

void WebBrowser::resizeEvent(QResizeEvent *event)
{
    if (m_view)
        m_view->widget()->setGeometry(QRect(QPoint(0, 0), event->size()));
}
