#pragma once

#include <memory>
#include <typeindex>

class WindowFrame;

// A window class as the window registry knows it: its type, which names its
// slot, and how to build its one instance on first reference.
struct WindowClass
{
    std::type_index type;
    std::unique_ptr<WindowFrame> (*create)();

    template <class W>
    static WindowClass of()
    {
        return {typeid(W), []() -> std::unique_ptr<WindowFrame> { return std::make_unique<W>(); }};
    }
};

// How a move brings up its target: in front with the focus ("Show"), or only
// made visible ("Visible" set to true).
enum class Activation { Show, Visible };
