#pragma once

#include <functional>
#include <utility>

// A place where the program touches the outside world (a browser, a message
// box, the end of the process) and where tests put a recorder instead.
template <class Signature>
class Seam
{
public:
    using Function = std::function<Signature>;

    explicit Seam(Function real) : m_real(std::move(real)), m_current(m_real) {}

    // An empty function puts the real one back.
    void replace(Function replacement) { m_current = replacement ? std::move(replacement) : m_real; }

    template <class... Args>
    decltype(auto) operator()(Args &&...args) const
    {
        return m_current(std::forward<Args>(args)...);
    }

private:
    Function m_real;
    Function m_current;
};
