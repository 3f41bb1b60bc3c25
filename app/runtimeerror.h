#pragma once

#include <QString>
#include <functional>
#include <stdexcept>

// A failure that escapes an event handler. Like the run-time errors of the
// classic Windows toolkit it carries an error number and a description; the
// application reports it to the user and then ends (see Application::notify).
class RuntimeError : public std::runtime_error
{
public:
    RuntimeError(int number, const QString &description);

    int number() const { return m_number; }
    QString description() const { return m_description; }

    // The errors the program can raise, with the toolkit's numbers and words.
    static RuntimeError invalidPropertyValue();
    static RuntimeError fileNotFound();

private:
    int m_number;
    QString m_description;
};

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
