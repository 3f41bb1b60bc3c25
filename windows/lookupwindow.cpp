#include "windows/lookupwindow.h"

#include "lookup/hosts.h"
#include "lookup/lookupsequence.h"
#include "lookup/statusaddress.h"
#include "webview/webbrowser.h"
#include "windows/progressbar.h"

#include <QTimer>

void LookupWindow::lookup()
{
    WebBrowser1->Navigate(StatusAddress::compose(boxTexts()));
}

void LookupWindow::addProgressBar(const Twips::Rect &rect)
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    m_sequence = new LookupSequence(*Timer1, [this] { lookup(); }, this);
    pg = add<ProgressBar>("pg", rect, m_sequence->progress());
    // What the bar measures, for a screen reader: it has no caption of its own.
    pg->setAccessibleName(QStringLiteral("Lookup progress"));
}

void LookupWindow::addWebBrowser(const Twips::Rect &rect, const QString &startPath)
{
    WebBrowser1 = add<WebBrowser>("WebBrowser1", rect, Hosts::address(Hosts::groupServer, startPath));
    WebBrowser1->describe(QStringLiteral("Status picture"));
}

void LookupWindow::beginLookup()
{
    m_sequence->begin();
}
