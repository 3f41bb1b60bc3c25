#pragma once

#include <QString>
#include <functional>
#include <stdexcept>

// A failure of an operation. Like the run-time errors of the classic Windows
// toolkit it carries an error number and a description.
class RuntimeError : public std::runtime_error
{
public:
    RuntimeError(int number, const QString &description);

    int number() const { return m_number; }
    QString description() const { return m_description; }

    // The errors the program can raise, with the toolkit's numbers and words.
    static RuntimeError invalidPropertyValue();
    static RuntimeError fileNotFound();
    // Any other exception, as the toolkit reports an internal failure.
    static RuntimeError internal(const std::exception &error);

private:
    int m_number;
    QString m_description;
};

// Where run-time errors go. The program hands them to the run-time error
// report and then ends; code that runs inside a signal's dispatch catches
// its errors with guard() so that no exception unwinds through Qt.
namespace RuntimeErrors {

using Handler = std::function<void(const RuntimeError &error)>;

// The program installs its handler once at start; without one an error is
// dropped, so a library used on its own never throws through its caller.
void setHandler(Handler handler);
void raise(const RuntimeError &error);

// Runs the work; an error it throws is raised here instead of propagating.
template <class Work>
void guard(Work &&work)
{
    try {
        work();
    } catch (const RuntimeError &error) {
        raise(error);
    } catch (const std::exception &error) {
        raise(RuntimeError::internal(error));
    }
}

} // namespace RuntimeErrors
