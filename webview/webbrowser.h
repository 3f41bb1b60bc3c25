#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <QWidget>

class QWebEngineView;

// The embedded web view of a window. The program uses two things of it: the
// start address, loaded by itself when the view is created, and Navigate(),
// which asks for another address and returns at once. Everything else (what
// the page shows, its own errors, the user's browsing) is the browser's.
// A view whose renderer process dies shows its start page again.
class WebBrowser : public QWidget
{
    Q_OBJECT

public:
    explicit WebBrowser(const QString &startAddress, QWidget *parent = nullptr);
    ~WebBrowser() override;

    void Navigate(const QString &address);

    // What the view shows, as assistive technology names it.
    void describe(const QString &what);

    // The address of the page the view shows or is loading.
    QUrl currentAddress() const;

signals:
    // Every address handed to the view, the start address included.
    void navigationRequested(const QString &address);
    void loadFinished(bool ok);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void recoverFromLostRenderer(QWebEnginePage::RenderProcessTerminationStatus status);

    QWebEngineView *m_view;
    QString m_startAddress;
    bool m_pageLost = false; // since the renderer died, until the next page
};
