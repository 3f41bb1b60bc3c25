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

    // Gives the program's icon to its windows, the first time it is called:
    // once the first window is on screen. Decoding its three sizes before
    // would hold that window's map back by a fifth.
    static void showIcon();

    bool notify(QObject *receiver, QEvent *event) override;
};
