#pragma once

#include "windows/windowclass.h"

#include <map>
#include <memory>
#include <typeindex>
#include <vector>

class QWidget;

// One instance of each window class, created the first time any code refers
// to it and kept, hidden or visible, until the registry itself goes at
// program end. main() owns the registry; tests make one per test case.
//
// The registry also carries out what its windows ask for: the moves between
// windows, pages for the system's browser, and the end of the program.
class WindowRegistry
{
public:
    WindowRegistry();
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry &) = delete;
    WindowRegistry &operator=(const WindowRegistry &) = delete;

    static WindowRegistry *current();

    // The window of that class, created on first reference.
    WindowFrame &window(const WindowClass &windowClass);
    template <class W>
    static W &window()
    {
        return static_cast<W &>(current()->window(WindowClass::of<W>()));
    }

    template <class W>
    static bool isCreated()
    {
        return current()->m_slots.count(typeid(W)) != 0;
    }

    // Makes the window visible and brings it to the front with the focus.
    template <class W>
    static void Show()
    {
        activate(current()->shownWindow(WindowClass::of<W>()));
    }

    // Makes the window invisible; it keeps everything it holds.
    template <class W>
    static void Hide()
    {
        setVisible<W>(false);
    }

    // Visible true shows without activating; false is Hide.
    template <class W>
    static void setVisible(bool visible)
    {
        show(visible ? current()->shownWindow(WindowClass::of<W>()) : window<W>(), visible);
    }

    // A move: brings up the target first, then hides the source, so that a
    // visible window exists throughout.
    void move(QWidget &source, const WindowClass &target, Activation activation);

    std::vector<WindowFrame *> windows() const;
    bool anyVisible() const;

private:
    // The window, about to be shown: one made for it is shown as soon as its
    // frame exists (it maps sooner; the user sees it whole all the same).
    WindowFrame &shownWindow(const WindowClass &windowClass);
    // Out of line: this header knows WindowFrame by name only.
    void adopt(std::type_index key, std::unique_ptr<WindowFrame> window);
    static void activate(WindowFrame &window);
    static void show(WindowFrame &window, bool visible);

    std::map<std::type_index, WindowFrame *> m_slots;
    std::vector<std::unique_ptr<WindowFrame>> m_windows; // in order of creation
};
