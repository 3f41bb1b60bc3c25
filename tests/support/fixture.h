#pragma once

#include "app/windowregistry.h"
#include "support/recorders.h"

#include <QSignalSpy>
#include <memory>

class WebBrowser;

// A fresh program for one test: its own window registry, with program ends
// recorded instead of leaving the event loop.
struct ProgramFixture
{
    EndRecorder end;
    WindowRegistry windows;
};

// Shows the window of class W (creating it if need be) and returns it.
template <class W>
W *openWindow()
{
    WindowRegistry::Show<W>();
    return &WindowRegistry::window<W>();
}

// Records the addresses a window's web view is sent to, from now on.
class NavigationSpy
{
public:
    explicit NavigationSpy(QWidget *window);
    QStringList addresses() const;

private:
    std::unique_ptr<QSignalSpy> m_spy;
};
