#pragma once

#include <QApplication>

// The application object. It sends every run-time error to the report and
// the end of the program, and catches, as a last net, any error that an
// event handler let escape.
class Application : public QApplication
{
    Q_OBJECT

public:
    // Settings that must be in place before the application object exists.
    static void prepare();

    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
