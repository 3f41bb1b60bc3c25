#include "support/fixture.h"

#include "support/layout.h"
#include "webview/webbrowser.h"

NavigationSpy::NavigationSpy(QWidget *window)
    : m_spy(std::make_unique<QSignalSpy>(controlOf<WebBrowser>(window, "WebBrowser1"),
                                         &WebBrowser::navigationRequested))
{
}

QStringList NavigationSpy::addresses() const
{
    QStringList list;
    for (const QList<QVariant> &call : *m_spy)
        list << call.at(0).toString();
    return list;
}
