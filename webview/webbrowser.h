#pragma once

#include <QUrl>
#include <QWidget>

class QWebEngineView;

// The embedded web view of a window. The program uses two things of it: the
// start address, loaded by itself when the view is created, and Navigate(),
// which asks for another address and returns at once. Everything else (what
// the page shows, its own errors, the user's browsing) is the browser's.
class WebBrowser : public QWidget
{
    Q_OBJECT

public:
    explicit WebBrowser(const QString &startAddress, QWidget *parent = nullptr);
    ~WebBrowser() override;

    void Navigate(const QString &address);

    // The address of the page the view shows or is loading.
    QUrl currentAddress() const;

signals:
    // Every address handed to the view, the start address included.
    void navigationRequested(const QString &address);
    void loadFinished(bool ok);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWebEngineView *m_view;
};
