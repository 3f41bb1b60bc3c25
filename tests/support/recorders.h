#pragma once

#include <QStringList>

class RuntimeError;

// Stand-ins for the program's ways out, installed for the lifetime of the
// object: nothing is launched, no message box waits, the test loop goes on.

// Records the addresses handed to the page launcher.
class LaunchRecorder
{
public:
    explicit LaunchRecorder(bool browserStarts = true);
    ~LaunchRecorder();
    QStringList addresses;
};

// Records run-time error reports as "number: description".
class ErrorRecorder
{
public:
    ErrorRecorder();
    ~ErrorRecorder();
    QStringList reports;
};

// Records program ends instead of leaving the event loop.
class EndRecorder
{
public:
    EndRecorder();
    ~EndRecorder();
    int ends = 0;
};
