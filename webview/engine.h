#pragma once

#include <QtPlugin>
#include <QUrl>
#include <functional>
#include <memory>

class QWidget;

// The browser engine behind the web views, loaded when the first window that
// has a web view is on screen: a window need not wait for it, and the
// program does not load the engine's libraries before it maps.
//
// One view of the engine, inside the widget given to it.
class EngineView
{
public:
    virtual ~EngineView() = default;

    // The engine's own widget; its parent is the widget the view was made in.
    virtual QWidget *widget() const = 0;
    // Loads a page (a start page) as the view's whole content.
    virtual void load(const QUrl &address) = 0;
    // Shows what a status server answers at the address: a picture at the
    // top-left on white, as a classic browser showed a bare picture, or
    // whatever page it answers with.
    virtual void showAnswer(const QUrl &address) = 0;
    // The page shown, or the one being loaded before anything is shown.
    virtual QUrl address() const = 0;
};

// What a view tells the widget it lives in.
struct EngineViewEvents
{
    std::function<void(bool ok)> loadFinished;
    // The view's renderer process died, not through the program ending it.
    std::function<void()> rendererLost;
};

// What the engine module offers.
class Engine
{
public:
    virtual ~Engine() = default;
    virtual std::unique_ptr<EngineView> createView(QWidget *parent, EngineViewEvents events) = 0;
};

#define Engine_iid "org.quorvane.Engine/1"
Q_DECLARE_INTERFACE(Engine, Engine_iid)

namespace Engines {

// A view of the engine, which is loaded for the first one; null (with one
// warning) if its module cannot be loaded, in which case web views stay empty.
std::unique_ptr<EngineView> createView(QWidget *parent, EngineViewEvents events);

} // namespace Engines
