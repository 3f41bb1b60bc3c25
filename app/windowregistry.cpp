#include "app/windowregistry.h"

#include "app/programend.h"
#include "windows/windowframe.h"

#include <QTimer>

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

void WindowRegistry::stopAll()
{
    for (const auto &window : m_windows) {
        for (QTimer *timer : window->findChildren<QTimer *>())
            timer->stop();
        window->hide();
    }
}

bool WindowRegistry::has(std::type_index key) const
{
    return m_slots.count(key) != 0;
}

WindowFrame &WindowRegistry::at(std::type_index key) const
{
    return *m_slots.at(key);
}

void WindowRegistry::adopt(std::type_index key, std::unique_ptr<WindowFrame> window)
{
    QObject::connect(window.get(), &WindowFrame::closedByUser, window.get(),
                     [this] { windowClosed(); });
    m_slots.emplace(key, window.get());
    m_windows.push_back(std::move(window));
}

void WindowRegistry::windowClosed()
{
    // Closing a window through its title bar only hides it; once none of the
    // program's windows is visible the program ends, so that no invisible
    // process is left behind.
    if (!anyVisible())
        ProgramEnd::end();
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
