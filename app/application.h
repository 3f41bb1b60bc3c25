#pragma once

#include <QApplication>

// The application object. A failure that escapes an event handler ends here:
// the user sees the run-time error report, then the program ends.
class Application : public QApplication
{
    Q_OBJECT

public:
    // Settings that must be in place before the application object exists.
    static void prepare();

    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
