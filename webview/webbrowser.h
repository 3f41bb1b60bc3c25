#pragma once

#include <QUrl>
#include <QWidget>
#include <memory>

class EngineView;

// The embedded web view of a window. The program uses two things of it: the
// start address, loaded by itself when the view is created, and Navigate(),
// which asks for another address and returns at once. Everything else (what
// the page shows, its own errors, the user's browsing) is the browser's.
// A view whose renderer process dies shows its start page again.
//
// The browser engine is the slowest part of a start, and a window need not
// wait for it: the view itself is made once its window is on screen (the
// first time this widget paints). Until then the widget is a white area, and
// an address handed to Navigate() is loaded when the view arrives.
class WebBrowser : public QWidget
{
    Q_OBJECT

public:
    explicit WebBrowser(const QString &startAddress, QWidget *parent = nullptr);
    ~WebBrowser() override;

    void Navigate(const QString &address);

    // What the view shows, as assistive technology names it.
    void describe(const QString &what);

    // The address of the page the view shows or is loading (or will load).
    QUrl currentAddress() const;

    // The engine's widget, once made; null before the window was on screen.
    QWidget *view() const;

signals:
    // Every address handed to the view, the start address included.
    void navigationRequested(const QString &address);
    void loadFinished(bool ok);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createView();
    void load(const QString &address, bool answer);
    void recoverFromLostRenderer();

    std::unique_ptr<EngineView> m_view;
    QString m_startAddress;
    QString m_waitingAddress;    // handed over before the view was made
    bool m_waitingIsAnswer = false; // sent by Navigate() rather than the start
    bool m_creationQueued = false;
    bool m_pageLost = false;     // since the renderer died, until the next page
};
