#include "support/webviews.h"

#include "webview/webbrowser.h"

#include <QTest>
#include <QWebEngineView>

QWebEngineView *viewOf(QWidget *window)
{
    auto *browser = qobject_cast<WebBrowser *>(window);
    if (!browser)
        browser = window->findChild<WebBrowser *>();
    if (!browser)
        return nullptr;
    if (!QTest::qWaitFor([browser] { return browser->view() != nullptr; }, 30000))
        return nullptr;
    return qobject_cast<QWebEngineView *>(browser->view());
}

QWebEnginePage *pageOf(QWidget *window)
{
    QWebEngineView *view = viewOf(window);
    return view ? view->page() : nullptr;
}
