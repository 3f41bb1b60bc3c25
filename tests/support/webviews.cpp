#include "support/webviews.h"

#include "webview/webbrowser.h"

#include <QTest>
#include <QWebEnginePage>
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

QString shownTitle(QWebEnginePage *page)
{
    QString title;
    bool done = false;
    page->runJavaScript(QStringLiteral("(function () { var f = document.querySelector('iframe');"
                                       " try { return f ? f.contentDocument.title : document.title; }"
                                       " catch (e) { return '(another site)'; } })()"),
                        [&](const QVariant &result) {
                            title = result.toString();
                            done = true;
                        });
    return QTest::qWaitFor([&] { return done; }, 5000) ? title : QStringLiteral("(no answer)");
}
