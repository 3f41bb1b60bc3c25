#pragma once

#include <map>
#include <memory>
#include <typeindex>
#include <vector>

class WindowFrame;

// One instance of each window class, created the first time any code refers
// to it and kept, hidden or visible, until the registry itself goes at
// program end. main() owns the registry; tests make one per test case.
class WindowRegistry
{
public:
    WindowRegistry();
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry &) = delete;
    WindowRegistry &operator=(const WindowRegistry &) = delete;

    static WindowRegistry *current();

    // The window of class W, created on first reference.
    template <class W>
    static W &window()
    {
        WindowRegistry &registry = *current();
        const std::type_index key(typeid(W));
        if (!registry.has(key))
            registry.adopt(key, std::make_unique<W>());
        return static_cast<W &>(registry.at(key));
    }

    template <class W>
    static bool isCreated()
    {
        return current()->has(std::type_index(typeid(W)));
    }

    // Makes the window visible and brings it to the front with the focus.
    template <class W>
    static void Show()
    {
        activate(window<W>());
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
        show(window<W>(), visible);
    }

    std::vector<WindowFrame *> windows() const;
    bool anyVisible() const;
    // Program end: hides every window and stops every timer in them.
    void stopAll();

private:
    // Out of line: this header knows WindowFrame by name only.
    bool has(std::type_index key) const;
    WindowFrame &at(std::type_index key) const;
    void adopt(std::type_index key, std::unique_ptr<WindowFrame> window);
    void windowClosed();
    static void activate(WindowFrame &window);
    static void show(WindowFrame &window, bool visible);

    std::map<std::type_index, WindowFrame *> m_slots;
    std::vector<std::unique_ptr<WindowFrame>> m_windows; // in order of creation
};
