#include "app/windowregistry.h"

#include "app/application.h"
#include "app/pagelauncher.h"
#include "app/programend.h"
#include "lookup/runtimeerror.h"
#include "windows/windowframe.h"

namespace {
WindowRegistry *currentRegistry = nullptr;
}

WindowRegistry::WindowRegistry()
{
    currentRegistry = this;
}

WindowRegistry::~WindowRegistry()
{
    // Windows go in the reverse order of their creation; each takes its web
    // view (and so its page) with it while the application still exists.
    m_slots.clear();
    while (!m_windows.empty())
        m_windows.pop_back();
    if (currentRegistry == this)
        currentRegistry = nullptr;
}

WindowRegistry *WindowRegistry::current()
{
    return currentRegistry;
}

WindowFrame &WindowRegistry::window(const WindowClass &windowClass)
{
    const auto slot = m_slots.find(windowClass.type);
    if (slot != m_slots.end())
        return *slot->second;
    std::unique_ptr<WindowFrame> created = windowClass.create();
    WindowFrame &window = *created;
    adopt(windowClass.type, std::move(created));
    return window;
}

WindowFrame &WindowRegistry::shownWindow(const WindowClass &windowClass)
{
    if (m_slots.count(windowClass.type) != 0)
        return window(windowClass);
    WindowFrame::showNextAsSoonAsMade();
    WindowFrame &made = window(windowClass);
    made.showControlsMadeSinceShown();
    Application::showIcon();
    return made;
}

void WindowRegistry::move(QWidget &source, const WindowClass &target, Activation activation)
{
    WindowFrame &window = shownWindow(target);
    if (activation == Activation::Show)
        activate(window);
    else
        show(window, true);
    source.setVisible(false);
}

std::vector<WindowFrame *> WindowRegistry::windows() const
{
    std::vector<WindowFrame *> windows;
    for (const auto &window : m_windows)
        windows.push_back(window.get());
    return windows;
}

bool WindowRegistry::anyVisible() const
{
    for (const auto &window : m_windows) {
        if (window->isVisible())
            return true;
    }
    return false;
}

void WindowRegistry::adopt(std::type_index key, std::unique_ptr<WindowFrame> window)
{
    WindowFrame *self = window.get();
    QObject::connect(self, &WindowFrame::moveRequested, self,
                     [this, self](const WindowClass &target, Activation activation) {
                         // Building the target may fail; the error is raised
                         // here, not thrown through the signal.
                         RuntimeErrors::guard([&] { move(*self, target, activation); });
                     });
    QObject::connect(self, &WindowFrame::pageRequested, self, &PageLauncher::open);
    QObject::connect(self, &WindowFrame::endRequested, self, &ProgramEnd::end);
    QObject::connect(self, &WindowFrame::closedByUser, self,
                     [this] { ProgramEnd::afterWindowClosed(anyVisible()); });
    m_slots.emplace(key, self);
    m_windows.push_back(std::move(window));
}

void WindowRegistry::activate(WindowFrame &window)
{
    show(window, true);
    window.raise();
    window.activateWindow();
}

void WindowRegistry::show(WindowFrame &window, bool visible)
{
    window.setVisible(visible);
}
