#pragma once

#include <QString>
#include <functional>

class RuntimeError;

// Shows a run-time error to the user: a message box with the number and the
// description. Tests replace the presenter to record reports instead.
class RuntimeErrorReport
{
public:
    using Presenter = std::function<void(const RuntimeError &error)>;

    static void show(const RuntimeError &error);
    static QString text(const RuntimeError &error);

    // An empty presenter restores the message box.
    static void setPresenter(Presenter presenter);
};
